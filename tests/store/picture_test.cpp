#include "store/picture.h"

#include <gtest/gtest.h>

namespace pk::test {
namespace {

const QLocale kUs(QLocale::English, QLocale::UnitedStates);
const QLocale kDe(QLocale::German, QLocale::Germany);

struct DayCase
{
    int year, month, day;
    qint32 number;
};

void PrintTo(const DayCase &c, std::ostream *os)
{
    *os << c.year << '-' << c.month << '-' << c.day << " = " << c.number;
}

class DayNumbers : public ::testing::TestWithParam<DayCase>
{};

TEST_P(DayNumbers, ConvertBothWays)
{
    const DayCase &c = GetParam();
    const QDate date(c.year, c.month, c.day);
    EXPECT_EQ(DayNumber::fromDate(date), c.number);
    EXPECT_EQ(DayNumber::toDate(c.number), date);
}

INSTANTIATE_TEST_SUITE_P(Store,
                         DayNumbers,
                         ::testing::Values(DayCase{1801, 1, 1, 4},
                                           DayCase{1800, 12, 29, 1},
                                           DayCase{1992, 8, 23, 70000},
                                           DayCase{2000, 2, 29, 72746},
                                           DayCase{1900, 3, 1, 36222}));

TEST(DayNumber, ZeroIsNoDateAndTodayIsLocal)
{
    EXPECT_FALSE(DayNumber::toDate(0).isValid());
    EXPECT_EQ(DayNumber::fromDate(QDate()), 0);
    EXPECT_EQ(DayNumber::toDate(DayNumber::today()), QDate::currentDate());
}

struct FormatCase
{
    const char *picture;
    QVariant value;
    const char *shown;
};

void PrintTo(const FormatCase &c, std::ostream *os)
{
    *os << c.picture << " " << c.value.toString().toStdString();
}

class PictureFormat : public ::testing::TestWithParam<FormatCase>
{};

TEST_P(PictureFormat, ShowsValues)
{
    const FormatCase &c = GetParam();
    // Locales may use no-break spaces (e.g. before "PM"); compare them as spaces.
    QString shown = Picture(QString::fromLatin1(c.picture), kUs).format(c.value);
    shown.replace(QChar(0x202F), QLatin1Char(' ')).replace(QChar(0x00A0), QLatin1Char(' '));
    EXPECT_EQ(shown, QString::fromUtf8(c.shown)) << c.picture;
}

INSTANTIATE_TEST_SUITE_P(Store,
                         PictureFormat,
                         ::testing::Values(FormatCase{"@S5", QStringLiteral("abcdefg"), "abcde"},
                                           FormatCase{"@s255", QStringLiteral("short"), "short"},
                                           FormatCase{"@N2", 5, " 5"},
                                           FormatCase{"@N2", 0, " 0"},
                                           FormatCase{"@N2b", 0, ""},
                                           FormatCase{"@N2b", 10, "10"},
                                           FormatCase{"@N2b", -1, "-1"},
                                           FormatCase{"@N2", 100, "##"},
                                           FormatCase{"@n3", 2, "  2"},
                                           FormatCase{"@n-14", -1234567, "    -1,234,567"},
                                           FormatCase{"@n-14b", 0, ""},
                                           FormatCase{"@n-14b", 1024, "         1,024"},
                                           FormatCase{"@d17", 70000, "8/23/92"},
                                           FormatCase{"@d17", 0, ""},
                                           FormatCase{"@d17b", 0, ""},
                                           FormatCase{"@d17b", 4, "1/1/01"},
                                           FormatCase{"D4", 70000, "Sunday, August 23, 1992"},
                                           FormatCase{"T3", QTime(17, 5), "5:05 PM"}));

struct DeformatCase
{
    const char *picture;
    const char *text;
    QVariant value; // invalid: refused
};

void PrintTo(const DeformatCase &c, std::ostream *os)
{
    *os << c.picture << " '" << c.text << "'";
}

class PictureDeformat : public ::testing::TestWithParam<DeformatCase>
{};

TEST_P(PictureDeformat, ReadsText)
{
    const DeformatCase &c = GetParam();
    const QVariant got
        = Picture(QString::fromLatin1(c.picture), kUs).deformat(QString::fromUtf8(c.text));
    if (!c.value.isValid()) {
        EXPECT_FALSE(got.isValid()) << c.picture << " " << c.text;
        return;
    }
    ASSERT_TRUE(got.isValid()) << c.picture << " " << c.text;
    if (c.value.typeId() == QMetaType::QTime)
        EXPECT_EQ(got.toTime(), c.value.toTime());
    else if (c.value.typeId() == QMetaType::QString)
        EXPECT_EQ(got.toString(), c.value.toString());
    else
        EXPECT_EQ(got.toLongLong(), c.value.toLongLong()) << c.picture << " " << c.text;
}

INSTANTIATE_TEST_SUITE_P(Store,
                         PictureDeformat,
                         ::testing::Values(DeformatCase{"@n-14", "  -1,234,567", -1234567},
                                           DeformatCase{"@N2b", "", 0},
                                           DeformatCase{"@N2", "7", 7},
                                           DeformatCase{"@n3", "abc", QVariant()},
                                           DeformatCase{"@d17", "8/23/92", 70000},
                                           DeformatCase{"@d17", "1/1/1801", 4},
                                           DeformatCase{"@d17b", "", 0},
                                           DeformatCase{"@d17", "1992-08-23", 70000},
                                           DeformatCase{"@d17", "not a date", QVariant()},
                                           DeformatCase{"D4", "Sunday, August 23, 1992", 70000},
                                           DeformatCase{"T3", "5:05 PM", QTime(17, 5)},
                                           DeformatCase{"@s5", "abc   ", QStringLiteral("abc")}));

TEST(Picture, ShortDateFollowsTheLocale)
{
    EXPECT_EQ(Picture(QStringLiteral("@d17"), kDe).format(70000), QStringLiteral("23.08.92"));
    EXPECT_EQ(Picture(QStringLiteral("@d17"), kDe).deformat(QStringLiteral("23.08.92")).toInt(),
              70000);
    // Two-digit years near today are read in this century.
    const QString soon = kUs.toString(QDate::currentDate().addYears(1), QLocale::ShortFormat);
    EXPECT_EQ(Picture(QStringLiteral("@d17"), kUs).deformat(soon).toInt(),
              DayNumber::fromDate(QDate::currentDate().addYears(1)));
    EXPECT_FALSE(Picture(QStringLiteral("@x9")).isValid());
    EXPECT_TRUE(Picture(QStringLiteral("@n-14b")).blankWhenZero());
}

} // namespace
} // namespace pk::test
