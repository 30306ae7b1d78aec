#include "browse/list/locationbrowse.h"
#include "browse/list/locationcolumns.h"
#include "browse/list/memberbrowse.h"
#include "framework/errormanager.h"
#include "framework/scripteduserinterface.h"
#include "platform/launcher.h"
#include "store/categorymanager.h"
#include "store/collection.h"
#include "store/detailmanager.h"
#include "store/keywordmanager.h"
#include "store/locationmanager.h"
#include "support/recordingstarter.h"
#include "support/strictmodeltester.h"
#include "support/tempcollection.h"

#include <QDir>

#include <gtest/gtest.h>

using namespace pk;
using namespace Qt::StringLiterals;

namespace {

/// Locations "A".."D" in categories News and Tools; A has three keywords, B one keyword and
/// two details, C none, D one detail.
class FamilyFixture : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_temp.isValid());
        QDir().mkpath(m_temp.folder());
        m_collection = std::make_unique<Collection>(m_temp.folder());
        ASSERT_TRUE(m_collection->openAll(true).ok());
        m_errors = std::make_unique<ErrorManager>(m_ui);
        m_errors->setHaltHandler([](const QString &, const QString &) {});
        m_starter = std::make_unique<test::RecordingStarter>(m_errors.get());
        m_launcher = std::make_unique<Launcher>(
            m_ui,
            [this](const QString &file, const QString &, const QString &) {
                m_launched << file;
                return Launcher::Success;
            },
            [](const QString &, const QStringList &, const QString &) { return true; });
        for (const char *name : {"News", "Tools"})
            ASSERT_TRUE(m_collection->categories().insert({QString::fromLatin1(name), 0, {}}).ok());
        addLocation(u"http://a.example/"_s, u"Alpha"_s, u"News"_s, 1);
        addLocation(u"http://b.example/"_s, u"Bravo"_s, u"Tools"_s, 2);
        addLocation(u"http://c.example/"_s, u"Charlie"_s, u"News"_s, 0);
        addLocation(u"http://d.example/"_s, u"Delta"_s, u"Tools"_s, 0);
        for (const char *k : {"zeta", "alpha", "mid"})
            addKeyword(u"http://a.example/"_s, QString::fromLatin1(k));
        addKeyword(u"http://b.example/"_s, u"tool"_s);
        addDetail(u"http://b.example/"_s, u"Server"_s, u"nginx"_s);
        addDetail(u"http://d.example/"_s, u"Language"_s, u"en"_s);
        addDetail(u"http://b.example/"_s, u"Size"_s, u"12"_s);
        // A row whose location is gone is not shown.
        addKeyword(u"http://gone.example/"_s, u"orphan"_s);
    }

    void addLocation(const QString &location,
                     const QString &description,
                     const QString &category,
                     quint8 validated)
    {
        LocationRecord r;
        r.Location = location;
        r.Description = description;
        r.Category = category;
        r.Validated = validated;
        ASSERT_TRUE(m_collection->locations().insert(r).ok());
    }
    void addKeyword(const QString &location, const QString &keyword)
    {
        KeywordRecord k;
        k.Location = location;
        k.Keyword = keyword;
        ASSERT_TRUE(m_collection->keywords().insert(k).ok());
    }
    void addDetail(const QString &location, const QString &label, const QString &value)
    {
        DetailRecord d;
        d.Location = location;
        d.DataLabel = label;
        d.DataValue = value;
        ASSERT_TRUE(m_collection->details().insert(d).ok());
    }

    LocationBrowse::Hooks hooks()
    {
        LocationBrowse::Hooks h;
        h.starter = m_starter.get();
        h.setClipboard = [this](const QString &text) { m_clipboard = text; };
        return h;
    }
    std::unique_ptr<MemberBrowse> members(MemberRows::Kind kind)
    {
        auto b = std::make_unique<MemberBrowse>(*m_collection,
                                                m_ui,
                                                *m_errors,
                                                *m_launcher,
                                                hooks(),
                                                kind);
        b->refresh();
        return b;
    }
    std::unique_ptr<LocationBrowse> locations()
    {
        auto b
            = std::make_unique<LocationBrowse>(*m_collection, m_ui, *m_errors, *m_launcher, hooks());
        b->refresh();
        return b;
    }
    static QStringList column(MemberBrowse &b, int c)
    {
        QStringList out;
        for (int r = 0; r < b.rows().count(); ++r)
            out << b.rows().display(r, c);
        return out;
    }
    static QStringList shown(LocationBrowse &b)
    {
        QStringList out;
        for (int r = 0; r < int(b.model().count()); ++r)
            out << b.model().rowAt(r)->record.Description;
        return out;
    }

    test::TempCollection m_temp;
    std::unique_ptr<Collection> m_collection;
    ScriptedUserInterface m_ui;
    std::unique_ptr<ErrorManager> m_errors;
    std::unique_ptr<Launcher> m_launcher;
    std::unique_ptr<test::RecordingStarter> m_starter;
    QStringList m_launched;
    QString m_clipboard;
};

