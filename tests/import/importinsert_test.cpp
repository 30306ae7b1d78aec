#include "importfixture.h"

#include "import/importinsert.h"

using namespace pk;
using namespace pk::test;
using namespace Qt::StringLiterals;

namespace {

LocationRecord link(const QString &address, const QString &category)
{
    LocationRecord r;
    r.Location = address;
    r.Description = address;
    r.Category = category;
    return r;
}

class ImportInsertTest : public ImportTest
{};

} // namespace

TEST_F(ImportInsertTest, DuplicateAddressIsRefusedSilentlyAndTheStoredOneStays)
{
    addCategory(u"News"_s);
    ImportInsert insert(c(), errors, CategoryMode::Guess, {});
    LocationRecord first = link(u"http://a.test/"_s, u"News"_s);
    first.Description = u"First"_s;
    EXPECT_EQ(insert.insert(first), ImportInsert::Outcome::Added);
    LocationRecord second = first;
    second.Description = u"Second"_s;
    EXPECT_EQ(insert.insert(second), ImportInsert::Outcome::Duplicate);
    // An address differing in letter case is another page.
    EXPECT_EQ(insert.insert(link(u"http://A.test/"_s, u"News"_s)), ImportInsert::Outcome::Added);
    EXPECT_EQ(insert.added(), 2);
    EXPECT_EQ(insert.duplicates(), 1);
    EXPECT_EQ(stored(u"http://a.test/"_s).Description, u"First"_s);
    EXPECT_TRUE(ui.interactions().isEmpty());
}

TEST_F(ImportInsertTest, MissingCategoryReportsTheFirstRefusalOnlyAndCountsTheRest)
{
    ImportInsert insert(c(), errors, CategoryMode::None, {});
    for (int i = 0; i < 50; ++i)
        EXPECT_EQ(insert.insert(link(u"http://x.test/%1"_s.arg(i), {})),
                  ImportInsert::Outcome::Refused);
    EXPECT_EQ(insert.refused(), 50);
    EXPECT_EQ(insert.added(), 0);
    EXPECT_EQ(count(), 0);
    ASSERT_EQ(ui.interactions().size(), 1);
    EXPECT_EQ(ui.interactions()[0].title, u"Field contents error"_s);
    insert.reportRefusals();
    ASSERT_EQ(ui.interactions().size(), 2);
    EXPECT_EQ(ui.interactions()[1].text, ImportInsert::refusalSummary(50));
    EXPECT_TRUE(ui.interactions()[1].text.startsWith(u"50 "_s));
}

TEST_F(ImportInsertTest, SingleRefusalNeedsNoSummary)
{
    ImportInsert insert(c(), errors, CategoryMode::None, {});
    insert.insert(link(u"http://x.test/"_s, u"Nowhere"_s));
    insert.reportRefusals();
    EXPECT_EQ(ui.interactions().size(), 1);
}

TEST_F(ImportInsertTest, ContentRulesPerMode)
{
    addCategory(u"Existing"_s);
    const LocationRecord r = link(u"http://a.test/"_s, {});
    {
        ImportInsert guess(c(), errors, CategoryMode::Guess, {});
        EXPECT_EQ(guess.assignCategory({}, r), u"New"_s);
        EXPECT_EQ(guess.assignCategory(u"Tools   "_s, r), u"Tools"_s);
        EXPECT_TRUE(c().categories().exists(u"New"_s));
        EXPECT_TRUE(c().categories().exists(u"Tools"_s));
        // An existing name in other letter case is not added twice.
        EXPECT_EQ(guess.assignCategory(u"existing"_s, r), u"existing"_s);
        std::vector<CategoryRecord> all;
        ASSERT_TRUE(c().categories().list(all));
        EXPECT_EQ(all.size(), 3u);
    }
    {
        ImportInsert selected(c(), errors, CategoryMode::Selected, u"Chosen"_s);
        EXPECT_EQ(selected.assignCategory(u"Folder"_s, r), u"Chosen"_s);
        EXPECT_FALSE(c().categories().exists(u"Chosen"_s));
        EXPECT_FALSE(c().categories().exists(u"Folder"_s));
    }
    {
        ImportInsert none(c(), errors, CategoryMode::None, {});
        EXPECT_EQ(none.assignCategory(u"Folder"_s, r), u"Folder"_s);
        EXPECT_EQ(none.assignCategory({}, r), QString());
        EXPECT_FALSE(c().categories().exists(u"Folder"_s));
    }
    // Names are cut to the category width.
    ImportInsert guess(c(), errors, CategoryMode::Guess, {});
    EXPECT_EQ(guess.assignCategory(QString(60, u'x'), r), QString(50, u'x'));
}

