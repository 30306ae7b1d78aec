#include "export/advancedexport.h"
#include "framework/scripteduserinterface.h"
#include "framework/errormanager.h"
#include "import/advanced/advancedimport.h"
#include "import/advanced/importinsertsink.h"
#include "import/importinsert.h"
#include "import/csv/delimitedwriter.h"
#include "store/picture.h"
#include "store/storefixture.h"

using namespace Qt::StringLiterals;

namespace pk {
namespace {

class AdvancedImportTest : public test::StoreTest
{
protected:
    AdvancedImportSink sink()
    {
        AdvancedImportSink s;
        s.offerCategory = [this](const QString &name) {
            if (!c().categories().exists(name)) {
                EXPECT_TRUE(c().categories().insert({name, 0, {}}));
            }
        };
        s.insert = [this](const LocationRecord &r) {
            return static_cast<bool>(c().locations().insert(r));
        };
        s.batch = [this](const std::function<void()> &work) {
            EXPECT_TRUE(c().transaction([&] {
                work();
                return StoreStatus::success();
            }));
        };
        return s;
    }

    QString file(const QByteArray &bytes)
    {
        EXPECT_TRUE(m_temp.writeFile(u"in.csv"_s, bytes));
        return m_temp.path(u"in.csv"_s);
    }

    void runAll(AdvancedImport &import)
    {
        if (!import.startRun())
            return;
        while (import.runStep(sink())) {
        }
    }

