#include "import/previous/widgets/previousversionimportwindow.h"

#include "browse/list/browserefresh.h"
#include "framework/userinterface.h"
#include "import/csv/widgets/recordprogressdialog.h"
#include "import/previous/previousversionimport.h"
#include "shell/widgets/framedwindow.h"

#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

using namespace Qt::StringLiterals;

namespace pk {

namespace {

constexpr int kRecordsPerTick = 200;

} // namespace

PreviousVersionImportWindow::PreviousVersionImportWindow(Collection &collection,
                                                         ErrorManager &errors,
                                                         UserInterface &ui,
                                                         IniFile *positions,
                                                         QWidget *parent)
    : QWidget(parent)
    , m_collection(collection)
    , m_errors(errors)
    , m_ui(ui)
    , m_positions(positions)
    , m_startFolder(QDir::currentPath())
{
    setWindowTitle(u"Import from Pathkeep Database"_s);
    auto *layout = new QGridLayout(this);
    layout
        ->addWidget(new QLabel(u"This option will import *only* location information from another\n"
                               "Pathkeep database (version 1.9 or earlier)."_s,
                               this),
                    0,
                    0,
                    1,
                    3);
    auto *prompt = new QLabel(u"Import from:"_s, this);
    m_file = new QLineEdit(QString::fromLatin1(PreviousVersionImport::FileName), this);
    m_file->setMaxLength(255);
    prompt->setBuddy(m_file);
    // Alt+B opens the frame's Browse menu, so this child window's button takes Alt+R.
    auto *browseButton = new QPushButton(u"B&rowse"_s, this);
    layout->addWidget(prompt, 1, 0);
    layout->addWidget(m_file, 1, 1);
    layout->addWidget(browseButton, 1, 2);
    auto *ok = new QPushButton(u"&OK"_s, this);
    ok->setDefault(true);
    auto *cancel = new QPushButton(u"Cancel"_s, this);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    layout->addLayout(buttons, 2, 0, 1, 3);

    connect(browseButton, &QPushButton::clicked, this, &PreviousVersionImportWindow::browse);
    connect(ok, &QPushButton::clicked, this, &PreviousVersionImportWindow::startImport);
    connect(m_file, &QLineEdit::returnPressed, this, &PreviousVersionImportWindow::startImport);
    connect(cancel, &QPushButton::clicked, this, &PreviousVersionImportWindow::closeRequested);
    cancelOnEscape(this, [this] { Q_EMIT closeRequested(); });
}

PreviousVersionImportWindow::~PreviousVersionImportWindow()
{
    BrowseRefresh::instance().request();
}

QString PreviousVersionImportWindow::fileName() const
{
    return m_file->text();
}

void PreviousVersionImportWindow::setFileName(const QString &name)
{
    m_file->setText(name);
}

void PreviousVersionImportWindow::browse()
{
    const QString start = QFileInfo(QDir(m_startFolder), m_file->text()).absolutePath();
    const auto chosen = m_ui.openFileName(u"Choose a File"_s,
                                          start,
                                          u"Pathkeep Database|URL_L.TPS;url_l.tps;Url_L.tps"_s);
    if (chosen && !chosen->isEmpty())
        m_file->setText(*chosen);
    QDir::setCurrent(m_startFolder);
}

bool PreviousVersionImportWindow::startImport()
{
    const QString name = m_file->text().trimmed();
    // The check ignores letter case; the file is opened under the name as typed, since file
    // names are case-sensitive here.
    if (!PreviousVersionImport::nameAccepted(name)) {
        m_ui.message(u"Cannot Import"_s,
                     u"You can only import from databases created by Pathkeep version 1.5 and "
                     "above."_s,
                     UserInterface::Icon::Warning);
        m_file->setFocus();
        return false;
    }
    PreviousVersionImport import(m_collection, m_errors);
    if (!import.open(QFileInfo(QDir(m_startFolder), name).absoluteFilePath())) {
        m_added = 0;
        return true;
    }
    const bool ran = RecordProgressDialog::run(
        u"Processing Records"_s,
        [&import]() -> std::optional<int> {
            if (!import.step(kRecordsPerTick))
                return std::nullopt;
            return import.percent();
        },
        this,
        m_positions,
        u"ImportURLProcess"_s);
    if (!ran)
        import.markCancelled();
    import.finish();
    m_added = import.added();
    BrowseRefresh::instance().request();
    return true;
}

} // namespace pk
