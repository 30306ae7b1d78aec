#include "report/widgets/reportprogresswindow.h"

#include "report/reportdisplaystrings.h"

#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace pk {

ReportProgressWindow::ReportProgressWindow(const ReportDisplayStrings &strings,
                                           bool preview,
                                           QWidget *parent)
    : QDialog(parent)
    , m_recordText(strings.text(u"ProgWinRecText"_s))
{
    setObjectName(u"ReportProgress"_s);
    setWindowTitle(u"Report Progress..."_s);
    setWindowModality(Qt::ApplicationModal);
    auto *layout = new QVBoxLayout(this);
    auto *title = new QLabel(strings.text(preview ? u"ProgWinTitlePrvw"_s : u"ProgWinTitlePrnt"_s),
                             this);
    layout->addWidget(title);
    m_bar = new QProgressBar(this);
    m_bar->setRange(0, 100);
    m_bar->setFormat(u"%p"_s + strings.text(u"ProgWinPctText"_s));
    layout->addWidget(m_bar);
    m_records = new QLabel(this);
    layout->addWidget(m_records);
    auto *buttons = new QDialogButtonBox(this);
    QPushButton *cancel = buttons->addButton(u"Cancel"_s, QDialogButtonBox::RejectRole);
    cancel->setObjectName(u"cancelButton"_s);
    connect(buttons, &QDialogButtonBox::rejected, this, &ReportProgressWindow::reject);
    layout->addWidget(buttons);
    setMinimumWidth(320);
    cancel->setFocus();
}

void ReportProgressWindow::reject()
{
    // Closing the window asks to cancel; the report decides and closes it when it is done.
    m_cancel = true;
}

bool ReportProgressWindow::poll(qint64 read, qint64 total)
{
    // Repainting for every row would cost more than reading it.
    if (read == 0 || read == total || read - m_shown >= 25) {
        m_shown = read;
        m_bar->setValue(total > 0 ? int(std::min<qint64>(100, read * 100 / total)) : 0);
        m_records->setText(QString::number(read) + u' ' + m_recordText);
        QCoreApplication::processEvents();
    }
    const bool cancel = m_cancel;
    m_cancel = false;
    return cancel;
}

} // namespace pk