constexpr int kDescriptionAfterKeyword = 1 + LocationColumns::Description;

} // namespace

TEST_F(FamilyFixture, KeywordListShowsOneRowPerKeywordInLocationThenSequenceOrder)
{
    auto b = members(MemberRows::Kind::Keywords);
    // Three keywords of A in the order they were added, then B's; C and the orphan are absent.
    EXPECT_EQ(column(*b, 0), (QStringList{u"zeta"_s, u"alpha"_s, u"mid"_s, u"tool"_s}));
    EXPECT_EQ(column(*b, kDescriptionAfterKeyword),
              (QStringList{u"Alpha"_s, u"Alpha"_s, u"Alpha"_s, u"Bravo"_s}));
    EXPECT_EQ(b->rows().heading(0), u"Keyword"_s);
    EXPECT_EQ(b->rows().heading(1 + LocationColumns::Keyword), u"Primary Keyword"_s);
    EXPECT_EQ(b->rows().columnCount(), 1 + LocationColumns::Custom3 + 1);
    EXPECT_EQ(b->title(), u"Keywords and Locations"_s);
}

TEST_F(FamilyFixture, DetailListKeepsStoredOrderAndShowsLabelAndValue)
{
    auto b = members(MemberRows::Kind::Details);
    EXPECT_EQ(column(*b, 0), (QStringList{u"Server"_s, u"Language"_s, u"Size"_s}));
    EXPECT_EQ(column(*b, 1), (QStringList{u"nginx"_s, u"en"_s, u"12"_s}));
    EXPECT_EQ(column(*b, 2 + LocationColumns::Description),
              (QStringList{u"Bravo"_s, u"Delta"_s, u"Bravo"_s}));
}

TEST_F(FamilyFixture, HeadingSortLocatorAndTabsReorderTheJoinedRows)
{
    auto b = members(MemberRows::Kind::Keywords);
    // Every change of order and filter keeps the model sound for its views.
    test::StrictModelTester tester(&b->model());
    b->sortByColumn(0, false);
    EXPECT_EQ(column(*b, 0), (QStringList{u"alpha"_s, u"mid"_s, u"tool"_s, u"zeta"_s}));
    b->sortByColumn(0, true);
    EXPECT_EQ(column(*b, 0).first(), u"zeta"_s);
    b->setTab(0); // by the location's description
    EXPECT_EQ(column(*b, kDescriptionAfterKeyword).last(), u"Bravo"_s);
    // The locator returns to the location order and finds the first row at or after the text.
    EXPECT_EQ(b->locate(u"HTTP://B"_s), 3);
    EXPECT_EQ(column(*b, 0).first(), u"zeta"_s);
    EXPECT_EQ(b->locate(u"http://zzz"_s), 3); // none follows: the last row
}

TEST_F(FamilyFixture, QueryAndFindReachKeywordAndLocationFields)
{
    auto b = members(MemberRows::Kind::Keywords);
    // Every change of order and filter keeps the model sound for its views.
    test::StrictModelTester tester(&b->model());
    ASSERT_TRUE(b->applyQuery(u"UDK:Keyword='mid' OR URL:Description='Bravo'"_s));
    EXPECT_EQ(column(*b, 0), (QStringList{u"mid"_s, u"tool"_s}));
    b->resetQuery();
    EXPECT_EQ(b->rows().count(), 4);

    EXPECT_EQ(b->find(u"URL:Location='http://a.example/'"_s, true, -1), 0);
    EXPECT_EQ(b->findAgain(0), 1);
    EXPECT_EQ(b->find(u"UDK:Keyword='tool'"_s, false, 3), -1);
    EXPECT_EQ(m_ui.messages().last(), u"No more matches."_s);

    // A malformed query is reported and keeps the list.
    EXPECT_FALSE(b->applyQuery(u"UDK:Keyword = ="_s));
    EXPECT_EQ(m_ui.last()->title, u"Invalid Query"_s);
    EXPECT_EQ(b->rows().count(), 4);
    EXPECT_FALSE(b->hasQuery());
}

