#pragma once

#include "browse/forms/calendarmonth.h"

#include <QDialog>

#include <array>

class QLabel;
class QPushButton;

namespace pk {

/**
 * @brief "Calendar": the date picker of the "..." buttons. Clicking a day returns it,
 * "&Today" returns today and "Cancel" the date it was given.
 */
class CalendarDialog final : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CalendarDialog)

public:
    CalendarDialog(qint32 dayNumber, const QString &title, QWidget *parent = nullptr);

    static qint32 pick(qint32 dayNumber, const QString &title, QWidget *parent = nullptr);

    CalendarMonth &month() { return m_month; }
    QPushButton *dayButton(int cell) const { return m_days[std::size_t(cell)]; }
    QLabel *heading() const { return m_heading; }
    qint32 result() const { return m_result; }

public slots:
    void reject() override;

private:
    void showMonth();
    void choose(qint32 dayNumber);

    CalendarMonth m_month;
    qint32 m_result;
    QLabel *m_heading = nullptr;
    std::array<QPushButton *, CalendarMonth::Cells> m_days{};
};

} // namespace pk
