#include "import/widgets/favoritesimportwindow.h"

#include "browse/forms/widgets/formscontext.h"
#include "browse/forms/widgets/texttablemodel.h"
#include "browse/list/browserefresh.h"
#include "import/favoritesimport.h"
#include "shell/widgets/framedwindow.h"

#include <QApplication>
#include <QCloseEvent>
#include <QHeaderView>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTableView>
#include <QThread>
#include <QScopedValueRollback>
#include <QTimer>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace pk {

FavoritesImportWindow::FavoritesImportWindow(std::unique_ptr<FavoritesImport> import,
                                             QWidget *parent)
    : QWidget(parent)
    , m_import(std::move(import))
{
    setWindowTitle(u"Searching MSIE Favorites..."_s);
    setObjectName(u"favoritesImport"_s);
    auto *layout = new QVBoxLayout(this);
    m_prompt = new QLabel(u"Searching for URL files in:"_s, this);
    m_prompt->setTextFormat(Qt::PlainText);
    m_folder = new QLabel(m_import->folder(), this);
    m_folder->setTextFormat(Qt::PlainText);
    m_wait = new QLabel(u"Please Wait..."_s, this);
    m_list = new QTableView(this);
    FormsUi::setUpTable(m_list);
    m_model = new TextTableModel(
        {u"Shortcut"_s, u"URL"_s},
        [this] { return int(m_import->entries().size()); },
        [this](int row, int column) {
            const ShortcutEntry &e = m_import->entries()[std::size_t(row)];
            return column == 0 ? e.path : e.address;
        },
        this);
    m_list->setModel(m_model);
    m_list->horizontalHeader()->setStretchLastSection(true);
    m_ok = new QPushButton(u"OK"_s, this);
    layout->addWidget(m_prompt);
    layout->addWidget(m_folder);
    layout->addWidget(m_wait);
    layout->addWidget(m_list, 1);
    layout->addWidget(m_ok, 0, Qt::AlignRight);
    connect(m_ok, &QPushButton::clicked, this, &FavoritesImportWindow::stopByUser);
    setMinimumSize(520, 360);
    resize(560, 400);

    m_timer = new QTimer(this);
    m_timer->setInterval(0);
    connect(m_timer, &QTimer::timeout, this, &FavoritesImportWindow::tick);
    m_timer->start();
}

FavoritesImportWindow::~FavoritesImportWindow()
{
    if (m_cursor)
        QApplication::restoreOverrideCursor();
}

void FavoritesImportWindow::tick()
{
    // A question asked during a step (the category dialog) runs the event loop: no step
    // may start inside another.
    if (m_inStep)
        return;
    switch (m_stage) {
    case Stage::Start:
        QApplication::setOverrideCursor(Qt::WaitCursor);
        m_cursor = true;
        m_stage = Stage::Scanning;
        {
            // The tree is listed off the window's thread; the list arrives when it is done.
            m_timer->stop();
            QPointer<FavoritesImportWindow> self(this);
            const QString folder = m_import->folder();
            auto result = std::make_shared<std::vector<ShortcutEntry>>();
            QThread *thread = QThread::create(
                [folder, result] { *result = FavoritesImport::scanFolder(folder); });
            connect(thread, &QThread::finished, this, [self, result] {
                if (self) {
                    self->m_import->setEntries(std::move(*result));
                    self->scanned();
                }
            });
            connect(thread, &QThread::finished, thread, &QObject::deleteLater);
            thread->start();
        }
        break;
    case Stage::Scanning:
        break;
    case Stage::Importing: {
        bool more = false;
        {
            const QScopedValueRollback<bool> inStep(m_inStep, true);
            more = m_import->step() && !m_closeRequested;
        }
        if (m_stopRequested) {
            end();
            return;
        }
        if (m_closeRequested) {
            m_stage = Stage::Done;
            m_timer->stop();
            BrowseRefresh::instance().request();
            Q_EMIT finished();
            closeWindow();
            return;
        }
        if (!more) {
            end();
            return;
        }
        m_prompt->setText(u"Importing "_s + m_import->currentAddress());
        break;
    }
    case Stage::Done:
        break;
    }
}

void FavoritesImportWindow::scanned()
{
    if (m_stage == Stage::Done)
        return; // stopped while the folder was being listed
    m_model->reload();
    m_list->resizeColumnToContents(0);
    m_stage = Stage::Importing;
    setWindowTitle(u"Importing MSIE Favorites"_s);
    m_timer->start();
}

void FavoritesImportWindow::end()
{
    if (m_stage == Stage::Done)
        return;
    m_stage = Stage::Done;
    m_timer->stop();
    BrowseRefresh::instance().request();
    if (m_cursor) {
        QApplication::restoreOverrideCursor();
        m_cursor = false;
    }
    // The window behind the closing message no longer asks the user to wait.
    m_wait->setText(m_import->inserter().cancelled() ? u"Import stopped."_s
                                                     : u"Import finished."_s);
    if (!m_reported) {
        m_reported = true;
        m_import->reportResult();
    }
    Q_EMIT finished();
    closeWindow();
}

void FavoritesImportWindow::stopByUser()
{
    if (m_stage == Stage::Done) {
        closeWindow();
        return;
    }
    // OK before the end: the import stops with what it added and says so.
    m_import->inserter().markCancelled();
    if (m_inStep)
        m_stopRequested = true; // ends once the step in hand is done
    else
        end();
}

void FavoritesImportWindow::closeWindow()
{
    closeFramedWindow(this);
}

void FavoritesImportWindow::closeEvent(QCloseEvent *event)
{
    if (m_inStep) {
        // A question of the step in hand is open; the window closes once the step is done.
        m_closeRequested = true;
        event->ignore();
        return;
    }
    // Closing early ends the import with what was added; every step has been committed.
    if (m_stage != Stage::Done) {
        m_stage = Stage::Done;
        m_timer->stop();
        BrowseRefresh::instance().request();
        Q_EMIT finished();
    }
    event->accept();
}

} // namespace pk
