#include "framework/errormanager.h"
#include "framework/scripteduserinterface.h"
#include "import/advanced/widgets/advancedimportdialog.h"
#include "store/storefixture.h"
#include "support/screenshot.h"

#include <QApplication>
#include <QPushButton>
#include <QTreeWidget>

using namespace Qt::StringLiterals;

namespace pk {
namespace {

class AdvancedImportDialogTest : public test::StoreTest
{
protected:
    static void SetUpTestSuite()
    {
        if (!QCoreApplication::instance()) {
            static int argc = 1;
            static char name[] = "advancedimport_dialog_tests";
            static char *argv[] = {name, nullptr};
            new QApplication(argc, argv);
        }
    }

    ScriptedUserInterface m_ui;
    ErrorManager m_errors{m_ui};
};

TEST_F(AdvancedImportDialogTest, AutoAssignsFromTheHeaderAndImports)
{
    ASSERT_TRUE(m_temp.writeFile(u"h.csv"_s,
                                 "\"URL:Description\",\"URL:Location\",\"URL:Category\",\"X\"\n"
                                 "\"One\",\"http://1/\",\"General\",1\n"
                                 "\"Two\",\"http://2/\",\"Other\",2\n"));
    AdvancedImport import(m_ui);
    ASSERT_TRUE(import.open(m_temp.path(u"h.csv"_s)));
    AdvancedImportDialog dialog(import, c(), m_errors, m_ui);
    EXPECT_EQ(dialog.windowTitle(), u"Assign fields for Import..."_s);
    auto lists = dialog.findChildren<QTreeWidget *>();
    ASSERT_EQ(lists.size(), 2);
    EXPECT_EQ(lists.at(0)->topLevelItem(3)->text(1), u"Numeric"_s);
    EXPECT_EQ(lists.at(1)->topLevelItemCount(), 20);

    dialog.accept();
    EXPECT_EQ(m_ui.titles(), QStringList{u"No Fields Selected for Import!"_s});
    EXPECT_NE(dialog.result(), QDialog::Accepted);

    dialog.autoAssign();
    EXPECT_EQ(lists.at(1)->topLevelItem(0)->text(2), u"Field_2"_s);
    EXPECT_EQ(lists.at(1)->topLevelItem(0)->text(1), u"="_s);
    dialog.highlightTarget(2);
    EXPECT_EQ(lists.at(0)->currentItem(), lists.at(0)->topLevelItem(2));
    dialog.highlightImport(1);
    EXPECT_EQ(lists.at(1)->currentItem(), lists.at(1)->topLevelItem(0));

    test::screenshot(dialog, u"advancedimport"_s);
    m_ui.clear();
    dialog.accept();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.added(), 2) << "the header is stripped; the new category is added";
    LocationRecord two;
    ASSERT_TRUE(c().locations().get(u"http://2/"_s, two));
    EXPECT_EQ(two.Description, u"Two"_s);
    EXPECT_EQ(two.Category, u"Other"_s);
    // Only the closing summary, with nothing refused.
    ASSERT_EQ(m_ui.interactions().size(), 1);
    EXPECT_FALSE(m_ui.messages().last().contains(u"Refused"_s))
        << m_ui.messages().last().toStdString();
}

TEST_F(AdvancedImportDialogTest, RecordsWithoutACategoryTakeTheOneTheWindowOffers)
{
    // No category column: every record would be refused by the category rule.
    ASSERT_TRUE(m_temp.writeFile(u"c.csv"_s,
                                 "\"URL:Location\",\"URL:Description\"\n"
                                 "\"http://1/\",\"One\"\n\"http://2/\",\"Two\"\n"));
    AdvancedImport import(m_ui);
    ASSERT_TRUE(import.open(m_temp.path(u"c.csv"_s)));
    AdvancedImportDialog dialog(import, c(), m_errors, m_ui);
    EXPECT_EQ(dialog.defaultCategory(), u"New"_s);
    dialog.autoAssign();
    dialog.setDefaultCategory(u"From a file"_s);
    dialog.accept();
    EXPECT_EQ(dialog.added(), 2);
    LocationRecord one;
    ASSERT_TRUE(c().locations().get(u"http://1/"_s, one));
    EXPECT_EQ(one.Category, u"From a file"_s);
    EXPECT_TRUE(c().categories().exists(u"From a file"_s));
    ASSERT_EQ(m_ui.interactions().size(), 1);
    EXPECT_FALSE(m_ui.messages().last().contains(u"Refused"_s))
        << m_ui.messages().last().toStdString();
}

TEST_F(AdvancedImportDialogTest, NextDisablesAuto)
{
    ASSERT_TRUE(m_temp.writeFile(u"n.csv"_s, "\"a\"\n\"b\"\n"));
    AdvancedImport import(m_ui);
    ASSERT_TRUE(import.open(m_temp.path(u"n.csv"_s)));
    AdvancedImportDialog dialog(import, c(), m_errors, m_ui);
    QPushButton *autoButton = nullptr;
    QPushButton *nextButton = nullptr;
    for (QPushButton *b : dialog.findChildren<QPushButton *>()) {
        if (b->text() == u"A&uto"_s)
            autoButton = b;
        if (b->text() == u"&Next"_s)
            nextButton = b;
    }
    ASSERT_TRUE(autoButton && nextButton);
    EXPECT_TRUE(autoButton->isEnabled());
    dialog.nextRecord();
    EXPECT_FALSE(autoButton->isEnabled());
    EXPECT_EQ(dialog.findChildren<QTreeWidget *>().at(0)->topLevelItem(0)->text(2), u"b"_s);
    dialog.nextRecord();
    EXPECT_FALSE(nextButton->isEnabled());
}

} // namespace
} // namespace pk
