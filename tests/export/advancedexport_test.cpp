#include "export/advancedexport.h"
#include "import/csv/delimitedwriter.h"
#include "framework/scripteduserinterface.h"
#include "store/picture.h"
#include "store/storefixture.h"

#include <QDir>
#include <QFile>

using namespace Qt::StringLiterals;

namespace pk {
namespace {

QList<ExportFieldEntry> entries(const QStringList &names)
{
    QList<ExportFieldEntry> out;
    for (const QString &n : names) {
        for (const ExportFieldEntry &e : AdvancedExportFields::allFields()) {
            if (e.name == n)
                out << e;
        }
    }
    return out;
}

TEST(AdvancedExportFields, AddRemoveAndShiftFollowTheListRules)
{
    ASSERT_EQ(AdvancedExportFields::allFields().size(), 23);
    AdvancedExportFields f;
    int highlight = -1;
    EXPECT_EQ(f.add({3, 0}, highlight), (QList<int>{0, 1}));
    EXPECT_EQ(highlight, 0) << "the first row of a fresh list is highlighted";
    highlight = 1;
    // the same field again leaves one row and marks it
    EXPECT_EQ(f.add({0, 22}, highlight), (QList<int>{0, 2}));
    EXPECT_EQ(highlight, 1);
    EXPECT_EQ(f.exportFields(), entries({u"URL:Location"_s, u"URL:Rating"_s, u"CAT:Description"_s}));

    EXPECT_EQ(f.shiftUp(0), 0);
    EXPECT_EQ(f.shiftDown(2), 2);
    EXPECT_EQ(f.shiftDown(0), 1);
    EXPECT_EQ(f.exportFields().at(1).name, u"URL:Location"_s);
    EXPECT_EQ(f.shiftUp(1), 0);

    f.setPicture(1, u"@n5"_s);
    f.setPicture(1, u"  "_s);
    EXPECT_EQ(f.exportFields().at(1).picture, u"@n5"_s) << "a blank picture changes nothing";

    EXPECT_EQ(f.remove({0}, 2), 1) << "the highlight moves up when a row above it goes";
    EXPECT_EQ(f.remove({0, 1}, 1), -1);
    EXPECT_TRUE(f.isEmpty());

    EXPECT_EQ(AdvancedExportFields::kindText(u"@s255"_s), u"Alpha-numeric"_s);
    EXPECT_EQ(AdvancedExportFields::kindText(u"@N2"_s), u"Numeric"_s);
    EXPECT_EQ(AdvancedExportFields::kindText(u"@d17b"_s), u"@d17b"_s);
}

class AdvancedExportTest : public test::StoreTest
{
protected:
    void SetUp() override
    {
        StoreTest::SetUp();
        ASSERT_TRUE(c().categories().insert({u"News"_s, 3, u"Daily \"papers\""_s}));
        LocationRecord a = test::location(u"http://b.example/"_s, u"Bee"_s, u"news"_s, 5);
        a.LastVisit = 70000;
        a.Comments = u"two\nlines"_s;
        ASSERT_TRUE(c().locations().insert(a));
        ASSERT_TRUE(c().locations().insert(
            test::location(u"http://a.example/"_s, u"Ay"_s, u"General"_s, 9)));
        ASSERT_TRUE(c().locations().insert(
            test::location(u"http://c.example/"_s, u"Cee"_s, u"News"_s, -1)));
    }

    QString read(const QString &path)
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : u"<missing>"_s;
    }

    AdvancedExportSettings settings(const QString &order, const QString &assignment = u"All"_s)
    {
        AdvancedExportSettings s;
        s.file = m_temp.path(u"out.csv"_s);
        s.order = order;
        s.assignment = assignment;
        return s;
    }

