#include "browse/forms/calendarmonth.h"
#include "browse/forms/keywordguess.h"
#include "browse/forms/specialcategory.h"
#include "browse/forms/windowcandidates.h"
#include "platform/x11windowlist.h"
#include "store/picture.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

using namespace pk;

struct GuessCase
{
    const char *description;
    const char *keyword;
};

void PrintTo(const GuessCase &c, std::ostream *os)
{
    *os << '"' << c.description << '"';
}

class KeywordFromDescription : public testing::TestWithParam<GuessCase>
{};

TEST_P(KeywordFromDescription, TakesTheLongestWordThatIsNoStopWord)
{
    EXPECT_EQ(KeywordGuess::fromDescription(QString::fromUtf8(GetParam().description)),
              QString::fromUtf8(GetParam().keyword));
}

INSTANTIATE_TEST_SUITE_P(
    Descriptions,
    KeywordFromDescription,
    testing::Values(GuessCase{"Top 10 Free Tools and Tips for the Web", "Tools"},
                    GuessCase{"The And", "And"},       // all stop words: the shortest
                    GuessCase{"Where Which", "Where"}, // equal length: alphabetical
                    GuessCase{"HTTP FTP www", "Www"},  // www is no stop word
                    GuessCase{"a", "A"},
                    GuessCase{"", ""},
                    GuessCase{"123 -- 4.5", ""},
                    GuessCase{"news_today", "Today"},         // '_' ends a word
                    GuessCase{"Café crème brûlée", "Brûlée"}, // letters beyond ASCII
                    GuessCase{"Ελληνικά νέα", "Ελληνικά"},
                    GuessCase{"Supercalifragilisticexpialidocious fun", "Supercalifragilistic"}));

TEST(KeywordFromLocation, SchemeMailtoOrQuestionMark)
{
    EXPECT_EQ(KeywordGuess::fromLocation(QStringLiteral("https://example.test/")),
              QStringLiteral("https"));
    EXPECT_EQ(KeywordGuess::fromLocation(QStringLiteral("ftp://files.test")), QStringLiteral("ftp"));
    EXPECT_EQ(KeywordGuess::fromLocation(QStringLiteral("mailto:joe@example.test")),
              QStringLiteral("mailto:"));
    EXPECT_EQ(KeywordGuess::fromLocation(QStringLiteral("/home/joe/notes.txt")),
              QStringLiteral("?"));
    EXPECT_EQ(KeywordGuess::fromLocation(QStringLiteral("www.example.test")), QStringLiteral("?"));
}

TEST(SpecialCategory, MatchesBothNamesInAnyLetterCase)
{
    EXPECT_TRUE(SpecialCategory::isSpecial(QStringLiteral("_Before All")));
    EXPECT_TRUE(SpecialCategory::isSpecial(QStringLiteral("_before all")));
    EXPECT_TRUE(SpecialCategory::isSpecial(QStringLiteral("_AFTER ALL  ")));
    EXPECT_FALSE(SpecialCategory::isSpecial(QStringLiteral("Before All")));
    EXPECT_FALSE(SpecialCategory::isSpecial(QStringLiteral("_Before All Else")));
}

TEST(CalendarMonth, LaysTheMonthOutInFortyTwoCellsFromSunday)
{
    // 1 August 2026 is a Saturday: the month needs all six rows.
    CalendarMonth month(DayNumber::fromDate(QDate(2026, 8, 20)), QDate(2000, 1, 1));
    EXPECT_EQ(month.year(), 2026);
    EXPECT_EQ(month.month(), 8);
    EXPECT_EQ(CalendarMonth::weekdayHeadings(),
              QStringList({u"Sun"_s, u"Mon"_s, u"Tue"_s, u"Wed"_s, u"Thu"_s, u"Fri"_s, u"Sat"_s}));
    EXPECT_EQ(month.dayAt(5), 0);
    EXPECT_EQ(month.dayAt(6), 1);
    EXPECT_EQ(month.cellOf(31), 36);
    EXPECT_EQ(month.dayAt(37), 0);
    EXPECT_EQ(month.dayAt(41), 0);
    EXPECT_EQ(month.dayAt(42), 0);
    EXPECT_EQ(month.dayNumberAt(month.cellOf(20)), DayNumber::fromDate(QDate(2026, 8, 20)));
    EXPECT_EQ(month.dayNumberAt(0), 0);
    int shown = 0;
    for (int cell = 0; cell < CalendarMonth::Cells; ++cell)
        shown += month.dayAt(cell) != 0;
    EXPECT_EQ(shown, 31);
}

