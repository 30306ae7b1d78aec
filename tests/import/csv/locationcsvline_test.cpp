#include "import/csv/locationcsvline.h"

#include "import/printers.h"

#include <gtest/gtest.h>

#include <QRandomGenerator>

using namespace Qt::StringLiterals;

namespace pk {
namespace {

using Layout = LocationCsvLine::Layout;

LocationRecord sample()
{
    LocationRecord r;
    r.Category = u"News"_s;
    r.Location = u"https://example.org/a?b=1,2"_s;
    r.Description = u"Example, the site"_s;
    r.SiteInfo = u"Daily news"_s;
    r.Rating = 15;
    return r;
}

struct Read
{
    bool ok = false;
    QString category;
    LocationRecord location;
};

Read read(const QString &line)
{
    Read r;
    r.category = u"unchanged"_s;
    r.location.Comments = u"unchanged"_s;
    r.ok = LocationCsvLine::read(line, r.category, r.location);
    return r;
}

TEST(LocationCsvLine, WritesTheFourLayouts)
{
    const LocationRecord r = sample();
    EXPECT_EQ(LocationCsvLine::write(r, Layout::Full),
              uR"("News","https://example.org/a?b=1,2","Example, the site","Daily news",15)"_s);
    EXPECT_EQ(LocationCsvLine::write(r, Layout::WithoutRating),
              uR"("News","https://example.org/a?b=1,2","Example, the site","Daily news")"_s);
    EXPECT_EQ(LocationCsvLine::write(r, Layout::WithoutSiteInfo),
              uR"("News","https://example.org/a?b=1,2","Example, the site",15)"_s);
    EXPECT_EQ(LocationCsvLine::write(r, Layout::Short),
              uR"("News","https://example.org/a?b=1,2","Example, the site")"_s);
    EXPECT_EQ(LocationCsvLine::layoutFor(true, true), Layout::Full);
    EXPECT_EQ(LocationCsvLine::layoutFor(true, false), Layout::WithoutRating);
    EXPECT_EQ(LocationCsvLine::layoutFor(false, true), Layout::WithoutSiteInfo);
    EXPECT_EQ(LocationCsvLine::layoutFor(false, false), Layout::Short);
}

TEST(LocationCsvLine, EveryLayoutReadsBackWhatItCarries)
{
    const LocationRecord r = sample();
    for (const Layout layout :
         {Layout::Full, Layout::WithoutRating, Layout::WithoutSiteInfo, Layout::Short}) {
        SCOPED_TRACE(static_cast<int>(layout));
        const Read back = read(LocationCsvLine::write(r, layout));
        ASSERT_TRUE(back.ok);
        EXPECT_EQ(back.category, r.Category);
        EXPECT_EQ(back.location.Category, QString()) << "the caller decides the category";
        EXPECT_EQ(back.location.Comments, QString()) << "the record is cleared";
        EXPECT_EQ(back.location.Location, r.Location);
        EXPECT_EQ(back.location.Description, r.Description);
        const bool withInfo = layout == Layout::Full || layout == Layout::WithoutRating;
        const bool withRating = layout == Layout::Full || layout == Layout::WithoutSiteInfo;
        EXPECT_EQ(back.location.SiteInfo, withInfo ? r.SiteInfo : QString());
        EXPECT_EQ(back.location.Rating, withRating ? r.Rating : 0);
    }
}

TEST(LocationCsvLine, QuotesAndLineBreaksInValuesSurvive)
{
    LocationRecord r = sample();
    r.Category = u"a\",\"b"_s;
    r.Description = u"say \"hi\"\nagain"_s;
    r.SiteInfo = u"line one\r\nline two\"|"_s;
    const QString line = LocationCsvLine::write(r, Layout::Full);
    EXPECT_TRUE(line.contains(uR"("say ""hi""
again")"_s))
        << qPrintable(line);
    const Read back = read(line);
    ASSERT_TRUE(back.ok);
    EXPECT_EQ(back.category, r.Category);
    EXPECT_EQ(back.location.Description, r.Description);
    EXPECT_EQ(back.location.SiteInfo, u"line one\nline two\"|"_s) << "a line break is a line feed";
    EXPECT_EQ(back.location.Rating, 15);

    // The first line of such a record says that it goes on.
    const QString first = line.left(line.indexOf(u'\n'));
    EXPECT_TRUE(LocationCsvLine::endsInsideQuotes(first));
    EXPECT_FALSE(LocationCsvLine::endsInsideQuotes(line));
    EXPECT_TRUE(LocationCsvLine::endsInsideQuotes(uR"("C","http://a/","D","info that goes)"_s));
    for (const QString &whole : {uR"("C","http://a/","D","I",4)"_s,
                                 uR"("C","http://a/","D")"_s,
                                 uR"("no separator, at all)"_s,
                                 u"just text"_s,
                                 uR"("C","http://a/","say "hi" there",3)"_s})
        EXPECT_FALSE(LocationCsvLine::endsInsideQuotes(whole)) << qPrintable(whole);
}

TEST(LocationCsvLine, TellsAddressesFromOtherText)
{
    for (const QString &address : {u"http://a/"_s,
                                   u"mailto:x@y"_s,
                                   u"file:///home/u/page.html"_s,
                                   u"www.example.org"_s,
                                   u"example.org/path?q=a|b"_s})
        EXPECT_TRUE(LocationCsvLine::isAddress(address)) << qPrintable(address);
    for (const QString &text : {QString(),
                                u"CSV one"_s,
                                u"News"_s,
                                u"http://a/ b"_s,
                                u"http://a/\tb"_s,
                                u"line\nbreak.example"_s,
                                u"12"_s})
        EXPECT_FALSE(LocationCsvLine::isAddress(text)) << qPrintable(text);
}

TEST(LocationCsvLine, RejectsLinesThatAreNotLocations)
{
    for (const QString &line :
         {u"just text"_s, QString(), u"\"no separator, at all\""_s, u"https://example.org/"_s}) {
        const Read r = read(line);
        EXPECT_FALSE(r.ok) << qPrintable(line);
        EXPECT_EQ(r.category, u"unchanged"_s);
        EXPECT_EQ(r.location.Comments, u"unchanged"_s);
    }
}

TEST(LocationCsvLine, ReadsLooseAndDamagedLines)
{
    struct Case
    {
        QString line, category, location, description, siteInfo;
        int rating;
    };
    const Case cases[] = {
        // leading blanks go; a rating that is not a number, or too wide, reads as 0
        {uR"(  "  Cat","  http://a/","  Desc","  Info", 7)"_s,
         u"Cat"_s,
         u"http://a/"_s,
         u"Desc"_s,
         u"Info"_s,
         7},
        {uR"("C","http://a/","D","I",x1)"_s, u"C"_s, u"http://a/"_s, u"D"_s, u"I"_s, 0},
        {uR"("C","http://a/","D","I",150)"_s, u"C"_s, u"http://a/"_s, u"D"_s, u"I"_s, 0},
        {uR"("C","http://a/","D",-3)"_s, u"C"_s, u"http://a/"_s, u"D"_s, {}, -3},
        // blank fields
        {uR"("","","","",0)"_s, {}, {}, {}, {}, 0},
        // a site information cut short by a line limit keeps what arrived
        {uR"("C","http://a/","D","long info that was cu)"_s,
         u"C"_s,
         u"http://a/"_s,
         u"D"_s,
         u"long info that was cu"_s,
         0},
        // a line ending after the address
        {uR"("C","http://a/")"_s, u"C"_s, u"http://a/"_s, {}, {}, 0},
        // an older file with an undoubled quote inside the category still splits at the fields
        {uR"("The "Best" sites","http://a/","D")"_s,
         u"The \"Best\" sites"_s,
         u"http://a/"_s,
         u"D"_s,
         {},
         0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(qPrintable(c.line));
        const Read r = read(c.line);
        ASSERT_TRUE(r.ok);
        EXPECT_EQ(r.category, c.category);
        EXPECT_EQ(r.location.Location, c.location);
        EXPECT_EQ(r.location.Description, c.description);
        EXPECT_EQ(r.location.SiteInfo, c.siteInfo);
        EXPECT_EQ(r.location.Rating, c.rating);
    }
}

TEST(LocationCsvLine, CutsValuesToTheirWidths)
{
    LocationRecord r = sample();
    r.Category = QString(60, u'c');
    r.Location = QString(300, u'l');
    r.Description = QString(299, u'd') + u"\U0001F600"_s;
    r.SiteInfo = QString(3000, u's');
    const Read back = read(LocationCsvLine::write(r, Layout::Full));
    ASSERT_TRUE(back.ok);
    EXPECT_EQ(back.category.size(), LocationCsvLine::CategoryWidth);
    EXPECT_EQ(back.location.Location.size(), 300) << "an address is never cut";
    EXPECT_EQ(back.location.Description.size(), LocationCsvLine::DescriptionWidth);
    EXPECT_EQ(back.location.SiteInfo.size(), LocationCsvLine::SiteInfoWidth);
    EXPECT_EQ(back.location.Rating, 15);
}

// Random values of awkward characters written and read back give the same location, and random
// lines never crash the reader.
TEST(LocationCsvLine, FuzzRoundTripAndGarbage)
{
    QRandomGenerator rng(20261208);
    const QString alphabet = u"ab \",|\n\r\t'é\U0001F600;="_s;
    auto randomText = [&](int maxLength) {
        QString s;
        const int n = rng.bounded(maxLength + 1);
        while (s.size() < n)
            s += alphabet[rng.bounded(alphabet.size())];
        return s;
    };
    auto normalised = [](QString s) {
        s.remove(u'\r');
        s.replace(u'\n', u'|');
        return s.trimmed();
    };
    auto multiLine = [](QString s) {
        s.remove(u'\r');
        return s.trimmed();
    };
    for (int i = 0; i < 3000; ++i) {
        LocationRecord r;
        r.Category = randomText(20);
        r.Location = randomText(40);
        r.Description = randomText(40);
        r.SiteInfo = randomText(60);
        r.Rating = rng.bounded(199) - 99;
        const QString line = LocationCsvLine::write(r, Layout::Full);
        const Read back = read(line);
        ASSERT_TRUE(back.ok) << qPrintable(line);
        ASSERT_EQ(back.category, normalised(r.Category)) << qPrintable(line);
        ASSERT_EQ(back.location.Location, normalised(r.Location)) << qPrintable(line);
        ASSERT_EQ(back.location.Description, multiLine(r.Description)) << qPrintable(line);
        ASSERT_EQ(back.location.SiteInfo, multiLine(r.SiteInfo)) << qPrintable(line);
        ASSERT_EQ(back.location.Rating, r.Rating) << qPrintable(line);

        QString garbage = randomText(80);
        QString category;
        LocationRecord location;
        LocationCsvLine::read(garbage, category, location);
        EXPECT_LE(location.Location.size(), garbage.size());
    }
}

} // namespace
} // namespace pk
