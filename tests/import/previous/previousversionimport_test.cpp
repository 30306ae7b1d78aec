#include "framework/errormanager.h"
#include "framework/scripteduserinterface.h"
#include "import/previous/previousversionimport.h"
#include "store/storefixture.h"

#include <SQLiteCpp/Database.h>
#include <SQLiteCpp/Statement.h>

using namespace Qt::StringLiterals;

namespace pk {
namespace {

class PreviousVersionImportTest : public test::StoreTest
{
protected:
    void SetUp() override
    {
        StoreTest::SetUp();
        ASSERT_TRUE(c().categories().insert({u"Tools"_s, 0, {}}));
    }

    /// A previous-version file with fixed-length (space padded) text, as such files held.
    QString makeOldFile(const QList<std::tuple<const char *, const char *, const char *, int>> &rows)
    {
        const QString path = m_temp.path(u"old/URL_L.TPS"_s);
        QDir().mkpath(m_temp.path(u"old"_s));
        SQLite::Database db(path.toStdString(), SQLite::OPEN_READWRITE | SQLite::OPEN_CREATE);
        db.exec("CREATE TABLE URL_L (LOCATION TEXT, DESCRIPTION TEXT, CATEGORY TEXT, "
                "RATING INTEGER, KEYWORD TEXT, SiteInfo TEXT)");
        for (const auto &[location, description, category, rating] : rows) {
            SQLite::Statement st(db,
                                 "INSERT INTO URL_L VALUES (?, ?, ?, ?, 'kw        ', "
                                 "'memo not copied')");
            st.bind(1, location);
            st.bind(2, description);
            st.bind(3, category);
            st.bind(4, rating);
            st.exec();
        }
        return path;
    }

    int run(const QString &path)
    {
        PreviousVersionImport import(c(), m_errors);
        if (!import.open(path))
            return -1;
        while (import.step(2)) {
        }
        import.finish();
        return import.added();
    }

    ScriptedUserInterface m_ui;
    ErrorManager m_errors{m_ui};
};

TEST_F(PreviousVersionImportTest, NameCheckIgnoresLetterCase)
{
    EXPECT_TRUE(PreviousVersionImport::nameAccepted(u"url_l.tps"_s));
    EXPECT_TRUE(PreviousVersionImport::nameAccepted(u"/home/me/old/URL_L.TPS"_s));
    EXPECT_FALSE(PreviousVersionImport::nameAccepted(u"/home/me/URLDATA.TPS"_s));
}

TEST_F(PreviousVersionImportTest, CopiesFiveFieldsOfEveryRecord)
{
    const QString path = makeOldFile({{"http://a.example/   ", "Aaa   ", "General ", 7},
                                      {"http://b.example/", "Bbb", "tools", 120},
                                      {"http://c.example/", "Ccc", "Tools", -3}});
    EXPECT_EQ(run(path), 3);
    EXPECT_EQ(m_ui.titles(), QStringList{u"Complete"_s});
    EXPECT_TRUE(m_ui.messages().at(0).startsWith(u"3 URL(s) imported.\nAdded: 3\n"_s));
    LocationRecord a;
    ASSERT_TRUE(c().locations().get(u"http://a.example/"_s, a));
    EXPECT_EQ(a.Description, u"Aaa"_s);
    EXPECT_EQ(a.Category, u"General"_s);
    EXPECT_EQ(a.Rating, 7);
    EXPECT_EQ(a.Keyword, u"kw"_s);
    EXPECT_EQ(a.SiteInfo, QString()) << "the memo is not copied";
    LocationRecord b;
    ASSERT_TRUE(c().locations().get(u"http://b.example/"_s, b));
    EXPECT_EQ(b.Rating, 99);
}

TEST_F(PreviousVersionImportTest, RefusalsAreReportedOnceEachAndSummedUp)
{
    const QString path = makeOldFile({{"http://a.example/", "A", "Missing", 0},
                                      {"http://b.example/", "B", "Missing too", 0},
                                      {"http://c.example/", "C", "Tools", 0}});
    EXPECT_EQ(run(path), 1);
    ASSERT_EQ(m_ui.titles(), (QStringList{u"Field contents error"_s, u"Complete"_s}));
    EXPECT_TRUE(m_ui.messages().at(1).contains(u"Refused: 2 (category not in Categories 2)"_s));

    m_ui.clear();
    EXPECT_EQ(run(path), 0) << "the same file twice adds nothing";
    EXPECT_EQ(m_ui.titles(),
              (QStringList{u"Field contents error"_s, u"Duplicate Key Error"_s, u"Complete"_s}));
    EXPECT_TRUE(m_ui.messages().at(2).contains(u"Already stored (left as they were): 1"_s));
    EXPECT_EQ(c().locations().count(), 1);
}

TEST_F(PreviousVersionImportTest, AddressesAreCopiedWholeAndTooLongOnesRefused)
{
    const std::string longest = "http://long.example/" + std::string(2028, 'l');
    const std::string tooLong = longest + "x";
    const QString path = makeOldFile({{longest.c_str(), "Long", "Tools", 0},
                                      {tooLong.c_str(), "Too long", "Tools", 0},
                                      {"http://short.example/", "Short", "Tools", 0}});
    EXPECT_EQ(run(path), 2);
    LocationRecord r;
    ASSERT_TRUE(c().locations().get(QString::fromStdString(longest), r));
    EXPECT_EQ(r.Location.size(), 2048);
    EXPECT_EQ(c().locations().count(), 2) << "nothing stored cut";
    EXPECT_EQ(m_ui.titles(), (QStringList{u"Import from Pathkeep Database"_s, u"Complete"_s}));
    EXPECT_TRUE(m_ui.messages().at(0).contains(u"2049 characters"_s));
    EXPECT_TRUE(m_ui.messages().at(1).contains(u"Refused: 1 (address too long 1)"_s));
}

TEST_F(PreviousVersionImportTest, AFileThatIsNoDatabaseIsReported)
{
    ASSERT_TRUE(m_temp.writeFile(u"URL_L.TPS"_s, "not a database at all"));
    EXPECT_EQ(run(m_temp.path(u"URL_L.TPS"_s)), -1);
    EXPECT_EQ(run(m_temp.path(u"nowhere/URL_L.TPS"_s)), -1);
    EXPECT_EQ(m_ui.titles(), (QStringList{u"File Access Error"_s, u"File Access Error"_s}));
    EXPECT_EQ(c().locations().count(), 0);
}

} // namespace
} // namespace pk