    ScriptedUserInterface m_ui;
};

TEST_F(AdvancedExportTest, WritesChosenFieldsInOrderWithHeader)
{
    AdvancedExport run(c(), m_ui);
    QList<ExportFieldEntry> fields = entries({u"URL:Location"_s,
                                              u"URL:Rating"_s,
                                              u"URL:LastVisit"_s,
                                              u"URL:Comments"_s,
                                              u"CAT:Description"_s,
                                              u"CAT:Flag"_s});
    ASSERT_TRUE(run.run(settings(u"Rating"_s), fields, true));
    const QString day = DelimitedWriter::formatValue(u"@d17"_s, 70000);
    EXPECT_TRUE(day.contains(u"1992"_s)) << "the year in full: " << qPrintable(day);
    // The header names the date's picture; the comment's line break stays inside its quotes.
    EXPECT_EQ(read(run.fileName()),
              u"\"URL:Location\",\"URL:Rating\",\"URL:LastVisit@d17\",\"URL:Comments\","
              "\"CAT:Description\",\"CAT:Flag\"\n"
              "\"http://a.example/\",9,\"\",\"\",\"\",0\n"
              "\"http://b.example/\",5,\""_s
                  + day
                  + u"\",\"two\nlines\",\"Daily \"\"papers\"\"\",3\n"
                    "\"http://c.example/\",-1,\"\",\"\",\"Daily \"\"papers\"\"\",3\n"_s);
    EXPECT_EQ(run.written(), 3);
    EXPECT_EQ(run.percent(), 100);
    EXPECT_TRUE(m_ui.interactions().isEmpty());
}

TEST_F(AdvancedExportTest, SelectedCategoryIgnoresLetterCaseAndHeaderComesAlways)
{
    AdvancedExport run(c(), m_ui);
    AdvancedExportSettings s = settings(u"Location"_s, u"Selected"_s);
    s.category = u"NEWS"_s;
    ASSERT_TRUE(run.run(s, entries({u"URL:Location"_s}), false));
    EXPECT_EQ(read(s.file), u"\"http://b.example/\"\n\"http://c.example/\"\n"_s);

    s.category = u"Nobody"_s;
    ASSERT_TRUE(run.run(s, entries({u"URL:Location"_s, u"URL:Custom1"_s}), true));
    EXPECT_EQ(read(s.file), u"\"URL:Location\",\"URL:Custom1\"\n"_s);
}

TEST_F(AdvancedExportTest, QueryLimitsTheRunAndABadOneWritesNothing)
{
    AdvancedExport run(c(), m_ui);
    AdvancedExportSettings s = settings(u"Description"_s, u"Query"_s);
    s.queryCondition = u"URL:Rating > 0"_s;
    ASSERT_TRUE(run.run(s, entries({u"URL:Description"_s}), false));
    EXPECT_EQ(read(s.file), u"\"Ay\"\n\"Bee\"\n"_s);

    // a query may name the fields of the location's category
    s.queryCondition = u"CAT:Flag = 3"_s;
    ASSERT_TRUE(run.run(s, entries({u"URL:Description"_s}), false));
    EXPECT_EQ(read(s.file), u"\"Bee\"\n\"Cee\"\n"_s);

    s.file = m_temp.path(u"bad.csv"_s);
    s.queryCondition = u"URL:Rating >"_s;
    EXPECT_FALSE(run.run(s, entries({u"URL:Description"_s}), false));
    EXPECT_FALSE(QFile::exists(s.file));
    EXPECT_EQ(m_ui.titles(), QStringList{u"Error"_s});
}

TEST_F(AdvancedExportTest, HeaderNamesThePicturesTheImportNeeds)
{
    EXPECT_EQ(AdvancedExport::headerName({u"URL:Location"_s, u"@s255"_s}), u"URL:Location"_s);
    EXPECT_EQ(AdvancedExport::headerName({u"URL:Rating"_s, u"@N2"_s}), u"URL:Rating"_s);
    EXPECT_EQ(AdvancedExport::headerName({u"URL:Expires"_s, u"@d17b"_s}), u"URL:Expires@d17b"_s);
    EXPECT_EQ(AdvancedExport::headerName({u"URL:LastVisit"_s, u"@n6"_s}), u"URL:LastVisit@n6"_s)
        << "a date field always says how it was written";
    EXPECT_EQ(AdvancedExport::headerName({u"URL:Custom1"_s, u"@d17"_s}), u"URL:Custom1@d17"_s);
}

TEST_F(AdvancedExportTest, AStoppedRunLeavesTheEarlierFile)
{
    QFile earlier(m_temp.path(u"out.csv"_s));
    ASSERT_TRUE(earlier.open(QIODevice::WriteOnly));
    earlier.write("earlier\n");
    earlier.close();
    AdvancedExport run(c(), m_ui);
    ASSERT_TRUE(run.open(settings(u"Location"_s), entries({u"URL:Location"_s}), true));
    EXPECT_EQ(run.step(1), AdvancedExport::Step::More);
    EXPECT_FALSE(run.close()) << "cancelled before the last location";
    EXPECT_EQ(read(m_temp.path(u"out.csv"_s)), u"earlier\n"_s);
    EXPECT_EQ(QDir(m_temp.folder()).entryList({u"*out.csv*"_s}, QDir::Files | QDir::Hidden),
              QStringList{u"out.csv"_s});
}

TEST_F(AdvancedExportTest, UnknownOrderReadsByLocation)
{
    EXPECT_EQ(&AdvancedExport::keyForOrder(u"Nonsense"_s), &Keys::urlLocation());
    EXPECT_EQ(&AdvancedExport::keyForOrder(u"CatLoc"_s), &Keys::urlCategoryLocation());
    AdvancedExport run(c(), m_ui);
    ASSERT_TRUE(run.run(settings(u"Nonsense"_s), entries({u"URL:Description"_s}), false));
    EXPECT_EQ(read(m_temp.path(u"out.csv"_s)), u"\"Ay\"\n\"Bee\"\n\"Cee\"\n"_s);
}

} // namespace
} // namespace pk