    ScriptedUserInterface m_ui;
};

TEST_F(AdvancedImportTest, ExportWithHeaderComesBackThroughAuto)
{
    // A second collection exports; this one imports.
    test::TempCollection otherFolder;
    Collection other(otherFolder.folder());
    ASSERT_TRUE(other.openAll(true));
    ASSERT_TRUE(other.categories().insert({u"Tools"_s, 0, {}}));
    LocationRecord a = test::location(u"http://a.example/"_s, u"A, \"first\""_s, u"Tools"_s, 7);
    a.LastVisit = 70123;
    a.Comments = u"note"_s;
    a.PageSize = 123456;
    LocationRecord b = test::location(u"http://b.example/"_s, u"B"_s, u"Tools"_s, -2);
    ASSERT_TRUE(other.locations().insert(a));
    ASSERT_TRUE(other.locations().insert(b));
    QList<ExportFieldEntry> fields;
    for (const ExportFieldEntry &e : AdvancedExportFields::allFields()) {
        if (!e.name.startsWith(u"CAT:"_s))
            fields << e;
    }
    AdvancedExport exporter(other, m_ui);
    AdvancedExportSettings settings;
    settings.file = m_temp.path(u"all.csv"_s);
    ASSERT_TRUE(exporter.run(settings, fields, true));

    AdvancedImport import(m_ui);
    ASSERT_TRUE(import.open(settings.file));
    ASSERT_EQ(import.importFields().size(), 20);
    EXPECT_EQ(import.importFields().at(3).kind, u"Numeric"_s) << "the rating is unquoted";
    EXPECT_EQ(import.importFields().at(0).kind, u"Alpha-num"_s);
    EXPECT_EQ(import.importFields().at(0).value, u"URL:Location"_s);
    import.autoAssign();
    EXPECT_TRUE(import.stripHeader());
    for (int t = 0; t < 20; ++t)
        EXPECT_EQ(import.targets().at(t).assigned, u"Field_"_s + QString::number(t + 1));
    // The header names the date columns' pictures, and Auto takes them.
    EXPECT_EQ(import.importFields().at(6).value, u"URL:LastVisit@d17"_s);
    EXPECT_EQ(import.importFields().at(6).kind, u"@d17"_s);
    EXPECT_EQ(import.importFields().at(13).picture, u"@d17b"_s);

    runAll(import);
    EXPECT_EQ(import.imported(), 2);
    EXPECT_EQ(import.percent(), 100);
    LocationRecord back;
    ASSERT_TRUE(c().locations().get(a.Location, back));
    EXPECT_EQ(back, LocationManager::prepared(a));
    ASSERT_TRUE(c().locations().get(b.Location, back));
    EXPECT_EQ(back, LocationManager::prepared(b));
    EXPECT_TRUE(c().categories().exists(u"Tools"_s)) << "a missing category is added";
    EXPECT_TRUE(m_ui.interactions().isEmpty());
}

TEST_F(AdvancedImportTest, BrowsingRecordsAndAssigning)
{
    AdvancedImport import(m_ui);
    ASSERT_TRUE(import.open(
        file("\"http://x/\",\"5\",\"X\",General\n\n\"http://y/\",\"1,5\",\"Y\",General\n")));
    EXPECT_EQ(import.importFields().at(1).kind, u"Alpha-num"_s) << "quoted in the second record";
    EXPECT_EQ(import.recordNumber(), 1);
    import.assign(0, 0);
    import.assign(3, 1);
    import.assign(1, 2);
    import.assign(17, 2); // one column may fill several targets
    import.assign(2, 3);
    EXPECT_EQ(import.targets().at(3).marker, u"="_s);
    EXPECT_EQ(import.targetOf(2), 1);
    EXPECT_EQ(import.importOf(17), 2);
    import.unassign(17);
    EXPECT_EQ(import.importOf(17), -1);

    EXPECT_TRUE(import.next()) << "the blank line is passed over";
    EXPECT_EQ(import.recordNumber(), 2);
    EXPECT_EQ(import.importFields().at(1).value, u"1,5"_s);
    EXPECT_FALSE(import.autoEnabled());
    EXPECT_FALSE(import.next());
    EXPECT_FALSE(import.nextEnabled());

    runAll(import);
    EXPECT_EQ(import.imported(), 2);
    LocationRecord y;
    ASSERT_TRUE(c().locations().get(u"http://y/"_s, y));
    EXPECT_EQ(y.Rating, 2) << "\"1,5\" is 1.5, rounded";
    EXPECT_EQ(y.Description, u"Y"_s);
}

TEST_F(AdvancedImportTest, OneRecordWithTheHeaderStrippedAddsNothing)
{
    AdvancedImport import(m_ui);
    ASSERT_TRUE(import.open(file("\"URL:Location\",\"URL:Description\"\n")));
    import.autoAssign();
    EXPECT_FALSE(import.startRun());
    EXPECT_FALSE(import.runStep(sink()));
    EXPECT_EQ(c().locations().count(), 0);
}

TEST_F(AdvancedImportTest, NothingToShowEndsBeforeTheWindow)
{
    AdvancedImport import(m_ui);
    EXPECT_FALSE(import.open(file("   \n\n")));
    m_ui.pushCancel();
    EXPECT_FALSE(import.open(QString()));
    EXPECT_EQ(m_ui.titles(), QStringList{u"Import File"_s});
}

TEST_F(AdvancedImportTest, ADateThatDoesNotReadUnderItsPictureRefusesTheRecord)
{
    const QString date = DelimitedWriter::formatValue(u"@d17"_s, 81234);
    ErrorManager errors(m_ui);
    ImportInsert insert(c(), errors, CategoryMode::None, QString());
    AdvancedImport import(m_ui);
    ASSERT_TRUE(import.open(file("\"http://a/\",\"" + date.toUtf8()
                                 + "\",\"\",\"9999999999\"\n"
                                   "\"http://b/\",\"12/31/2020 or so\",\"\",\"1\"\n"
                                   "\"http://c/\",\"\",\"tomorrow\",\"1\"\n"
                                   "\"http://d/\",\"\",\"81234\",\"1\"\n")));
    import.assign(0, 0);
    import.assign(6, 1); // LastVisit, with the date picture
    import.setPicture(1, u"@d17"_s);
    import.assign(13, 2); // Expires, kept at the text picture: a day number
    import.assign(14, 3); // PageSize
    import.setDefaultCategory(u"General"_s);
    ASSERT_TRUE(import.startRun());
    while (import.runStep(importInsertSink(insert))) {
    }
    EXPECT_EQ(insert.added(), 2);
    EXPECT_EQ(insert.refused(ImportInsert::Refusal::BadDate), 2);
    EXPECT_EQ(import.refused(), 2);
    LocationRecord r;
    ASSERT_TRUE(c().locations().get(u"http://a/"_s, r));
    EXPECT_EQ(r.LastVisit, 81234);
    EXPECT_EQ(r.Expires, 0);
    EXPECT_EQ(r.PageSize, std::numeric_limits<qint32>::max()) << "a big number is bounded";
    ASSERT_TRUE(c().locations().get(u"http://d/"_s, r));
    EXPECT_EQ(r.Expires, 81234);
    EXPECT_FALSE(c().locations().exists(u"http://b/"_s)) << "never stored as another date";
    EXPECT_FALSE(c().locations().exists(u"http://c/"_s));
}

TEST_F(AdvancedImportTest, BlankAddressesAreRefusedAndRecordsWithoutCategoryTakeTheOffered)
{
    ErrorManager errors(m_ui);
    ImportInsert insert(c(), errors, CategoryMode::None, QString());
    AdvancedImport import(m_ui);
    ASSERT_TRUE(import.open(file("\"http://a/\",\"A\"\n"
                                 "\"\",\"no address\"\n"
                                 "\"  \",\"blank address\"\n"
                                 "\"http://x/ y\",\"blank inside\"\n"
                                 "\"http://b/\",\"B\"\n")));
    import.assign(0, 0);
    import.assign(1, 1);
    import.setDefaultCategory(u" Imported "_s);
    ASSERT_TRUE(import.startRun());
    while (import.runStep(importInsertSink(insert))) {
    }
    EXPECT_EQ(insert.added(), 2);
    EXPECT_EQ(insert.refused(ImportInsert::Refusal::NotAnAddress), 3);
    EXPECT_EQ(c().locations().count(), 2);
    LocationRecord r;
    ASSERT_TRUE(c().locations().get(u"http://b/"_s, r));
    EXPECT_EQ(r.Category, u"Imported"_s);
    EXPECT_TRUE(c().categories().exists(u"Imported"_s)) << "the offered category is added";
}

TEST_F(AdvancedImportTest, AHeaderWithoutPicturesReadsDatesAsTheExportWritesThemByDefault)
{
    const QString visit = DelimitedWriter::formatValue(u"@d17"_s, 80000);
    AdvancedImport import(m_ui);
    ASSERT_TRUE(
        import.open(file("\"URL:Location\",\"URL:LastVisit\",\"URL:Expires\",\"URL:Category\"\n"
                         "\"http://a/\",\""
                         + visit.toUtf8() + "\",\"\",\"General\"\n")));
    import.autoAssign();
    EXPECT_EQ(import.importFields().at(1).picture, u"@d17"_s);
    EXPECT_EQ(import.importFields().at(2).picture, u"@d17b"_s);
    runAll(import);
    LocationRecord r;
    ASSERT_TRUE(c().locations().get(u"http://a/"_s, r));
    EXPECT_EQ(r.LastVisit, 80000);
    EXPECT_EQ(r.Expires, 0);
}

// Every field of locations full of awkward values goes out through the field-selected export
// and comes back identical through the field-mapped import.
TEST_F(AdvancedImportTest, EveryFieldRoundTrips)
{
    test::TempCollection otherFolder;
    Collection other(otherFolder.folder());
    ASSERT_TRUE(other.openAll(true));
    const QStringList categories{u"Tools, \"hand\""_s, u"Café | Bar"_s, u"General"_s};
    for (const QString &name : categories)
        ASSERT_TRUE(other.categories().insert({name, 0, {}}));

    std::vector<LocationRecord> records;
    LocationRecord full;
    full.Location = u"https://ex.example/a?b=1,c=\"2\"|d"_s;
    full.Description = u"Comma, \"quote\" | bar — ünïcödé 😀"_s;
    full.Category = categories.at(0);
    full.Rating = -7;
    full.Keyword = u"kw,\"|"_s;
    full.SiteInfo = u"line one\nline two, \"quoted\"\n\nafter a blank line"_s;
    full.LastVisit = DayNumber::fromDate(QDate(2023, 11, 14));
    full.LastValidated = DayNumber::fromDate(QDate(1850, 1, 1));
    full.Validated = 2;
    full.MovedTo = u"https://moved.example/x,y"_s;
    full.Comments = u"first line\nsecond | line\r\nthird \"line\",\n"_s + QString(900, u'c');
    full.UserName = u"ü,ser"_s;
    full.Password = u"p\"w|d"_s;
    full.Expires = DayNumber::fromDate(QDate(2090, 12, 31));
    full.PageSize = -123456;
    full.EmailAddress = u"a@b.example"_s;
    full.OriginalFilename = u"/home/ü/bookmarks, old.html"_s;
    full.Custom1 = u"|"_s;
    full.Custom2 = u"\"\""_s;
    full.Custom3 = u",,,"_s;
    records.push_back(full);
    LocationRecord empty; // every optional field empty or 0, every date unset
    empty.Location = u"http://empty.example/"_s;
    empty.Category = categories.at(1);
    records.push_back(empty);
    LocationRecord some = test::location(u"ftp://ftp.example/pub/"_s, u"FTP"_s, u"General"_s, 99);
    some.LastVisit = DayNumber::fromDate(QDate(2000, 2, 29));
    some.Expires = 0;
    some.LastValidated = DayNumber::fromDate(QDate(9999, 12, 31));
    records.push_back(some);
    for (const LocationRecord &r : records)
        ASSERT_TRUE(other.locations().insert(r));

    QList<ExportFieldEntry> fields;
    for (const ExportFieldEntry &e : AdvancedExportFields::allFields())
        if (!e.name.startsWith(u"CAT:"_s))
            fields << e;
    AdvancedExport exporter(other, m_ui);
    AdvancedExportSettings settings;
    settings.file = m_temp.path(u"round.csv"_s);
    ASSERT_TRUE(exporter.run(settings, fields, true));

    ErrorManager errors(m_ui);
    ImportInsert insert(c(), errors, CategoryMode::None, QString());
    AdvancedImport import(m_ui);
    ASSERT_TRUE(import.open(settings.file));
    import.autoAssign();
    ASSERT_TRUE(import.startRun());
    while (import.runStep(importInsertSink(insert))) {
    }
    EXPECT_EQ(insert.added(), 3);
    EXPECT_EQ(insert.refused(), 0);
    for (const LocationRecord &r : records) {
        LocationRecord back;
        ASSERT_TRUE(c().locations().get(r.Location, back)) << qPrintable(r.Location);
        const LocationRecord expected = LocationManager::prepared(r);
        EXPECT_EQ(back, expected) << qPrintable(r.Location);
        EXPECT_EQ(back.Comments, expected.Comments);
        EXPECT_EQ(back.SiteInfo, expected.SiteInfo);
        EXPECT_EQ(back.LastVisit, expected.LastVisit);
        EXPECT_EQ(back.LastValidated, expected.LastValidated);
        EXPECT_EQ(back.Expires, expected.Expires);
    }
    EXPECT_TRUE(m_ui.interactions().isEmpty());
}

TEST_F(AdvancedImportTest, ThroughTheImportInsertDuplicatesAreQuietAndCategoriesAdded)
{
    ErrorManager errors(m_ui);
    ImportInsert insert(c(), errors, CategoryMode::None, QString());
    AdvancedImport import(m_ui);
    ASSERT_TRUE(import.open(file("\"http://q/\",\"Fresh\"\n\"http://q/\",\"Fresh\"\n"
                                 "\"http://r/\",\"\"\n")));
    import.assign(0, 0);
    import.assign(2, 1);
    ASSERT_TRUE(import.startRun());
    while (import.runStep(importInsertSink(insert))) {
    }
    EXPECT_EQ(insert.added(), 1);
    EXPECT_EQ(insert.duplicates(), 1);
    EXPECT_EQ(insert.refused(), 1) << "a blank category is not in Categories";
    EXPECT_TRUE(c().categories().exists(u"Fresh"_s));
    EXPECT_EQ(m_ui.titles(), QStringList{u"Field contents error"_s});
}

} // namespace
} // namespace pk
