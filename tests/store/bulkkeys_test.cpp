// A large batch of inserts into a small collection builds the list's other keys in one pass at
// its commit. What must hold whatever path the batch takes: duplicates are refused throughout,
// the keys come back exactly as the schema declares them, orders read right, and a batch that
// fails leaves the collection as it was.

#include "storefixture.h"

#include "store/fields.h"
#include "store/schemamanager.h"
#include "store/textindex.h"
#include "store/view.h"

#include <SQLiteCpp/Database.h>
#include <SQLiteCpp/Statement.h>

namespace pk::test {
namespace {

using namespace Qt::StringLiterals;

class BulkKeysTest : public StoreTest
{
protected:
    /// The stored CREATE statement of each of the list's keys (empty when the index is gone).
    std::vector<QString> storedKeys()
    {
        std::vector<QString> out;
        for (const KeyDef *k : locationsTable().keys) {
            SQLite::Statement st(c().db(), "SELECT sql FROM sqlite_schema WHERE name = ?");
            st.bind(1, k->sqlIndex);
            out.push_back(st.executeStep() ? QString::fromUtf8(st.getColumn(0).getText())
                                           : QString());
        }
        return out;
    }

    std::vector<QString> declaredKeys()
    {
        std::vector<QString> out;
        for (const KeyDef *k : locationsTable().keys)
            out.push_back(SchemaManager::createIndexSql(*k));
        return out;
    }

    bool keyPresent(const char *index)
    {
        SQLite::Statement st(c().db(), "SELECT 1 FROM sqlite_schema WHERE name = ?");
        st.bind(1, index);
        return st.executeStep();
    }

    StoreStatus insertMany(int from, int count)
    {
        for (int i = from; i < from + count; ++i) {
            // Descriptions run against insertion order, so the Description key's order is
            // not the row order.
            const QString n = QStringLiteral("%1").arg(99999 - i, 5, 10, QLatin1Char('0'));
            if (StoreStatus s = c().locations().insert(
                    location(QStringLiteral("http://host/%1").arg(i), QStringLiteral("Page ") + n));
                !s)
                return s;
        }
        return {};
    }

    std::vector<QString> descriptionOrder(int n)
    {
        View v(c(), Keys::urlDescription());
        ViewPage page;
        EXPECT_TRUE(v.firstPage(n, page));
        std::vector<QString> out;
        for (const ViewRow &r : page.rows)
            out.push_back(r.location().Description);
        return out;
    }

