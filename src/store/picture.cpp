#include "store/picture.h"

#include <QRegularExpression>

namespace pk {

namespace {

// Day 0 is 28 December 1800, so that 1 January 1801 is day 4.
const qint64 kEpochJulian = QDate(1800, 12, 28).toJulianDay();

QString groupDigits(qint64 magnitude)
{
    QString digits = QString::number(magnitude);
    for (qsizetype i = digits.size() - 3; i > 0; i -= 3)
        digits.insert(i, QLatin1Char(','));
    return digits;
}

/// Two-digit years read from a short date: within 80 years back and 20 ahead of today.
QDate windowYear(QDate d, const QString &format)
{
    if (!d.isValid() || format.contains(QLatin1String("yyyy")))
        return d;
    const int pivot = QDate::currentDate().year() + 20;
    int year = d.year() % 100 + (pivot / 100) * 100;
    if (year > pivot)
        year -= 100;
    return QDate(year, d.month(), d.day());
}

} // namespace

namespace DayNumber {

qint32 fromDate(const QDate &date)
{
    if (!date.isValid())
        return None;
    return static_cast<qint32>(date.toJulianDay() - kEpochJulian);
}

QDate toDate(qint32 day)
{
    if (day == None)
        return {};
    return QDate::fromJulianDay(kEpochJulian + day);
}

qint32 today()
{
    return fromDate(QDate::currentDate());
}

} // namespace DayNumber

Picture::Picture(QString text, QLocale locale)
    : m_text(std::move(text))
    , m_locale(std::move(locale))
{
    static const QRegularExpression textRe(QStringLiteral("^@[Ss](\\d+)$"));
    static const QRegularExpression numberRe(QStringLiteral("^@[Nn](-?)(\\d+)([Bb]?)$"));
    static const QRegularExpression dateRe(QStringLiteral("^@[Dd](\\d+)([Bb]?)$"));
    static const QRegularExpression longDateRe(QStringLiteral("^@?[Dd]4([Bb]?)$"));
    static const QRegularExpression timeRe(QStringLiteral("^@?[Tt](\\d+)([Bb]?)$"));
    const QString t = m_text.trimmed();
    QRegularExpressionMatch m;
    if ((m = textRe.match(t)).hasMatch()) {
        m_kind = Kind::Text;
        m_width = m.captured(1).toInt();
    } else if ((m = numberRe.match(t)).hasMatch()) {
        m_kind = Kind::Number;
        m_signed = !m.captured(1).isEmpty();
        m_width = m.captured(2).toInt();
        m_blank = !m.captured(3).isEmpty();
    } else if (!t.startsWith(QLatin1Char('@')) && (m = longDateRe.match(t)).hasMatch()) {
        // "D4": the long date.
        m_kind = Kind::Date;
        m_dateStyle = DateStyle::Long;
        m_blank = !m.captured(1).isEmpty();
    } else if ((m = dateRe.match(t)).hasMatch()) {
        m_kind = Kind::Date;
        // @d17 is the system's short date; any other @d number falls back to it as well.
        m_dateStyle = DateStyle::Short;
        m_blank = !m.captured(2).isEmpty();
    } else if ((m = timeRe.match(t)).hasMatch()) {
        m_kind = Kind::Time;
        m_blank = !m.captured(2).isEmpty();
    }
}

QString Picture::format(const QVariant &value) const
{
    switch (m_kind) {
    case Kind::Invalid:
        return value.toString();
    case Kind::Text: {
        const QString s = value.toString();
        return s.size() > m_width ? s.left(m_width) : s;
    }
    case Kind::Number: {
        const qint64 n = value.toLongLong();
        if (n == 0 && m_blank)
            return {};
        QString s = groupDigits(n < 0 ? -n : n);
        if (n < 0)
            s.prepend(QLatin1Char('-'));
        if (s.size() > m_width)
            return QString(m_width, QLatin1Char('#'));
        return s.rightJustified(m_width, QLatin1Char(' '));
    }
    case Kind::Date: {
        const qint32 day = static_cast<qint32>(value.toLongLong());
        const QDate d = DayNumber::toDate(day);
        if (!d.isValid())
            return {};
        return m_locale.toString(d,
                                 m_dateStyle == DateStyle::Long ? QLocale::LongFormat
                                                                : QLocale::ShortFormat);
    }
    case Kind::Time: {
        QTime t;
        if (value.typeId() == QMetaType::QTime)
            t = value.toTime();
        else if (value.typeId() == QMetaType::QDateTime)
            t = value.toDateTime().time();
        else if (value.isValid())
            t = QTime(0, 0).addSecs(static_cast<int>(value.toLongLong() % 86400));
        if (!t.isValid())
            return {};
        return m_locale.toString(t, QLocale::ShortFormat);
    }
    }
    return {};
}

QVariant Picture::deformat(const QString &text) const
{
    const QString t = text.trimmed();
    switch (m_kind) {
    case Kind::Invalid:
        return text;
    case Kind::Text: {
        QString s = text;
        while (s.endsWith(QLatin1Char(' ')))
            s.chop(1);
        return s.size() > m_width ? s.left(m_width) : s;
    }
    case Kind::Number: {
        if (t.isEmpty())
            return QVariant::fromValue<qint64>(0);
        QString digits = t;
        digits.remove(QLatin1Char(','));
        digits.remove(m_locale.groupSeparator());
        bool ok = false;
        const qint64 n = digits.toLongLong(&ok);
        if (!ok || (!m_signed && n < 0 && false))
            return {};
        return QVariant::fromValue<qint64>(n);
    }
    case Kind::Date: {
        if (t.isEmpty())
            return QVariant::fromValue<qint32>(DayNumber::None);
        const QString shortFormat = m_locale.dateFormat(QLocale::ShortFormat);
        QDate d = m_locale.toDate(t,
                                  m_dateStyle == DateStyle::Long ? QLocale::LongFormat
                                                                 : QLocale::ShortFormat);
        if (d.isValid() && m_dateStyle == DateStyle::Short)
            d = windowYear(d, shortFormat);
        if (!d.isValid() && m_dateStyle == DateStyle::Short
            && !shortFormat.contains(QLatin1String("yyyy"))) {
            // The short form with a two-digit year still reads a year written in full.
            QString fullYear = shortFormat;
            fullYear.replace(QLatin1String("yy"), QLatin1String("yyyy"));
            d = m_locale.toDate(t, fullYear);
        }
        if (!d.isValid()) // the other form, then ISO
            d = m_locale.toDate(t,
                                m_dateStyle == DateStyle::Long ? QLocale::ShortFormat
                                                               : QLocale::LongFormat);
        if (!d.isValid())
            d = QDate::fromString(t, Qt::ISODate);
        if (!d.isValid())
            return {};
        return QVariant::fromValue<qint32>(DayNumber::fromDate(d));
    }
    case Kind::Time: {
        if (t.isEmpty())
            return QTime();
        QTime tm = m_locale.toTime(t, QLocale::ShortFormat);
        if (!tm.isValid())
            tm = m_locale.toTime(t, QLocale::LongFormat);
        if (!tm.isValid())
            tm = QTime::fromString(t, Qt::ISODate);
        if (!tm.isValid())
            return {};
        return tm;
    }
    }
    return {};
}

QString Picture::format(const QString &picture, const QVariant &value)
{
    return Picture(picture).format(value);
}

QVariant Picture::deformat(const QString &picture, const QString &text)
{
    return Picture(picture).deformat(text);
}

} // namespace pk