TEST_F(FamilyFixture, CommandsActOnTheHighlightedRowsLocation)
{
    auto b = members(MemberRows::Kind::Details);
    b->commands().setSendType(SendType::Description);
    b->commands().copyToClipboard(1);
    EXPECT_EQ(m_clipboard, u"Delta"_s);
    b->commands().setSendType(SendType::Url);
    b->commands().launch(2);
    EXPECT_EQ(m_launched, QStringList{u"http://b.example/"_s});
    LocationRecord visited;
    ASSERT_TRUE(m_collection->locations().get(u"http://b.example/"_s, visited).ok());
    EXPECT_NE(visited.LastVisit, 0);
    // The list is read again after the launch and still holds its rows.
    EXPECT_EQ(b->rows().count(), 3);

    b->commands().change(1);
    ASSERT_FALSE(m_starter->calls.empty());
    const auto *form = m_starter->calls.back().as<LocationFormRequest>();
    ASSERT_TRUE(form);
    EXPECT_EQ(form->action, FormRequest::Change);
    EXPECT_EQ(form->location, u"http://d.example/"_s);
    b->commands().test(-1); // no row highlighted: nothing starts
    EXPECT_EQ(m_starter->calls.size(), 1u);
}

TEST_F(FamilyFixture, CategoryScopeShowsOnlyThatCategoryByDescription)
{
    auto b = locations();
    b->setCategoryScope(u"news"_s);
    EXPECT_EQ(shown(*b), (QStringList{u"Alpha"_s, u"Charlie"_s}));
    b->setCategoryScope(u"Tools"_s);
    EXPECT_EQ(shown(*b), (QStringList{u"Bravo"_s, u"Delta"_s}));
    EXPECT_EQ(b->locate(u"c"_s), 1); // past Bravo: the last row of the category
    EXPECT_EQ(b->locate(u"b"_s), 0);

    // The query narrows within the category; reset keeps the category.
    ASSERT_TRUE(b->applyQuery(u"URL:Validated=2"_s));
    EXPECT_EQ(shown(*b), QStringList{u"Bravo"_s});
    b->resetQuery();
    EXPECT_EQ(shown(*b), (QStringList{u"Bravo"_s, u"Delta"_s}));

    // A category without locations shows an empty list.
    ASSERT_TRUE(m_collection->categories().insert({u"Empty"_s, 0, {}}).ok());
    b->setCategoryScope(u"Empty"_s);
    EXPECT_TRUE(shown(*b).isEmpty());
}

TEST_F(FamilyFixture, ScopedListStartsNewLocationsInItsCategoryAndRemovesOnlyWhatItShows)
{
    auto b = locations();
    b->setCategoryScope(u"News"_s);
    b->insert();
    ASSERT_EQ(m_starter->calls.size(), 1u);
    const auto *form = m_starter->calls[0].as<LocationFormRequest>();
    ASSERT_TRUE(form);
    EXPECT_EQ(form->action, FormRequest::Insert);
    EXPECT_EQ(form->category, u"News"_s);

    m_ui.push(0); // Yes
    EXPECT_EQ(b->removeDisplayed(), 2);
    EXPECT_EQ(m_collection->locations().count(), 2);
    b->setCategoryScope(u"Tools"_s);
    EXPECT_EQ(shown(*b), (QStringList{u"Bravo"_s, u"Delta"_s}));
}

TEST_F(FamilyFixture, DeletingACategoryKeepsItsLocations)
{
    auto b = locations();
    b->setCategoryScope(u"News"_s);
    ASSERT_TRUE(m_collection->categories().remove(u"News"_s).ok());
    EXPECT_EQ(m_collection->locations().count(), 4);
    b->setCategoryScope(u"Tools"_s);
    EXPECT_EQ(shown(*b).size(), 2);
}
