#include "export/exportwizardmodel.h"
#include "framework/scripteduserinterface.h"
#include "platform/inifile.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using namespace pk;

namespace {

class WizardModel : public ::testing::Test
{
protected:
    QString iniPath() const { return dir.filePath(u"PATHKEEP.INI"_s); }
    QTemporaryDir dir;
    ScriptedUserInterface ui;
};

TEST_F(WizardModel, FreshIniOpensOnTableByLocationForAll)
{
    IniFile ini(iniPath());
    ini.load();
    ExportSettings blank;
    blank.type.clear();
    blank.order.clear();
    blank.categoryAssignment.clear();
    ExportWizardModel model(ini, blank);
    EXPECT_EQ(model.settings().type, u"Table"_s);
    EXPECT_EQ(model.settings().order, u"Location"_s);
    EXPECT_EQ(model.settings().categoryAssignment, u"All"_s);
    EXPECT_FALSE(model.categoryControlsEnabled());
}

TEST_F(WizardModel, TypeChangesBringBackTheFileNameOfEachType)
{
    {
        IniFile ini(iniPath());
        ini.load();
        ExportWizardModel model(ini, ExportSettings());
        model.settings().file = u"/tmp/links.html"_s;
        model.setType(u"CSV"_s);
        EXPECT_EQ(model.settings().file, u"/tmp/links.html"_s); // nothing stored for CSV yet
        model.settings().file = u"/tmp/links.csv"_s;
        model.setType(u"Table"_s);
        EXPECT_EQ(model.settings().file, u"/tmp/links.html"_s);
        model.setType(u"CSV"_s);
        EXPECT_EQ(model.settings().file, u"/tmp/links.csv"_s);
        model.settings().rating = true;
        ExportSettings current;
        model.close(current);
        EXPECT_EQ(current.type, u"CSV"_s);
    }
    IniFile stored(iniPath());
    ASSERT_TRUE(stored.load());
    EXPECT_EQ(stored.value(u"Export"_s, u"Export:Type"_s), u"CSV"_s);
    EXPECT_EQ(stored.value(u"Export"_s, u"Export:File:CSV"_s), u"/tmp/links.csv"_s);
    EXPECT_EQ(stored.value(u"Export"_s, u"Export:File:Table"_s), u"/tmp/links.html"_s);
    EXPECT_EQ(stored.value(u"Export"_s, u"Export::Rating"_s), u"1"_s);

    ExportWizardModel again(stored, ExportSettings());
    EXPECT_EQ(again.settings().file, u"/tmp/links.csv"_s);
    EXPECT_TRUE(again.settings().rating);
}

TEST_F(WizardModel, ControlsFollowTheType)
{
    IniFile ini(iniPath());
    ExportWizardModel model(ini, ExportSettings());
    model.settings().typePreformatted = true;
    EXPECT_TRUE(model.preformattedEnabled());
    EXPECT_FALSE(model.fieldsPageVisible());
    EXPECT_TRUE(model.metaEnabled());
    EXPECT_EQ(model.fileMask(), u"HTML Files|*.html|HTM Files|*.htm|All Files|*.*"_s);
    model.setType(u"CSV"_s);
    EXPECT_FALSE(model.preformattedEnabled());
    EXPECT_FALSE(model.preformattedUsed());
    EXPECT_TRUE(model.fieldsPageVisible());
    EXPECT_FALSE(model.webGroupVisible());
    model.setType(u"ADV"_s);
    EXPECT_FALSE(model.fieldsPageVisible());
    EXPECT_EQ(model.fileMask(), u"Comma-separated value files|*.csv|All Files|*.*"_s);
    model.setType(u"ASCII"_s);
    EXPECT_TRUE(model.webGroupVisible()); // shown although no page is written
    EXPECT_EQ(model.fileMask(), u"Text files|*.txt|All Files|*.*"_s);
    model.settings().categoryAssignment = u"Selected"_s;
    EXPECT_TRUE(model.categoryControlsEnabled());
}

TEST_F(WizardModel, FinishRunsTheFittingExportAndOffersTheFile)
{
    IniFile ini(iniPath());
    ExportWizardModel model(ini, ExportSettings());
    QStringList ran;
    QString launched;
    ExportWizardModel::Runners runners;
    runners.exportFile = [&ran](const ExportSettings &s) {
        ran << u"file:"_s + s.type;
        return ExportResult::Written;
    };
    runners.preformatted = [&ran](const ExportSettings &s) {
        ran << u"pre:"_s + s.type;
        return ExportResult::Written;
    };
    runners.launch = [&launched](const QString &file) { launched = file; };

    EXPECT_FALSE(model.finish(ui, runners)); // no file name yet
    EXPECT_TRUE(model.fileRefused());
    EXPECT_TRUE(ran.isEmpty());

    // A folder that is not there is refused before anything runs: no "Export Stopped" question
    // halfway, the wizard stays for the user to correct the entry.
    model.settings().file = u"/nonexistent-folder-of-pathkeep/out.html"_s;
    EXPECT_FALSE(model.finish(ui, runners));
    EXPECT_TRUE(model.fileRefused());
    EXPECT_EQ(ui.last()->text,
              u"The folder /nonexistent-folder-of-pathkeep does not exist: nothing was exported."_s);
    model.settings().file = u"/tmp"_s;
    EXPECT_FALSE(model.finish(ui, runners));
    EXPECT_EQ(ui.last()->text, u"/tmp is a folder: name a file in it to export to."_s);
    EXPECT_TRUE(ran.isEmpty());

    model.settings().file = u"/tmp/out.html"_s;
    model.settings().typePreformatted = true;
    ui.push(true);
    EXPECT_TRUE(model.finish(ui, runners));
    EXPECT_EQ(ui.last()->text, u"Would you like to launch /tmp/out.html now?"_s);
    EXPECT_EQ(ui.last()->title, u"Export Complete"_s);
    EXPECT_EQ(launched, u"/tmp/out.html"_s);
    EXPECT_FALSE(model.fileRefused());

    model.setType(u"CSV"_s); // the pre-formatted box does not apply to CSV
    model.settings().file = u"/tmp/noextension"_s;
    EXPECT_TRUE(model.finish(ui, runners));
    EXPECT_EQ(ui.last()->text, u"/tmp/noextension was created."_s);
    EXPECT_EQ(ui.last()->title, u"Export completed."_s);
    EXPECT_EQ(ran, (QStringList{u"pre:Table"_s, u"file:CSV"_s}));

    runners.exportFile = [](const ExportSettings &) { return ExportResult::Cancelled; };
    ui.clear();
    EXPECT_TRUE(model.finish(ui, runners));
    EXPECT_TRUE(ui.interactions().isEmpty()); // nothing written, nothing offered
}

} // namespace