TEST(CalendarMonth, OpensOnTodayForNoDate)
{
    const CalendarMonth month(0, QDate(2031, 2, 3));
    EXPECT_EQ(month.year(), 2031);
    EXPECT_EQ(month.month(), 2);
    EXPECT_EQ(month.given(), 0);
}

TEST(CalendarMonth, MonthsAndYearsWrapBetween1801And2099)
{
    CalendarMonth month(DayNumber::fromDate(QDate(1801, 1, 4)), QDate(2000, 1, 1));
    month.previousMonth();
    EXPECT_EQ(month.year(), 2099);
    EXPECT_EQ(month.month(), 12);
    month.nextMonth();
    EXPECT_EQ(month.year(), 1801);
    EXPECT_EQ(month.month(), 1);
    month.previousYear();
    EXPECT_EQ(month.year(), 2099);
    month.nextYear();
    EXPECT_EQ(month.year(), 1801);
    month.nextMonth();
    EXPECT_EQ(month.month(), 2);
    EXPECT_EQ(month.cellOf(29), -1); // 1801 is no leap year
    CalendarMonth later(DayNumber::fromDate(QDate(2099, 12, 31)), QDate(2000, 1, 1));
    later.nextMonth();
    EXPECT_EQ(later.year(), 1801);
    EXPECT_EQ(later.month(), 1);
    EXPECT_EQ(later.given(), DayNumber::fromDate(QDate(2099, 12, 31)));
}

TEST(WindowCandidates, AddressesFromTitlesAndChildWindows)
{
    const std::vector<TopLevelWindow> windows = {
        {10, QStringLiteral("Example - http://example.test/page"), {}},
        {11, QStringLiteral("Pathkeep 2005"), {QStringLiteral("http://inside.frame/")}},
        {12, QStringLiteral("Update Location Information"), {QStringLiteral("http://own.window/")}},
        {13, QString(), {QStringLiteral("http://untitled.window/")}},
        {14,
         QStringLiteral("Browser"),
         {QStringLiteral("Toolbar"), QStringLiteral("ftp://files.test/a (mirror)")}},
        {15, QStringLiteral("Shouting"), {QStringLiteral("HTTP://UPPER.CASE/")}},
    };
    const auto list = WindowCandidates::collect(windows, 12);
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0].address, QStringLiteral("http://example.test/page"));
    EXPECT_EQ(list[0].title, QStringLiteral("Example - http://example.test/page"));
    EXPECT_EQ(list[1].address, QStringLiteral("ftp://files.test/a"));
    EXPECT_EQ(list[1].title, QStringLiteral("Browser"));
}

TEST(WindowCandidates, BrowserPagesComeFirstUnderTheWindowThatShowsThem)
{
    const std::vector<TopLevelWindow> windows = {
        {1, QStringLiteral("Other Page \u2014 Mozilla Firefox"), {}},
        {2, QStringLiteral("Grab Me Page Extended - Chromium"), {}},
        {3, QStringLiteral("Grab Me Page - Chromium"), {}},
        {4, QStringLiteral("Tools"), {QStringLiteral("http://child.test/")}},
        {5, QStringLiteral("Pathkeep 2005"), {}},
    };
    const std::vector<SessionPage> pages = {
        {QStringLiteral("Chromium"),
         QStringLiteral("Grab Me Page"),
         QStringLiteral("http://grab.test/")},
        {QStringLiteral("Firefox"),
         QStringLiteral("Elsewhere"),
         QStringLiteral("http://else.test/")},
        {QStringLiteral("Firefox"),
         QStringLiteral("Other Page"),
         QStringLiteral("http://other.test/")},
        // The same page in two browsers is offered once.
        {QStringLiteral("Chromium"),
         QStringLiteral("Other Page"),
         QStringLiteral("http://other.test/")},
        {QStringLiteral("Firefox"),
         QStringLiteral("Pathkeep 2005"),
         QStringLiteral("http://frame.test/")},
    };
    const auto list = WindowCandidates::collect(windows, 0, pages);
    ASSERT_EQ(list.size(), 5u);
    EXPECT_EQ(list[0].title, QStringLiteral("Grab Me Page - Chromium"));
    EXPECT_EQ(list[0].address, QStringLiteral("http://grab.test/"));
    EXPECT_EQ(list[1].title, QStringLiteral("Other Page \u2014 Mozilla Firefox"));
    EXPECT_EQ(list[1].address, QStringLiteral("http://other.test/"));
    // Not shown in a window (on Wayland: none is): under the page's own title.
    EXPECT_EQ(list[2].title, QStringLiteral("Elsewhere"));
    EXPECT_EQ(list[3].title, QStringLiteral("Pathkeep 2005")); // a page, not the frame
    EXPECT_EQ(list[4].address, QStringLiteral("http://child.test/"));

    EXPECT_TRUE(WindowCandidates::showsPage(QStringLiteral("A - B"), QStringLiteral("A")));
    EXPECT_TRUE(WindowCandidates::showsPage(QStringLiteral("A"), QStringLiteral("A")));
    EXPECT_FALSE(WindowCandidates::showsPage(QStringLiteral("AB - C"), QStringLiteral("A")));
    EXPECT_FALSE(WindowCandidates::showsPage(QStringLiteral("A -B"), QStringLiteral("A")));
    EXPECT_FALSE(WindowCandidates::showsPage(QStringLiteral("A"), QString()));
}

