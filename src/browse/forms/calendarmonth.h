#pragma once

#include <QDate>
#include <QString>
#include <QStringList>

namespace pk {

/**
 * @brief The date picker's month page: 42 day cells in six rows from Sunday, and the steps
 * between months and years.
 *
 * Years run from 1801 to 2099 and wrap at both ends, so the picker never shows a month the
 * day numbers cannot hold.
 */
class CalendarMonth final
{
public:
    static constexpr int Cells = 42;
    static constexpr int Columns = 7;
    static constexpr int FirstYear = 1801;
    static constexpr int LastYear = 2099;

    /// Opens on the month of `dayNumber`, or of `today` when it is 0.
    CalendarMonth(qint32 dayNumber, const QDate &today);

    int year() const { return m_year; }
    int month() const { return m_month; }
    /// "Sun" to "Sat".
    static QStringList weekdayHeadings();
    /// Month name and year, e.g. "March 2026".
    QString heading() const;

    /// Day of the month shown in `cell` (0..41), or 0 when the cell lies outside the month.
    int dayAt(int cell) const;
    /// Cell that shows `day`, -1 when the month has no such day.
    int cellOf(int day) const;
    /// Day number of the date in `cell`; 0 for a hidden cell.
    qint32 dayNumberAt(int cell) const;

    void previousMonth();
    void nextMonth();
    void previousYear();
    void nextYear();

    /// What "Cancel" returns: the date the picker was given.
    qint32 given() const { return m_given; }

private:
    static int wrapYear(int year);
    int firstCell() const;

    qint32 m_given;
    int m_year;
    int m_month;
};

} // namespace pk
