#include "import/widgets/webpageimportwindow.h"

#include "import/webpageimport.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace pk {

WebPageImportWindow::WebPageImportWindow(std::unique_ptr<WebPageImport> import, QWidget *parent)
    : ImportStepWindow(parent)
    , m_import(std::move(import))
{
    setWindowTitle(u"Importing from Web Site"_s);
    setObjectName(u"webPageImport"_s);
    auto *layout = new QVBoxLayout(this);
    m_text = new QLabel(m_import->statusText(), this);
    m_text->setTextFormat(Qt::PlainText);
    m_progress = new QProgressBar(this);
    m_progress->setRange(0, 100);
    m_progress->setValue(0);
    m_cancel = new QPushButton(u"Cancel"_s, this);
    layout->addWidget(m_text);
    layout->addWidget(m_progress);
    layout->addWidget(m_cancel, 0, Qt::AlignRight);
    connect(m_cancel, &QPushButton::clicked, this, &WebPageImportWindow::cancel);
    setMinimumWidth(380);
    resize(420, 120);

    Hooks hooks;
    hooks.step = [this] { return m_import->step(); };
    hooks.showProgress = [this] { showProgress(); };
    hooks.report = [this] { m_import->reportResult(); };
    hooks.cancelImport = [this] { m_import->cancel(); };
    startSteps(std::move(hooks));
}

WebPageImportWindow::~WebPageImportWindow() = default;

void WebPageImportWindow::showProgress()
{
    m_text->setText(m_import->statusText());
    m_progress->setValue(m_import->percent());
}

} // namespace pk
