#include "browse/forms/calendarmonth.h"

#include "store/picture.h"

#include <QLocale>

namespace pk {

CalendarMonth::CalendarMonth(qint32 dayNumber, const QDate &today)
    : m_given(dayNumber)
{
    QDate shown = dayNumber != DayNumber::None ? DayNumber::toDate(dayNumber) : today;
    if (!shown.isValid())
        shown = today.isValid() ? today : QDate(FirstYear, 1, 1);
    // A date outside the years shown opens at the nearest end; only stepping wraps round.
    if (shown.year() < FirstYear)
        shown = QDate(FirstYear, 1, 1);
    else if (shown.year() > LastYear)
        shown = QDate(LastYear, 12, 1);
    m_year = shown.year();
    m_month = shown.month();
}

QStringList CalendarMonth::weekdayHeadings()
{
    return {QStringLiteral("Sun"),
            QStringLiteral("Mon"),
            QStringLiteral("Tue"),
            QStringLiteral("Wed"),
            QStringLiteral("Thu"),
            QStringLiteral("Fri"),
            QStringLiteral("Sat")};
}

QString CalendarMonth::heading() const
{
    return QLocale().standaloneMonthName(m_month, QLocale::LongFormat) + QLatin1Char(' ')
           + QString::number(m_year);
}

int CalendarMonth::wrapYear(int year)
{
    if (year < FirstYear)
        return LastYear;
    if (year > LastYear)
        return FirstYear;
    return year;
}

int CalendarMonth::firstCell() const
{
    // QDate counts Monday as 1 and Sunday as 7; the grid starts on Sunday.
    return QDate(m_year, m_month, 1).dayOfWeek() % 7;
}

int CalendarMonth::dayAt(int cell) const
{
    if (cell < 0 || cell >= Cells)
        return 0;
    const int day = cell - firstCell() + 1;
    return day >= 1 && day <= QDate(m_year, m_month, 1).daysInMonth() ? day : 0;
}

int CalendarMonth::cellOf(int day) const
{
    if (day < 1 || day > QDate(m_year, m_month, 1).daysInMonth())
        return -1;
    return firstCell() + day - 1;
}

qint32 CalendarMonth::dayNumberAt(int cell) const
{
    const int day = dayAt(cell);
    return day == 0 ? DayNumber::None : DayNumber::fromDate(QDate(m_year, m_month, day));
}

void CalendarMonth::previousMonth()
{
    if (--m_month < 1) {
        m_month = 12;
        m_year = wrapYear(m_year - 1);
    }
}

void CalendarMonth::nextMonth()
{
    if (++m_month > 12) {
        m_month = 1;
        m_year = wrapYear(m_year + 1);
    }
}

void CalendarMonth::previousYear()
{
    m_year = wrapYear(m_year - 1);
}

void CalendarMonth::nextYear()
{
    m_year = wrapYear(m_year + 1);
}

} // namespace pk
