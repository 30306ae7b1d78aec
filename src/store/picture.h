#pragma once

#include <QDate>
#include <QLocale>
#include <QString>
#include <QTime>
#include <QVariant>

namespace pk {

/**
 * @brief Day numbers and display pictures: the one place dates and numbers are shown and read.
 *
 * A day number counts days since 28 December 1800 (1 January 1801 is day 4, 23 August 1992 is
 * day 70000); 0 means no date.
 *
 * Pictures: `@Sn`/`@sn` text of n characters; `@Nn` unsigned and `@n-n` signed numbers of n
 * positions with ',' grouping, right-aligned, filled with '#' when too wide, a trailing `b`
 * shows 0 blank; `@d17` the locale's short date, `@d17b` blank for no date; `D4` the long date;
 * `T3` the time of day (locale's short time).
 */
namespace DayNumber {
inline constexpr qint32 None = 0;
/// Day number of `date`; 0 for an invalid date.
qint32 fromDate(const QDate &date);
/// The date of `day`; an invalid QDate for 0.
QDate toDate(qint32 day);
/// Day number of today's local date.
qint32 today();
} // namespace DayNumber

class Picture final
{
public:
    /// A picture such as "@s255", "@N2b", "@n-14b", "@d17", "D4", "T3". Case of the S/s, N/n
    /// and d letters is kept as given; only the shape matters.
    explicit Picture(QString text, QLocale locale = QLocale::system());

    bool isValid() const { return m_kind != Kind::Invalid; }
    QString text() const { return m_text; }
    bool isText() const { return m_kind == Kind::Text; }
    bool isNumber() const { return m_kind == Kind::Number; }
    bool isDate() const { return m_kind == Kind::Date; }
    bool isTime() const { return m_kind == Kind::Time; }
    int width() const { return m_width; }
    bool blankWhenZero() const { return m_blank; }

    /// Shows `value` (text, whole number, day number for dates, QTime or seconds for times).
    QString format(const QVariant &value) const;
    /// Reads `text` back: QString for text, qint64 for numbers, day number (qint32) for dates,
    /// QTime for times. Invalid QVariant when `text` does not fit the picture; blank input gives
    /// 0 for numbers and dates.
    QVariant deformat(const QString &text) const;

    static QString format(const QString &picture, const QVariant &value);
    static QVariant deformat(const QString &picture, const QString &text);

private:
    enum class Kind { Invalid, Text, Number, Date, Time };
    enum class DateStyle { Short, Long };

    Kind m_kind = Kind::Invalid;
    QString m_text;
    QLocale m_locale;
    int m_width = 0;
    bool m_signed = false;
    bool m_blank = false;
    DateStyle m_dateStyle = DateStyle::Short;
};

} // namespace pk
