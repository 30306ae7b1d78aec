// A collection exported as "CSV" by the list export comes back whole through the text import.

#include "export/exportfile.h"
#include "export/exportsettings.h"
#include "framework/errormanager.h"
#include "framework/scripteduserinterface.h"
#include "import/categorymode.h"
#include "import/text/textimportrun.h"
#include "store/storefixture.h"

using namespace Qt::StringLiterals;

namespace pk {
namespace {

TEST(CsvRoundTrip, ListExportComesBackUnderItsCategories)
{
    test::TempCollection from;
    Collection source(from.folder());
    ASSERT_TRUE(source.openAll(true));
    ASSERT_TRUE(source.categories().insert({u"Tools"_s, 0, {}}));
    ASSERT_TRUE(source.categories().insert({u"News, daily"_s, 0, {}}));
    std::vector<LocationRecord> records;
    for (int i = 0; i < 30; ++i) {
        LocationRecord r = test::location(u"http://site%1.example/?a=1,b=\"2\""_s.arg(i),
                                          u"Site \"%1\", the one"_s.arg(i),
                                          i % 2 ? u"Tools"_s : u"News, daily"_s,
                                          i % 10);
        r.SiteInfo = u"About site %1\nsecond line"_s.arg(i);
        ASSERT_TRUE(source.locations().insert(r));
        records.push_back(r);
    }
    ScriptedUserInterface ui;
    ExportSettings settings;
    settings.type = u"CSV"_s;
    settings.order = u"CatDesc"_s;
    settings.rating = true;
    settings.siteInfo = true;
    settings.file = from.path(u"out.csv"_s);
    ExportEnvironment env;
    env.collection = &source;
    env.ui = &ui;
    ExportFile exporter(settings, env);
    ASSERT_EQ(exporter.run(), ExportResult::Written);

    test::TempCollection to;
    Collection target(to.folder());
    ASSERT_TRUE(target.openAll(true));
    ErrorManager errors(ui);
    TextImportRun run(target,
                      errors,
                      TextImport::Kind::Csv,
                      CategoryMode::Guess,
                      QString(),
                      settings.file);
    ASSERT_TRUE(run.open());
    while (run.step()) {
    }
    run.finish();
    EXPECT_EQ(run.count(), 30);
    for (const LocationRecord &r : records) {
        LocationRecord back;
        ASSERT_TRUE(target.locations().get(r.Location, back)) << qPrintable(r.Location);
        EXPECT_EQ(back.Description, r.Description);
        EXPECT_EQ(back.Category, r.Category);
        EXPECT_EQ(back.Rating, r.Rating);
        EXPECT_EQ(back.SiteInfo, QString(r.SiteInfo).replace(u'\n', u'|'));
    }
    EXPECT_TRUE(target.categories().exists(u"News, daily"_s));
}

} // namespace
} // namespace pk