    qint64 integrityProblems()
    {
        SQLite::Statement st(c().db(), "PRAGMA integrity_check");
        qint64 problems = 0;
        while (st.executeStep())
            problems += st.getColumn(0).getString() != "ok";
        return problems;
    }
};

TEST_F(BulkKeysTest, LargeBatchIntoEmptyCollectionRebuildsKeysAndRefusesDuplicates)
{
    bool droppedDuringBatch = false;
    StoreStatus duplicate;
    const StoreStatus s = c().transaction([&]() -> StoreStatus {
        if (StoreStatus st = insertMany(0, 12000); !st)
            return st;
        droppedDuringBatch = !keyPresent("URL_K_Description");
        // The unique key stays: a location already in the batch is still refused.
        duplicate = c().locations().insert(location(QStringLiteral("http://host/17")));
        // Reads by a dropped key still give the right order inside the batch.
        EXPECT_EQ(descriptionOrder(1), std::vector<QString>{QStringLiteral("Page 88000")});
        return {};
    });
    ASSERT_TRUE(s) << s;
    EXPECT_TRUE(droppedDuringBatch);
    EXPECT_EQ(duplicate.error, StoreError::DuplicateKey);
    EXPECT_EQ(storedKeys(), declaredKeys());
    EXPECT_EQ(c().locations().count(), 12000);
    EXPECT_EQ(descriptionOrder(2),
              (std::vector<QString>{QStringLiteral("Page 88000"), QStringLiteral("Page 88001")}));
    EXPECT_EQ(integrityProblems(), 0);

    // The file opens as one needing no repair or upgrade.
    reopen();
    EXPECT_EQ(storedKeys(), declaredKeys());
}

TEST_F(BulkKeysTest, FailedOrUndoneBatchLeavesCollectionAndKeysAsTheyWere)
{
    ASSERT_TRUE(insertMany(0, 10));
    // The whole batch fails after the keys were dropped.
    const StoreStatus failed = c().transaction([&]() -> StoreStatus {
        if (StoreStatus st = insertMany(100, 6000); !st)
            return st;
        return StoreStatus::failure(StoreError::Other, QStringLiteral("stopped"));
    });
    EXPECT_FALSE(failed);
    EXPECT_EQ(c().locations().count(), 10);
    EXPECT_EQ(storedKeys(), declaredKeys());

    // An inner batch that drops the keys is undone; the outer one commits a few rows.
    const StoreStatus outer = c().transaction([&]() -> StoreStatus {
        static_cast<void>(c().transaction([&]() -> StoreStatus {
            if (StoreStatus st = insertMany(100, 6000); !st)
                return st;
            return StoreStatus::failure(StoreError::Other, QStringLiteral("undone"));
        }));
        return insertMany(20000, 3);
    });
    ASSERT_TRUE(outer) << outer;
    EXPECT_EQ(c().locations().count(), 13);
    EXPECT_EQ(storedKeys(), declaredKeys());
    EXPECT_EQ(integrityProblems(), 0);
}

TEST_F(BulkKeysTest, BatchSmallerThanTheCollectionKeepsKeysRowByRow)
{
    ASSERT_TRUE(c().transaction([&] { return insertMany(0, 8000); }));
    bool keptDuringBatch = false;
    ASSERT_TRUE(c().transaction([&]() -> StoreStatus {
        if (StoreStatus st = insertMany(10000, 6000); !st)
            return st;
        keptDuringBatch = keyPresent("URL_K_Description");
        return {};
    }));
    EXPECT_TRUE(keptDuringBatch);
    EXPECT_EQ(c().locations().count(), 14000);
    EXPECT_EQ(storedKeys(), declaredKeys());
}

TEST_F(BulkKeysTest, HeldSubstringIndexTakesEveryBatchAtItsRelease)
{
    const auto found = [&](const QString &text) {
        return TextIndex::candidates(c().db(), "main", u"Description"_s, text, 100000);
    };
    ASSERT_TRUE(c().transaction([&] { return insertMany(0, 10); }));
    ASSERT_TRUE(c().textIndexComplete());
    // Two batches under one hold, each with its own commit; an edit of an indexed row between
    // them is noted, not lost.
    for (int batch = 0; batch < 2; ++batch) {
        ASSERT_TRUE(c().transaction([&]() -> StoreStatus {
            c().holdTextIndex();
            return insertMany(100 + batch * 300, 300);
        }));
        EXPECT_FALSE(c().textIndexComplete()); // not used for searches meanwhile
    }
    LocationRecord first;
    ASSERT_TRUE(c().locations().get(u"http://host/0"_s, first));
    first.Description = u"Renamed while held"_s;
    ASSERT_TRUE(c().locations().change(first.Location, first));

    ASSERT_TRUE(c().releaseTextIndex());
    EXPECT_TRUE(c().textIndexComplete());
    EXPECT_EQ(found(u"Page "_s), 609);
    EXPECT_EQ(found(u"Renamed while"_s), 1);
    EXPECT_EQ(integrityProblems(), 0);
    // Released once: a second release changes nothing.
    EXPECT_TRUE(c().releaseTextIndex());
}

TEST_F(BulkKeysTest, HeldSubstringIndexLeftByAClosedCollectionIsFilledLater)
{
    ASSERT_TRUE(c().transaction([&]() -> StoreStatus {
        c().holdTextIndex();
        return insertMany(0, 250);
    }));
    reopen();
    EXPECT_FALSE(c().textIndexComplete());
    // As the window's filler does it: steps until complete.
    bool complete = false;
    for (int step = 0; step < 5 && !complete; ++step)
        ASSERT_TRUE(c().fillTextIndex(100, complete));
    EXPECT_TRUE(complete);
    EXPECT_EQ(TextIndex::candidates(c().db(), "main", u"Description"_s, u"Page "_s, 100000), 250);
}

} // namespace
} // namespace pk::test
