#include "storefixture.h"

#include "store/keywordmanager.h"
#include "store/locationaddress.h"

using namespace Qt::StringLiterals;

namespace pk::test {
namespace {

using Problem = LocationAddress::Problem;

QString addressOf(int length)
{
    const QString start = u"https://example.test/p?q="_s;
    return start + QString(length - start.size(), u'a');
}

TEST(LocationAddressRule, LengthAndCharacters)
{
    struct Case
    {
        QString address;
        bool typed;
        Problem expected;
    };
    const Case cases[] = {
        {addressOf(2048), true, Problem::None},
        {addressOf(2049), true, Problem::TooLong},
        {addressOf(2049), false, Problem::TooLong},
        // Surrounding blanks are no part of it; characters, not UTF-16 units, are counted.
        {u"  "_s + addressOf(2048) + u"  "_s, true, Problem::None},
        {addressOf(2046) + u"\U0001F600\U0001F600"_s, true, Problem::None},
        {u"   "_s, true, Problem::Blank},
        {u"http://a.test/x\ny"_s, true, Problem::ControlCharacter},
        {u"http://a.test/x\ny"_s, false, Problem::ControlCharacter},
        {u"http://a.test/\u2028"_s + u"x"_s, true, Problem::ControlCharacter},
        {u"http://a.test/x\u0085y"_s, true, Problem::ControlCharacter},
        {u"http://a.test/x\ty"_s, true, Problem::ControlCharacter},
        {u"http://a.test/my page"_s, true, Problem::BlankInside},
        {u"http://a.test/my\u00A0page"_s, true, Problem::BlankInside},
        // Imports leave blanks inside to their readers (file paths, bookmarklets).
        {u"file:///home/me/My Pages/a.html"_s, false, Problem::None},
        {u"mailto:someone@a.test"_s, true, Problem::None},
    };
    for (const Case &c : cases)
        EXPECT_EQ(LocationAddress::check(c.address, c.typed), c.expected)
            << c.address.left(60).toStdString() << " typed " << c.typed;
}

TEST(LocationAddressRule, MessagesNameTheAddressReadably)
{
    const QString longOne = addressOf(100000);
    const QString tooLong = LocationAddress::message(Problem::TooLong, longOne);
    EXPECT_TRUE(tooLong.contains(u"100000 characters"_s)) << tooLong.toStdString();
    EXPECT_TRUE(tooLong.contains(u"at most 2048"_s));
    EXPECT_TRUE(tooLong.contains(u"https://example.test/p?q=aaa"_s));
    EXPECT_LT(tooLong.size(), 400) << "a long address is shown shortened";

    const QString broken = LocationAddress::message(Problem::ControlCharacter,
                                                    u"http://a.test/x\ny"_s);
    EXPECT_TRUE(broken.contains(u"http://a.test/x\u240Ay"_s)) << "the line break is shown";
    EXPECT_FALSE(broken.section(u'\n', 1).contains(u'\n'));
    EXPECT_TRUE(LocationAddress::message(Problem::None, u"http://a.test/"_s).isEmpty());
}

class LongAddressStore : public StoreTest
{};

TEST_F(LongAddressStore, KeepsAddressesWholeAndRefusesLongerOnesUncut)
{
    const QString longest = addressOf(LocationAddress::MaxLength);
    LocationRecord r = location(longest);
    r.MovedTo = addressOf(2000) + u"/moved"_s;
    ASSERT_TRUE(c().locations().insert(r));
    LocationRecord back;
    ASSERT_TRUE(c().locations().get(longest, back));
    EXPECT_EQ(back.Location, longest);
    EXPECT_EQ(back.MovedTo, r.MovedTo);
    // Its keywords and details hang on the whole address.
    KeywordRecord k{longest, 0, u"long"_s};
    ASSERT_TRUE(c().keywords().insert(k));
    std::vector<KeywordRecord> keywords;
    ASSERT_TRUE(c().keywords().list(longest, keywords));
    ASSERT_EQ(keywords.size(), 1u);
    EXPECT_EQ(keywords[0].Location, longest);

    // One more character: refused whole, nothing cut and stored.
    const StoreStatus s = c().locations().insert(location(addressOf(2049)));
    EXPECT_EQ(s.error, StoreError::ValidationFailed) << s;
    EXPECT_TRUE(s.text.contains(u"2049 characters"_s));
    EXPECT_EQ(c().locations().count(), 1);

    // A change that would make either address too long is refused as well.
    LocationRecord changed = back;
    changed.MovedTo = addressOf(2049);
    EXPECT_EQ(c().locations().change(longest, changed).error, StoreError::ValidationFailed);
    changed = back;
    changed.Location = addressOf(2049);
    EXPECT_EQ(c().locations().change(longest, changed).error, StoreError::ValidationFailed);
    ASSERT_TRUE(c().locations().get(longest, back));
    EXPECT_EQ(back.MovedTo, r.MovedTo);
}

} // namespace
} // namespace pk::test