namespace {

TEST_F(WizardModel, BookmarkFileTypeRunsItsOwnExport)
{
    IniFile ini(iniPath());
    ini.load();
    ExportWizardModel model(ini, {});
    model.setType(u"Bookmarks"_s);
    EXPECT_EQ(model.fileMask(), u"Bookmark files|*.html|All Files|*.*"_s);
    EXPECT_FALSE(model.fieldsPageVisible());
    EXPECT_FALSE(model.preformattedEnabled());
    model.settings().file = dir.filePath(u"bookmarks.html"_s);
    int bookmarkRuns = 0;
    int fileRuns = 0;
    ExportWizardModel::Runners runners;
    runners.exportFile = [&](const ExportSettings &) {
        ++fileRuns;
        return ExportResult::Written;
    };
    runners.bookmarkFile = [&](const ExportSettings &s) {
        ++bookmarkRuns;
        EXPECT_EQ(s.type, u"Bookmarks"_s);
        return ExportResult::Written;
    };
    ui.push(false); // not launched
    EXPECT_TRUE(model.finish(ui, runners));
    EXPECT_EQ(bookmarkRuns, 1);
    EXPECT_EQ(fileRuns, 0);
    EXPECT_EQ(ui.titles().last(), u"Export Complete"_s);
}

} // namespace
