// A collection exported as "CSV" by the list export comes back whole through the text import:
// every field the format carries, whatever the values hold.

#include "export/exportfile.h"
#include "export/exportsettings.h"
#include "framework/errormanager.h"
#include "framework/scripteduserinterface.h"
#include "import/categorymode.h"
#include "import/importinsert.h"
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
    // Awkward values: quotes, commas, line breaks (a blank line too), "|", other scripts, empty.
    ASSERT_TRUE(source.categories().insert({u"Café | \"Bar\""_s, 0, {}}));
    LocationRecord awkward = test::location(u"https://ü.example/p?a=1,b=\"2\"|c"_s,
                                            u"Line one\nline \"two\", | three"_s,
                                            u"Café | \"Bar\""_s,
                                            -99);
    awkward.SiteInfo = u"Über, \"alles\"\n\nafter a blank line |\n😀"_s;
    ASSERT_TRUE(source.locations().insert(awkward));
    records.push_back(awkward);
    LocationRecord empty;
    empty.Location = u"http://empty.example/"_s;
    empty.Category = u"Tools"_s;
    ASSERT_TRUE(source.locations().insert(empty));
    records.push_back(empty);
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
    EXPECT_EQ(run.count(), 32);
    EXPECT_EQ(run.insert().refused(), 0);
    for (const LocationRecord &r : records) {
        LocationRecord back;
        ASSERT_TRUE(target.locations().get(r.Location, back)) << qPrintable(r.Location);
        // An empty description reads back empty; the import leaves it so.
        EXPECT_EQ(back.Description, r.Description);
        EXPECT_EQ(back.Category, r.Category);
        EXPECT_EQ(back.Rating, r.Rating);
        EXPECT_EQ(back.SiteInfo, r.SiteInfo);
    }
    EXPECT_TRUE(target.categories().exists(u"News, daily"_s));
}

} // namespace
} // namespace pk
