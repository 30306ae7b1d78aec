#include "browse/forms/widgets/calendardialog.h"

#include "store/picture.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace pk {

CalendarDialog::CalendarDialog(qint32 dayNumber, const QString &title, QWidget *parent)
    : QDialog(parent)
    , m_month(dayNumber, QDate::currentDate())
    , m_result(dayNumber)
{
    setObjectName(QStringLiteral("Calendar"));
    setWindowTitle(title.trimmed().isEmpty() ? QStringLiteral("Select Date") : title);

    m_heading = new QLabel(this);
    m_heading->setAlignment(Qt::AlignCenter);
    QFont bold = m_heading->font();
    bold.setBold(true);
    m_heading->setFont(bold);

    const auto navigation =
        [this](const QString &text, const QString &tip, void (CalendarMonth::*step)()) {
            auto *button = new QPushButton(text, this);
            button->setToolTip(tip);
            button->setAutoDefault(false);
            button->setFixedWidth(fontMetrics().horizontalAdvance(text) + 16);
            connect(button, &QPushButton::clicked, this, [this, step] {
                (m_month.*step)();
                showMonth();
            });
            return button;
        };
    auto *top = new QHBoxLayout;
    top->addWidget(navigation(QStringLiteral("<<"),
                              QStringLiteral("Previous year"),
                              &CalendarMonth::previousYear));
    top->addWidget(navigation(QStringLiteral("<"),
                              QStringLiteral("Previous month"),
                              &CalendarMonth::previousMonth));
    top->addWidget(m_heading, 1);
    top->addWidget(
        navigation(QStringLiteral(">"), QStringLiteral("Next month"), &CalendarMonth::nextMonth));
    top->addWidget(
        navigation(QStringLiteral(">>"), QStringLiteral("Next year"), &CalendarMonth::nextYear));

    auto *grid = new QGridLayout;
    const QStringList headings = CalendarMonth::weekdayHeadings();
    for (int column = 0; column < CalendarMonth::Columns; ++column) {
        auto *label = new QLabel(headings.at(column), this);
        label->setAlignment(Qt::AlignCenter);
        grid->addWidget(label, 0, column);
    }
    for (int cell = 0; cell < CalendarMonth::Cells; ++cell) {
        auto *button = new QPushButton(this);
        button->setAutoDefault(false);
        button->setObjectName(QStringLiteral("day%1").arg(cell));
        button->setFixedSize(fontMetrics().horizontalAdvance(QStringLiteral("000")) + 14,
                             fontMetrics().height() + 10);
        connect(button, &QPushButton::clicked, this, [this, cell] {
            choose(m_month.dayNumberAt(cell));
        });
        grid->addWidget(button, 1 + cell / CalendarMonth::Columns, cell % CalendarMonth::Columns);
        m_days[std::size_t(cell)] = button;
    }

    auto *today = new QPushButton(QStringLiteral("&Today"), this);
    today->setObjectName(QStringLiteral("today"));
    auto *cancel = new QPushButton(QStringLiteral("Cancel"), this);
    cancel->setObjectName(QStringLiteral("cancel"));
    connect(today, &QPushButton::clicked, this, [this] { choose(DayNumber::today()); });
    connect(cancel, &QPushButton::clicked, this, &CalendarDialog::reject);
    auto *bottom = new QHBoxLayout;
    bottom->addStretch();
    bottom->addWidget(today);
    bottom->addWidget(cancel);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(grid);
    layout->addLayout(bottom);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    showMonth();
}

qint32 CalendarDialog::pick(qint32 dayNumber, const QString &title, QWidget *parent)
{
    CalendarDialog dialog(dayNumber, title, parent);
    dialog.exec();
    return dialog.result();
}

void CalendarDialog::showMonth()
{
    m_heading->setText(m_month.heading());
    const QDate given = DayNumber::toDate(m_month.given());
    for (int cell = 0; cell < CalendarMonth::Cells; ++cell) {
        QPushButton *button = m_days[std::size_t(cell)];
        const int day = m_month.dayAt(cell);
        // Hidden buttons keep their place, so the grid keeps its six rows.
        QSizePolicy policy = button->sizePolicy();
        policy.setRetainSizeWhenHidden(true);
        button->setSizePolicy(policy);
        button->setVisible(day != 0);
        button->setText(day ? QString::number(day) : QString());
        const bool isGiven = day && given.isValid()
                             && given == QDate(m_month.year(), m_month.month(), day);
        QFont font = button->font();
        font.setBold(isGiven);
        button->setFont(font);
    }
}

void CalendarDialog::choose(qint32 dayNumber)
{
    m_result = dayNumber;
    QDialog::accept();
}

void CalendarDialog::reject()
{
    m_result = m_month.given();
    QDialog::reject();
}

} // namespace pk