TEST(WindowCandidates, AnUntitledPageIsTheOneWindowNamedAfterItsBrowser)
{
    // The browser records a page's address before its title.
    const std::vector<TopLevelWindow> windows = {
        {1, QStringLiteral("Grab Me Page - Chromium"), {}},
        {2, QStringLiteral("Fox - Mozilla Firefox"), {}},
        {3, QStringLiteral("Other - Mozilla Firefox"), {}},
    };
    const SessionPage chromium{QStringLiteral("Chromium"), {}, QStringLiteral("http://c.test/")};
    auto list = WindowCandidates::collect(windows, 0, {chromium});
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list[0].title, QStringLiteral("Grab Me Page - Chromium"));

    // Two untitled pages of one browser, or two windows of it: which is which is not known.
    const SessionPage second{QStringLiteral("Chromium"), {}, QStringLiteral("http://d.test/")};
    list = WindowCandidates::collect(windows, 0, {chromium, second});
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0].title, QStringLiteral("http://c.test/"));
    EXPECT_EQ(list[1].title, QStringLiteral("http://d.test/"));
    const SessionPage fox{QStringLiteral("Mozilla Firefox"), {}, QStringLiteral("http://f.test/")};
    list = WindowCandidates::collect(windows, 0, {fox});
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list[0].title, QStringLiteral("http://f.test/"));
    // A window already showing a titled page is not another page's.
    const SessionPage titled{QStringLiteral("Chromium"),
                             QStringLiteral("Grab Me Page"),
                             QStringLiteral("http://t.test/")};
    list = WindowCandidates::collect(windows, 0, {chromium, titled});
    EXPECT_EQ(list[0].title, QStringLiteral("Grab Me Page - Chromium"));
    EXPECT_EQ(list[0].address, QStringLiteral("http://t.test/"));
    EXPECT_EQ(list[1].title, QStringLiteral("http://c.test/"));
}

TEST(WindowCandidates, AListedAddressIsReplacedOnlyWhenItsTitleIsTheAddress)
{
    std::vector<WindowCandidate> list;
    WindowCandidates::add(list,
                          {QStringLiteral("http://a.test/"), QStringLiteral("http://a.test/")});
    WindowCandidates::add(list, {QStringLiteral("A page"), QStringLiteral("http://a.test/")});
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list[0].title, QStringLiteral("A page"));
    WindowCandidates::add(list,
                          {QStringLiteral("Another window"), QStringLiteral("http://a.test/")});
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list[0].title, QStringLiteral("A page"));
}

TEST(X11WindowList, WindowNamesWithBadBytesBecomeText)
{
    const QByteArray broken("Bad \xff\xfe bytes http://x.test/\x01", 29);
    const QString utf8 = X11WindowList::decodeName(broken, true);
    EXPECT_TRUE(utf8.contains(QChar::ReplacementCharacter));
    EXPECT_TRUE(utf8.contains(QStringLiteral("http://x.test/")));
    EXPECT_FALSE(utf8.contains(QChar(1)));
    // WM_NAME in Latin-1 stays readable; valid UTF-8 in WM_NAME is read as UTF-8.
    EXPECT_EQ(X11WindowList::decodeName(QByteArray("caf\xe9"), false), QStringLiteral("café"));
    EXPECT_EQ(X11WindowList::decodeName(QByteArray("caf\xc3\xa9"), false), QStringLiteral("café"));
    EXPECT_EQ(X11WindowList::decodeName(QByteArray("abc\0def", 7), false), QStringLiteral("abc"));
    EXPECT_EQ(X11WindowList::decodeName(QByteArray(5000, 'w'), true).size(), X11WindowList::MaxText);
    EXPECT_EQ(X11WindowList::decodeName({}, true), QString());
}
