#include "framework/scripteduserinterface.h"
#include "platform/appfolders.h"
#include "platform/inifile.h"
#include "report/reportjob.h"
#include "report/reportwizardchoices.h"
#include "report/widgets/reportrunner.h"
#include "report/widgets/reportwizarddialog.h"
#include "shell/procedurenames.h"
#include "store/storefixture.h"

#include <QApplication>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>

using namespace Qt::StringLiterals;

namespace pk {
namespace {

class ReportWindowsTest : public test::StoreTest
{
protected:
    static void SetUpTestSuite()
    {
        if (!QCoreApplication::instance()) {
            static int argc = 1;
            static char name[] = "report_window_tests";
            static char *argv[] = {name, nullptr};
            new QApplication(argc, argv);
        }
    }

    void addLocations(int n)
    {
        for (int i = 0; i < n; ++i)
            ASSERT_TRUE(c().locations().insert(
                test::location(u"http://p"_s + QString::number(i) + u".example/"_s,
                               {},
                               u"General"_s,
                               i % 10)));
    }

    /// Runs a fixed report to the preview; returns the pages the preview showed (-1: none).
    int previewPages(const char *procedure)
    {
        ReportJob job(c(),
                      m_ui,
                      ReportDisplayStrings(),
                      *ReportDefinition::fixed(QLatin1String(procedure)),
                      {});
        int pages = -1;
        // The preview opens after its pages are generated (with the progress window up).
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, [&pages] {
            auto *dialog = qobject_cast<QPrintPreviewDialog *>(QApplication::activeModalWidget());
            if (!dialog || !dialog->isVisible())
                return;
            if (auto *view = dialog->findChild<QPrintPreviewWidget *>())
                pages = view->pageCount();
            dialog->reject();
        });
        poll.start(20);
        QPrinter printer;
        ReportRunner::run(job, m_ui, printer, nullptr);
        return pages;
    }

    ScriptedUserInterface m_ui;
};

TEST_F(ReportWindowsTest, PreviewShowsTheGeneratedPagesOrSaysThereIsNothing)
{
    m_ui.push(0); // preview
    EXPECT_EQ(previewPages(Procedure::PrintCategories), 1);

    m_ui.clear();
    m_ui.push(false); // no query
    m_ui.push(0);
    EXPECT_EQ(previewPages(Procedure::PrintByKeyword), -1);
    EXPECT_EQ(m_ui.messages(), QStringList{u"Nothing to Preview."_s});

    addLocations(150);
    m_ui.clear();
    m_ui.push(false);
    m_ui.push(0);
    EXPECT_GT(previewPages(Procedure::PrintByKeyword), 2);
    EXPECT_TRUE(m_ui.messages().isEmpty());
}

TEST_F(ReportWindowsTest, WizardKeepsItsChoicesAndWantsAColumn)
{
    {
        ReportWizardDialog wizard(m_ui, ReportWizardChoices::orderOfKey(u"URL:K_Rating"_s), nullptr);
        EXPECT_EQ(wizard.columns(), (QList<int>{0, 1, 2, 3}))
            << "location, description, category, rating";
        EXPECT_EQ(wizard.order(), 4);
        auto *list = wizard.findChild<QListWidget *>(u"columns"_s);
        ASSERT_NE(list, nullptr);
        list->setCurrentRow(3);
        for (QPushButton *b : wizard.findChildren<QPushButton *>()) {
            if (b->text() == u"Move &Up"_s)
                b->click();
        }
        list->item(0)->setCheckState(Qt::Unchecked);
        wizard.findChild<QLineEdit *>(u"description"_s)->setText(u"  Best of  "_s);
        EXPECT_EQ(wizard.columns(), (QList<int>{1, 3, 2}));
        wizard.accept();
        EXPECT_EQ(wizard.result(), QDialog::Accepted);
    }
    ReportWizardDialog again(m_ui, -1, nullptr);
    EXPECT_EQ(again.columns(), (QList<int>{1, 3, 2})) << "the last choice comes back";
    EXPECT_EQ(again.order(), 4);
    EXPECT_EQ(again.description(), u"Best of"_s);

    auto *list = again.findChild<QListWidget *>(u"columns"_s);
    for (int i = 0; i < list->count(); ++i)
        list->item(i)->setCheckState(Qt::Unchecked);
    again.accept();
    EXPECT_NE(again.result(), QDialog::Accepted);
    EXPECT_EQ(m_ui.titles(), QStringList{u"Report Wizard"_s});
}

} // namespace
} // namespace pk
