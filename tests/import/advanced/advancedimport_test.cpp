#include "export/advancedexport.h"
#include "framework/scripteduserinterface.h"
#include "framework/errormanager.h"
#include "import/advanced/advancedimport.h"
#include "import/advanced/importinsertsink.h"
#include "import/importinsert.h"
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
    import.setPicture(6, u"@d17"_s);   // URL:LastVisit
    import.setPicture(13, u"@d17b"_s); // URL:Expires
    EXPECT_EQ(import.importFields().at(6).kind, u"@d17"_s);

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

TEST_F(AdvancedImportTest, DefaultPictureReadsDatesDigitByDigitAndBadNumbersSafely)
{
    AdvancedImport import(m_ui);
    ASSERT_TRUE(
        import.open(file("\"http://d/\",\"12/31/2020\",\"9999999999\",\"x\",\"General\"\n")));
    import.assign(0, 0);
    import.assign(6, 1);  // LastVisit
    import.assign(14, 2); // PageSize
    import.assign(13, 3); // Expires from text
    import.assign(2, 4);
    runAll(import);
    LocationRecord d;
    ASSERT_TRUE(c().locations().get(u"http://d/"_s, d));
    EXPECT_EQ(d.LastVisit, 12312020);
    EXPECT_EQ(d.PageSize, std::numeric_limits<qint32>::max());
    EXPECT_EQ(d.Expires, 0);
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
