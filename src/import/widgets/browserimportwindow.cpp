#include "import/widgets/browserimportwindow.h"

#include "import/browserimport.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace pk {

BrowserImportWindow::BrowserImportWindow(std::unique_ptr<BrowserImport> import, QWidget *parent)
    : ImportStepWindow(parent)
    , m_import(std::move(import))
{
    setWindowTitle(u"Importing Bookmarks"_s);
    setObjectName(u"browserImport"_s);
    auto *layout = new QVBoxLayout(this);
    m_text = new QLabel(u"Importing from "_s + m_import->source(), this);
    m_text->setTextFormat(Qt::PlainText);
    m_progress = new QProgressBar(this);
    m_progress->setRange(0, std::max(1, int(m_import->bookmarks().size())));
    m_progress->setValue(0);
    m_cancel = new QPushButton(u"Cancel"_s, this);
    layout->addWidget(m_text);
    layout->addWidget(m_progress);
    layout->addWidget(m_cancel, 0, Qt::AlignRight);
    connect(m_cancel, &QPushButton::clicked, this, &BrowserImportWindow::cancel);
    setMinimumWidth(380);
    resize(420, 120);

    Hooks hooks;
    hooks.step = [this] { return m_import->step(); };
    hooks.showProgress = [this] { m_progress->setValue(int(m_import->taken())); };
    hooks.report = [this] { m_import->reportResult(); };
    hooks.cancelImport = [this] {
        if (m_import->taken() < m_import->bookmarks().size())
            m_import->inserter().markCancelled();
    };
    startSteps(std::move(hooks));
}

BrowserImportWindow::~BrowserImportWindow() = default;

} // namespace pk
