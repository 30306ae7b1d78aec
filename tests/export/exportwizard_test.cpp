#include "exportfixture.h"

#include "export/widgets/exporthelpwindow.h"
#include "export/widgets/exportwizarddialog.h"
#include "framework/errormanager.h"
#include "platform/inifile.h"

#include <QApplication>
#include <QDir>
#include <QPlainTextEdit>
#include <QButtonGroup>
#include <QCheckBox>
#include <QFile>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

using namespace Qt::StringLiterals;
using namespace pk;
using namespace pk::test;

namespace {

class ExportWizardTest : public ExportFixture
{
protected:
    static void SetUpTestSuite()
    {
        if (!QCoreApplication::instance()) {
            static int argc = 1;
            static char name[] = "export_wizard_tests";
            static char *argv[] = {name, nullptr};
            new QApplication(argc, argv);
        }
    }

    std::unique_ptr<ExportWizardDialog> wizard()
    {
        ExportSettings::shared() = ExportSettings();
        FormsContext forms{*collection, ui, errors, nullptr, {}, {}, {}};
        ExportWizardContext context{forms, ini, environment(), {}, {}};
        context.launch = [this](const QString &file) { launched = file; };
        context.advanced = [this](const ExportSettings &s) {
            advancedRan = s.type == u"ADV"_s;
            return true;
        };
        return std::make_unique<ExportWizardDialog>(context);
    }

    template<typename T>
    T *child(QWidget &w, const QString &name)
    {
        return w.findChild<T *>(name);
    }

    ErrorManager errors{ui};
    IniFile ini{temp.configHome() + u"/PATHKEEP.INI"_s};
    QString launched;
    bool advancedRan = false;
};

TEST_F(ExportWizardTest, WalksThePagesAndExportsTheChosenType)
{
    auto w = wizard();
    EXPECT_TRUE(child<QRadioButton>(*w, u"Table"_s)->isChecked());
    EXPECT_TRUE(child<QRadioButton>(*w, u"Location"_s)->isChecked());
    EXPECT_TRUE(child<QRadioButton>(*w, u"All"_s)->isChecked());
    EXPECT_FALSE(child<QLineEdit>(*w, u"category"_s)->isEnabled());

    child<QRadioButton>(*w, u"CSV"_s)->click();
    EXPECT_EQ(w->model().settings().type, u"CSV"_s);
    w->next();
    child<QRadioButton>(*w, u"CatDesc"_s)->click();
    w->next();
    child<QRadioButton>(*w, u"Selected"_s)->click();
    EXPECT_TRUE(child<QLineEdit>(*w, u"category"_s)->isEnabled());
    child<QLineEdit>(*w, u"category"_s)->setText(u"alpha"_s);
    w->next();
    EXPECT_EQ(w->pageIndex(), 3); // the fields page is shown for CSV
    w->next();
    EXPECT_EQ(w->pageIndex(), 4);
    const QString file = out(u"alpha.csv"_s);
    child<QLineEdit>(*w, u"file"_s)->setText(file);
    ui.push(true);
    child<QPushButton>(*w, u"finish"_s)->click();
    EXPECT_EQ(launched, file);
    EXPECT_EQ(lines(file).size(), 2);
    EXPECT_EQ(w->result(), QDialog::Accepted);

    IniFile stored(ini.path());
    ASSERT_TRUE(stored.load());
    EXPECT_EQ(stored.value(u"Export"_s, u"Export:File:CSV"_s), file);
    EXPECT_EQ(stored.value(u"Export"_s, u"Export:Order"_s), u"CatDesc"_s);
    EXPECT_EQ(ExportSettings::shared().category, u"alpha"_s);
}

TEST_F(ExportWizardTest, AdvancedTypeSkipsTheFieldsPageAndStartsItsProcedure)
{
    auto w = wizard();
    child<QRadioButton>(*w, u"ADV"_s)->click();
    EXPECT_FALSE(w->isPageShown(3));
    w->next();
    w->next();
    w->next();
    EXPECT_EQ(w->pageIndex(), 4);
    w->back();
    EXPECT_EQ(w->pageIndex(), 2);
    child<QLineEdit>(*w, u"file"_s)->setText(out(u"adv.csv"_s));
    child<QPushButton>(*w, u"finish"_s)->click();
    EXPECT_TRUE(advancedRan);
}

TEST_F(ExportWizardTest, CancelKeepsTheEditedSettings)
{
    auto w = wizard();
    child<QRadioButton>(*w, u"Frame"_s)->click();
    w->reject();
    IniFile stored(ini.path());
    ASSERT_TRUE(stored.load());
    EXPECT_EQ(stored.value(u"Export"_s, u"Export:Type"_s), u"Frame"_s);
    EXPECT_FALSE(QFile::exists(out(u"links.html"_s)));
}

TEST_F(ExportWizardTest, HelpShowsExportTxtFromTheCurrentFolderWhenThereIsOne)
{
    const QString previous = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(temp.folder()));
    auto w = wizard();
    auto *help = child<QPushButton>(*w, u"help"_s);
    ASSERT_NE(help, nullptr);
    help->click();
    EXPECT_EQ(w->findChild<ExportHelpWindow *>(), nullptr); // no file: no window, wizard goes on

    ASSERT_TRUE(temp.writeFile(u"export.txt"_s, "Choose a type.\nThen a file.\n"));
    help->click();
    auto *viewer = w->findChild<ExportHelpWindow *>();
    ASSERT_NE(viewer, nullptr);
    EXPECT_EQ(viewer->windowTitle(), u"Export Help"_s);
    EXPECT_TRUE(
        viewer->findChild<QPlainTextEdit *>()->toPlainText().startsWith(u"Choose a type."_s));
    QDir::setCurrent(previous);
}

} // namespace
