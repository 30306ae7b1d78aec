#include "import/csv/widgets/recordprogressdialog.h"

#include "import/csv/widgets/dialogposition.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace pk {

RecordProgressDialog::RecordProgressDialog(const QString &title, StepFunction step, QWidget *parent)
    : QDialog(parent)
    , m_step(std::move(step))
{
    setWindowTitle(title);
    setModal(true);
    auto *layout = new QVBoxLayout(this);
    m_message = new QLabel(this);
    m_message->setTextFormat(Qt::PlainText);
    m_message->hide();
    layout->addWidget(m_message);
    m_bar = new QProgressBar(this);
    m_bar->setRange(0, 100);
    m_bar->setValue(0);
    m_percent = new QLabel(u"0% Completed"_s, this);
    m_percent->setAlignment(Qt::AlignHCenter);
    auto *buttons = new QDialogButtonBox(this);
    buttons->addButton(u"Cancel"_s, QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(m_bar);
    layout->addWidget(m_percent);
    layout->addWidget(buttons);
    resize(320, sizeHint().height());

    m_timer = new QTimer(this);
    m_timer->setInterval(0);
    connect(m_timer, &QTimer::timeout, this, &RecordProgressDialog::tick);
    m_timer->start();
}

bool RecordProgressDialog::run(const QString &title,
                               StepFunction step,
                               QWidget *parent,
                               IniFile *positions,
                               const QString &positionName)
{
    RecordProgressDialog dialog(title, std::move(step), parent);
    if (!positionName.isEmpty())
        DialogPosition::keep(&dialog, positions, positionName);
    dialog.exec();
    return dialog.completed();
}

void RecordProgressDialog::setMessage(const QString &text)
{
    m_message->setText(text);
    m_message->setVisible(!text.isEmpty());
}

void RecordProgressDialog::tick()
{
    const std::optional<int> percent = m_step();
    if (!percent) {
        m_timer->stop();
        m_completed = true;
        if (!m_finalText.isEmpty())
            m_percent->setText(m_finalText);
        accept();
        return;
    }
    const int p = std::clamp(*percent, 0, 100);
    if (p != m_shown) {
        m_shown = p;
        m_bar->setValue(p);
        m_percent->setText(QString::number(p) + u"% Completed"_s);
    }
}

void RecordProgressDialog::reject()
{
    m_timer->stop();
    QDialog::reject();
}

} // namespace pk
