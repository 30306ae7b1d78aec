// The substring index of an existing collection filled from the event loop: step by step to
// completion, waiting out another writer, and letting go of a collection that was closed.

#include "shell/textindexfiller.h"

#include "store/categorymanager.h"
#include "store/collection.h"
#include "store/locationmanager.h"
#include "store/textindex.h"
#include "support/tempcollection.h"

#include <SQLiteCpp/Database.h>

#include <QCoreApplication>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using namespace pk;

namespace {

class TextIndexFillerTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_temp.isValid());
        // A collection written without the index, then opened with it.
        {
            Collection c(m_temp.folder());
            c.setTextIndexWanted(false);
            ASSERT_TRUE(c.openAll(true));
            ASSERT_TRUE(c.categories().insert({u"General"_s, 0, {}}));
            ASSERT_TRUE(c.transaction([&]() -> StoreStatus {
                for (int i = 0; i < 5000; ++i) {
                    LocationRecord r;
                    r.Location = u"http://f%1/"_s.arg(i);
                    r.Description = u"filler row %1"_s.arg(i);
                    r.Category = u"General"_s;
                    if (StoreStatus s = c.locations().insert(r); !s)
                        return s;
                }
                return {};
            }));
        }
        m_collection = std::make_unique<Collection>(m_temp.folder());
        ASSERT_TRUE(m_collection->openAll(false));
        ASSERT_EQ(TextIndex::state(m_collection->db(), "main"), TextIndex::State::Filling);
    }

    int m_argc = 1;
    char m_name[8] = "test";
    char *m_argv[1] = {m_name};
    QCoreApplication m_app{m_argc, m_argv};
    test::TempCollection m_temp;
    std::unique_ptr<Collection> m_collection;
};

TEST_F(TextIndexFillerTest, FillsInStepsUntilComplete)
{
    int steps = 0;
    TextIndexFiller filler([&] {
        ++steps;
        return m_collection.get();
    });
    QSignalSpy finished(&filler, &TextIndexFiller::finished);
    filler.start();
    ASSERT_TRUE(finished.wait(60000));
    EXPECT_FALSE(filler.isActive());
    EXPECT_TRUE(m_collection->textIndexComplete());
    EXPECT_GE(steps, 5000 / TextIndexFiller::RowsPerStep);
    // Once complete, starting again finishes at the first step.
    filler.start();
    ASSERT_TRUE(finished.wait(10000));
    EXPECT_EQ(finished.size(), 2);
}

TEST_F(TextIndexFillerTest, WaitsWhileAnotherProgramWritesAndStopsForAClosedCollection)
{
    TextIndexFiller filler([&] { return m_collection.get(); });
    QSignalSpy finished(&filler, &TextIndexFiller::finished);
    {
        SQLite::Database other(m_temp.path(u"URLDATA.TPS"_s).toStdString(), SQLite::OPEN_READWRITE);
        other.exec("BEGIN IMMEDIATE");
        filler.start();
        EXPECT_FALSE(finished.wait(1500));
        EXPECT_TRUE(filler.isActive()); // tried again later, not given up
        EXPECT_FALSE(m_collection->textIndexComplete());
        other.exec("ROLLBACK");
    }
    ASSERT_TRUE(finished.wait(60000));
    EXPECT_TRUE(m_collection->textIndexComplete());

    m_collection->close();
    filler.start();
    for (int i = 0; i < 100 && filler.isActive(); ++i)
        QTest::qWait(50);
    EXPECT_FALSE(filler.isActive());
    EXPECT_EQ(finished.size(), 1);
}

} // namespace
