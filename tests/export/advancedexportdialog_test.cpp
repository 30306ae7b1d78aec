#include "export/widgets/advancedexportdialog.h"
#include "framework/scripteduserinterface.h"
#include "store/storefixture.h"
#include "support/screenshot.h"

#include <QApplication>
#include <QFile>
#include <QTreeWidget>

using namespace Qt::StringLiterals;

namespace pk {
namespace {

class AdvancedExportDialogTest : public test::StoreTest
{
protected:
    static void SetUpTestSuite()
    {
        if (!QCoreApplication::instance()) {
            static int argc = 1;
            static char name[] = "advancedexport_dialog_tests";
            static char *argv[] = {name, nullptr};
            new QApplication(argc, argv);
        }
    }

    void SetUp() override
    {
        StoreTest::SetUp();
        ASSERT_TRUE(
            c().locations().insert(test::location(u"http://a.example/"_s, u"A \"quoted\""_s)));
        m_settings.file = m_temp.path(u"fields.csv"_s);
    }

    QTreeWidget *list(AdvancedExportDialog &d, int index)
    {
        return d.findChildren<QTreeWidget *>().at(index);
    }

    ScriptedUserInterface m_ui;
    AdvancedExportSettings m_settings;
};

TEST_F(AdvancedExportDialogTest, RefusesAnEmptyChoiceThenWritesTheChosenFields)
{
    AdvancedExportDialog dialog(c(), m_ui, m_settings, {});
    QTreeWidget *all = list(dialog, 0);
    QTreeWidget *chosen = list(dialog, 1);
    EXPECT_EQ(dialog.windowTitle(), u"Choose Fields for Export..."_s);
    ASSERT_EQ(all->topLevelItemCount(), 23);

    dialog.accept();
    EXPECT_EQ(m_ui.titles(), QStringList{u"No Fields Selected for Export!"_s});
    EXPECT_EQ(m_ui.messages(), QStringList{u"You must select one or more fields to export."_s});
    EXPECT_NE(dialog.result(), QDialog::Accepted);

    all->topLevelItem(1)->setSelected(true);
    all->topLevelItem(0)->setSelected(true);
    dialog.addMarked();
    dialog.addMarked();
    ASSERT_EQ(chosen->topLevelItemCount(), 2) << "a field is added once";
    EXPECT_EQ(chosen->currentItem(), chosen->topLevelItem(0));

    m_ui.clear();
    m_ui.push(u"@s3"_s);
    dialog.editPicture();
    EXPECT_EQ(dialog.fields().exportFields().at(0).picture, u"@s3"_s);
    dialog.shiftDown();
    EXPECT_EQ(dialog.fields().exportFields().at(1).name, u"URL:Location"_s);

    test::screenshot(dialog, u"advancedexport"_s);
    dialog.accept();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.written(), 1);
    QFile f(m_settings.file);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    // the picture tells how to write, the full value is written
    EXPECT_EQ(f.readAll(), "\"A \"\"quoted\"\"\",\"http://a.example/\"\n");
}

} // namespace
} // namespace pk
