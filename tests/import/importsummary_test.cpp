#include "importfixture.h"

#include "import/importinsert.h"
#include "import/importsummary.h"
#include "store/locationaddress.h"

#include <SQLiteCpp/Database.h>

using namespace pk;
using namespace pk::test;
using namespace Qt::StringLiterals;

namespace {

using Refusal = ImportCounts::Refusal;
using Skip = ImportCounts::Skip;

TEST(ImportSummaryText, EachMixOfCounts)
{
    struct Case
    {
        const char *name;
        ImportCounts counts;
        QString expected;
    };
    ImportCounts nothing;
    ImportCounts added;
    added.added = 3;
    added.duplicates = 2;
    ImportCounts refused;
    refused.added = 1;
    refused[Refusal::CategoryRule] = 4;
    refused[Refusal::TooLong] = 1;
    refused[Refusal::NotAnAddress] = 2;
    refused[Refusal::BadDate] = 5;
    ImportCounts skipped;
    skipped[Skip::Relative] = 7;
    skipped[Skip::Empty] = 1;
    ImportCounts everything = refused;
    everything.duplicates = 9;
    everything.skipped = skipped.skipped;
    everything[Skip::Anchor] = 2;
    everything.failed = 1;
    everything.cancelled = true;
    ImportCounts cancelled;
    cancelled.added = 6;
    cancelled.cancelled = true;

    const Case cases[] = {
        {"nothing at all",
         nothing,
         u"0 URL(s) imported.\nAdded: 0\nAlready stored (left as they were): 0"_s},
        {"added and stored",
         added,
         u"0 URL(s) imported.\nAdded: 3\nAlready stored (left as they were): 2"_s},
        {"refused by reason",
         refused,
         u"0 URL(s) imported.\nAdded: 1\nAlready stored (left as they were): 0\nRefused: 12 "
         "(category not in Categories 4, not an address 2, address too long 1, bad date 5)"_s},
        {"skipped by reason",
         skipped,
         u"0 URL(s) imported.\nAdded: 0\nAlready stored (left as they were): 0\nSkipped: 8 "
         "(relative address 7, empty address 1)"_s},
        {"cancelled",
         cancelled,
         u"0 URL(s) imported.\nAdded: 6\nAlready stored (left as they were): 0\nThe import was "
         "cancelled before the end of its source; what it added stays."_s},
        {"everything",
         everything,
         u"0 URL(s) imported.\nAdded: 1\nAlready stored (left as they were): 9\nRefused: 12 "
         "(category not in Categories 4, not an address 2, address too long 1, bad date 5)\n"
         "Skipped: 10 (relative address 7, anchor 2, empty address 1)\nNot written (the store "
         "failed): 1\nThe import was cancelled before the end of its source; what it added "
         "stays."_s},
    };
    for (const Case &c : cases)
        EXPECT_EQ(ImportSummary::text(u"0 URL(s) imported."_s, c.counts), c.expected) << c.name;

    EXPECT_EQ(ImportSummary::title(added), u"Complete"_s);
    EXPECT_EQ(ImportSummary::title(cancelled), u"Import Cancelled"_s);
    EXPECT_EQ(ImportSummary::icon(added), UserInterface::Icon::Information);
    EXPECT_EQ(ImportSummary::icon(skipped), UserInterface::Icon::Information);
    EXPECT_EQ(ImportSummary::icon(refused), UserInterface::Icon::Warning);
    ImportCounts failed;
    failed.failed = 1;
    EXPECT_EQ(ImportSummary::icon(failed), UserInterface::Icon::Warning);
}

LocationRecord summaryLink(const QString &address)
{
    LocationRecord r;
    r.Location = address;
    r.Description = u"A link"_s;
    r.Category = u"News"_s;
    return r;
}

QString addressOf(int length)
{
    const QString start = u"https://example.test/?q="_s;
    return start + QString(length - start.size(), u'z');
}

class ImportAddressRule : public ImportTest
{};

TEST_F(ImportAddressRule, LongAddressesAreStoredWholeOrRefusedAndCounted)
{
    addCategory(u"News"_s);
    ImportInsert insert(c(), errors, CategoryMode::Selected, u"News"_s);
    EXPECT_EQ(insert.insert(summaryLink(addressOf(2048))), ImportInsert::Outcome::Added);
    EXPECT_EQ(stored(addressOf(2048)).Location, addressOf(2048));
    for (int length : {2049, 5000, 100000})
        EXPECT_EQ(insert.insert(summaryLink(addressOf(length))), ImportInsert::Outcome::Refused);
    LocationRecord moved = summaryLink(u"http://moved.test/"_s);
    moved.MovedTo = addressOf(2049);
    EXPECT_EQ(insert.insert(moved), ImportInsert::Outcome::Refused);
    EXPECT_EQ(insert.insert(summaryLink(u"http://a.test/\nb"_s)), ImportInsert::Outcome::Refused);
    EXPECT_EQ(insert.insert(summaryLink(u"   "_s)), ImportInsert::Outcome::Refused);

    EXPECT_EQ(count(), 1) << "nothing cut was stored";
    EXPECT_EQ(insert.refused(ImportInsert::Refusal::TooLong), 4);
    EXPECT_EQ(insert.refused(ImportInsert::Refusal::NotAnAddress), 1);
    EXPECT_EQ(insert.skipped(ImportInsert::Skip::Empty), 1);
    EXPECT_EQ(insert.refused(), 5);
    // The first of each kind is told, naming it; the rest are only counted.
    ASSERT_EQ(ui.interactions().size(), 2);
    EXPECT_TRUE(ui.interactions()[0].text.contains(u"2049 characters"_s));
    EXPECT_TRUE(ui.interactions()[0].text.contains(u"https://example.test/?q=zz"_s));
    EXPECT_TRUE(ui.interactions()[1].text.contains(u"http://a.test/\u240Ab"_s));
}

TEST_F(ImportAddressRule, NoQuestionIsAskedWhileTheCollectionIsLockedForWriting)
{
    addCategory(u"News"_s);
    ImportInsert insert(c(), errors, CategoryMode::Ask, {});
    Collection other(temp.folder());
    ASSERT_TRUE(other.openAll(false));
    other.db().setBusyTimeout(0);
    int asked = 0;
    insert.setCategoryQuestion([&](const LocationRecord &, const QString &) {
        ++asked;
        // Another program writes while the question is open: nothing holds it off.
        EXPECT_FALSE(c().inTransaction());
        LocationRecord r = summaryLink(u"http://other%1.test/"_s.arg(asked));
        const StoreStatus s = other.locations().insert(r);
        EXPECT_TRUE(s) << s.describe().toStdString();
        return std::optional<QString>(u"News"_s);
    });
    const StoreStatus s = insert.runBatch([&] {
        for (int i = 0; i < 3; ++i) {
            LocationRecord r = summaryLink(u"http://asked%1.test/"_s.arg(i));
            r.Category = insert.assignCategory({}, r);
            insert.insert(r);
        }
    });
    EXPECT_TRUE(s);
    EXPECT_EQ(asked, 3);
    EXPECT_EQ(insert.added(), 3);
    EXPECT_EQ(count(), 6);
}

} // namespace
