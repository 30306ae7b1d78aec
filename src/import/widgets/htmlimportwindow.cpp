#include "import/widgets/htmlimportwindow.h"

#include "import/htmlimport.h"

#include <QLabel>
#include <QMdiSubWindow>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace pk {

HtmlImportWindow::HtmlImportWindow(std::unique_ptr<HtmlImport> import, QWidget *parent)
    : ImportStepWindow(parent)
    , m_import(std::move(import))
{
    setWindowTitle(u"Processing Records"_s);
    setObjectName(u"htmlImport"_s);
    auto *layout = new QVBoxLayout(this);
    m_text = new QLabel(m_import->readingText(), this);
    m_text->setTextFormat(Qt::PlainText);
    m_progress = new QProgressBar(this);
    m_progress->setRange(0, 100);
    m_progress->setValue(0);
    m_percent = new QLabel(u"0% Completed"_s, this);
    m_percent->setAlignment(Qt::AlignHCenter);
    m_cancel = new QPushButton(u"Cancel"_s, this);
    layout->addWidget(m_text);
    layout->addWidget(m_progress);
    layout->addWidget(m_percent);
    layout->addWidget(m_cancel, 0, Qt::AlignRight);
    connect(m_cancel, &QPushButton::clicked, this, &HtmlImportWindow::cancel);
    setMinimumWidth(380);
    resize(420, 160);

    Hooks hooks;
    hooks.step = [this] { return m_import->step(); };
    hooks.showProgress = [this] { showProgress(); };
    hooks.report = [this] { m_import->reportResult(); };
    hooks.cancelImport = [this] { m_import->cancel(); };
    startSteps(std::move(hooks));
}

HtmlImportWindow::~HtmlImportWindow() = default;

void HtmlImportWindow::showProgress()
{
    if (m_import->hasLinkPass()) {
        if (windowTitle() != u"Analyzing HTML..."_s) {
            setWindowTitle(u"Analyzing HTML..."_s);
            if (auto *sub = qobject_cast<QMdiSubWindow *>(parentWidget()))
                sub->setWindowTitle(windowTitle());
            m_percent->hide();
        }
        const qsizetype total = std::max<qsizetype>(1, m_import->tokenTotal());
        m_progress->setValue(int(m_import->tokensExamined() * 100 / total));
        m_text->setText(m_import->remainingText());
        return;
    }
    const int percent = m_import->percent();
    m_progress->setValue(percent);
    m_percent->setText(QString::number(percent) + u"% Completed"_s);
    m_text->setText(m_import->readingText());
}

} // namespace pk
