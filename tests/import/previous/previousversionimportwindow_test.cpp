#include "framework/errormanager.h"
#include "framework/scripteduserinterface.h"
#include "import/previous/widgets/previousversionimportwindow.h"
#include "store/storefixture.h"
#include "support/screenshot.h"

#include <SQLiteCpp/Database.h>

#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>

using namespace Qt::StringLiterals;

namespace pk {
namespace {

class PreviousVersionImportWindowTest : public test::StoreTest
{
protected:
    static void SetUpTestSuite()
    {
        if (!QCoreApplication::instance()) {
            static int argc = 1;
            static char name[] = "previousimport_window_tests";
            static char *argv[] = {name, nullptr};
            new QApplication(argc, argv);
        }
    }

    ScriptedUserInterface m_ui;
    ErrorManager m_errors{m_ui};
};

TEST_F(PreviousVersionImportWindowTest, ChecksTheNameAndImportsALowerCaseFile)
{
    {
        SQLite::Database db(m_temp.path(u"url_l.tps"_s).toStdString(),
                            SQLite::OPEN_READWRITE | SQLite::OPEN_CREATE);
        db.exec("CREATE TABLE URL_L (LOCATION TEXT, DESCRIPTION TEXT, CATEGORY TEXT, "
                "RATING INTEGER, KEYWORD TEXT, SiteInfo TEXT)");
        db.exec("INSERT INTO URL_L VALUES ('http://old.example/', 'Old', 'General', 4, '', '')");
    }
    const QString previous = QDir::currentPath();
    QDir::setCurrent(m_temp.folder());
    {
        PreviousVersionImportWindow window(c(), m_errors, m_ui);
        EXPECT_EQ(window.windowTitle(), u"Import from Pathkeep Database"_s);
        EXPECT_EQ(window.fileName(), u"URL_L.TPS"_s);
        test::screenshot(window, u"previousimport"_s);

        window.setFileName(u"URLDATA.TPS"_s);
        EXPECT_FALSE(window.startImport());
        EXPECT_EQ(m_ui.titles(), QStringList{u"Cannot Import"_s});
        EXPECT_EQ(m_ui.messages(),
                  QStringList{u"You can only import from databases created by Pathkeep version "
                              "1.5 and above."_s});

        m_ui.clear();
        window.setFileName(u"url_l.tps"_s);
        EXPECT_TRUE(window.startImport());
        EXPECT_EQ(window.added(), 1);
        EXPECT_EQ(m_ui.titles(), QStringList{u"Complete"_s});
        EXPECT_TRUE(c().locations().exists(u"http://old.example/"_s));
    }
    QDir::setCurrent(previous);
}

TEST_F(PreviousVersionImportWindowTest, EscapeCancelsAsCancelDoes)
{
    PreviousVersionImportWindow window(c(), m_errors, m_ui);
    QSignalSpy closing(&window, &PreviousVersionImportWindow::closeRequested);
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    auto *entry = window.findChild<QLineEdit *>();
    ASSERT_NE(entry, nullptr);
    entry->setFocus();
    QTest::keyClick(entry, Qt::Key_Escape);
    EXPECT_EQ(closing.size(), 1);
    EXPECT_EQ(c().locations().count(), 0);
}

} // namespace
} // namespace pk