TEST_F(ImportInsertTest, AskTakesTheChoiceTheGuessOrFallsBack)
{
    std::vector<std::optional<QString>> answers{u"Picked"_s, QString(), std::nullopt};
    QStringList guesses;
    const auto question = [&](const LocationRecord &, const QString &guess) {
        guesses << guess;
        const std::optional<QString> a = answers.front();
        answers.erase(answers.begin());
        return a;
    };
    const LocationRecord r = link(u"http://a.test/"_s, {});
    ImportInsert content(c(), errors, CategoryMode::Ask, {});
    content.setCategoryQuestion(question);
    EXPECT_EQ(content.assignCategory(u"Folder"_s, r), u"Picked"_s);
    EXPECT_EQ(content.assignCategory(u"Folder"_s, r), u"Folder"_s); // "&Use Best Guess"
    EXPECT_EQ(content.assignCategory(u"Folder"_s, r), u"New"_s);    // closed without a choice
    EXPECT_EQ(guesses, QStringList({u"Folder"_s, u"Folder"_s, u"Folder"_s}));
    EXPECT_TRUE(c().categories().exists(u"Picked"_s));
    EXPECT_TRUE(c().categories().exists(u"New"_s));

    answers = {std::nullopt};
    ImportInsert folders(c(), errors, CategoryMode::Ask, {}, ImportInsert::Rules::FolderTree);
    folders.setCategoryQuestion(question);
    EXPECT_EQ(folders.assignCategory(u"News: Local"_s, r), u"News: Local"_s);
}

TEST_F(ImportInsertTest, FolderTreeRules)
{
    const LocationRecord r = link(u"http://a.test/"_s, {});
    ImportInsert none(c(), errors, CategoryMode::None, {}, ImportInsert::Rules::FolderTree);
    EXPECT_EQ(none.assignCategory(u"News"_s, r), QString());
    ImportInsert selected(c(),
                          errors,
                          CategoryMode::Selected,
                          u"Mine"_s,
                          ImportInsert::Rules::FolderTree);
    EXPECT_EQ(selected.assignCategory(u"News"_s, r), u"Mine"_s);
    EXPECT_TRUE(c().categories().exists(u"Mine"_s));
    EXPECT_FALSE(c().categories().exists(u"News"_s));
}

TEST_F(ImportInsertTest, BatchCommitsAndACategoryDeletedBetweenBatchesIsNotTrusted)
{
    ImportInsert insert(c(), errors, CategoryMode::Guess, {});
    static_cast<void>(insert.runBatch([&] {
        LocationRecord r = link(u"http://a.test/"_s, {});
        r.Category = insert.assignCategory(u"Temp"_s, r);
        insert.insert(r);
    }));
    EXPECT_FALSE(c().inTransaction());
    EXPECT_EQ(count(), 1);
    ASSERT_TRUE(c().categories().remove(u"Temp"_s));
    static_cast<void>(insert.runBatch([&] {
        LocationRecord r = link(u"http://b.test/"_s, {});
        r.Category = insert.assignCategory(u"Temp"_s, r);
        EXPECT_EQ(insert.insert(r), ImportInsert::Outcome::Added);
    }));
    EXPECT_TRUE(c().categories().exists(u"Temp"_s));
    EXPECT_EQ(count(), 2);
}

TEST_F(ImportInsertTest, BatchThatCannotCommitIsNotCountedAndStopsTheImport)
{
    addCategory(u"News"_s);
    ImportInsert insert(c(), errors, CategoryMode::Guess, {});
    const StoreStatus s = insert.runBatch([&] {
        insert.insert(link(u"http://a.test/"_s, u"News"_s));
        throw std::runtime_error("disk gone");
    });
    EXPECT_FALSE(s);
    EXPECT_EQ(insert.added(), 0);
    EXPECT_TRUE(insert.stopped());
    EXPECT_EQ(count(), 0);
    EXPECT_EQ(ui.interactions().size(), 1);
}

TEST_F(ImportInsertTest, ClosedCollectionFailsOnceAndStops)
{
    c().close();
    ImportInsert insert(c(), errors, CategoryMode::None, {});
    EXPECT_EQ(insert.insert(link(u"http://a.test/"_s, {})), ImportInsert::Outcome::Failed);
    EXPECT_EQ(insert.insert(link(u"http://b.test/"_s, {})), ImportInsert::Outcome::Failed);
    EXPECT_TRUE(insert.stopped());
    EXPECT_EQ(ui.interactions().size(), 1);
}
