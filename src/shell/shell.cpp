#include "shell/shell.h"

#include "framework/terminationrequest.h"
#include "framework/userinterface.h"
#include "platform/appfolders.h"
#include "shell/collectionpaths.h"
#include "shell/procedurenames.h"
#include "shell/templateinstaller.h"
#include "tools/fileoperation.h"
#include "store/collection.h"
#include "store/textindex.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cstdio>
#include <cstdlib>

namespace pk {

namespace {
Shell *g_shell = nullptr;

const QString collectionFilter = QStringLiteral("URLDATA.TPS|URLDATA.TPS");
const QString chooserTitle = QStringLiteral("Select collection folder");
} // namespace

Shell::Shell(UserInterface &ui)
    : m_ui(ui)
    , m_errors(ui)
    , m_pathkeepIni(AppFolders::pathkeepIni())
    , m_positionIni(AppFolders::positionIni())
    , m_registry(AppFolders::registryIni())
    , m_settings(ui, m_pathkeepIni, m_registry)
    , m_opener(ui, [this](const QString &endText) { halt(endText); })
    , m_collection(std::make_unique<Collection>(collectionFolder()))
    , m_textIndexFiller([this] { return m_collection.get(); })
    , m_fileCheck(ui, m_pathkeepIni)
    , m_halt([](const QString &endText) {
        std::fprintf(stderr, "pathkeep: %s\n", endText.toLocal8Bit().constData());
        // The program ends through its normal close (windows closed, positions saved), never
        // from inside the event handler that met the error.
        TerminationRequest::request();
        QCoreApplication::exit(EXIT_FAILURE);
    })
{
    m_errors.setHaltHandler([this](const QString &title, const QString &) { halt(title); });
    m_settings.setCollection(m_collection.get());
    g_shell = this;
}

Shell::~Shell()
{
    if (g_shell == this)
        g_shell = nullptr;
}

Shell *Shell::instance()
{
    return g_shell;
}

QString Shell::collectionFolder()
{
    return QDir::currentPath();
}

void Shell::setHaltHandler(HaltHandler handler)
{
    m_halt = std::move(handler);
    m_errors.setHaltHandler([this](const QString &title, const QString &) { halt(title); });
}

void Shell::halt(const QString &endText)
{
    m_halted = true;
    if (m_halt)
        m_halt(endText);
}

bool Shell::prepare(const QString &templateFolder)
{
    m_halted = false;
    AppFolders::ensureConfigFolder();
    m_pathkeepIni.load();
    m_positionIni.load();
    m_registry.reload();
    m_bodyInFrame = m_pathkeepIni.intValue(QStringLiteral("Settings"), QStringLiteral("BodyInFrame"))
                    != 0;
    if (!templateFolder.isEmpty())
        TemplateInstaller::installDefaults(collectionFolder(), templateFolder);
    if (!openCollectionFiles())
        return false;
    m_settings.readAll();
    return !m_halted;
}

bool Shell::openCollectionFiles()
{
    m_collection->setTextIndexWanted(m_pathkeepIni.intValue(QLatin1String(TextIndex::SettingSection),
                                                            QLatin1String(TextIndex::SettingKey),
                                                            1)
                                     != 0);
    if (m_opener.openAll(*m_collection) != FileOpener::Result::Opened || m_halted)
        return false;
    m_textIndexFiller.start();
    return true;
}

QString Shell::startupProcedure() const
{
    const bool byCategory
        = m_settings.values().startupBrowse.compare(QLatin1String(AppSettings::CategoryList),
                                                    Qt::CaseInsensitive)
          == 0;
    return QLatin1String(byCategory ? Procedure::BrowseByCategory : Procedure::BrowseLocations);
}

bool Shell::closeOtherWindows()
{
    m_threads.closeAll();
    // Closed windows are deleted later; they must be gone before their collection is.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return m_threads.count() == 0;
}

bool Shell::switchCollection(const QString &folder)
{
    if (!closeOtherWindows())
        return false;
    if (!QDir::setCurrent(folder)) {
        m_ui.message(QStringLiteral("Error"),
                     QStringLiteral("The folder ") + folder
                         + QStringLiteral(" could not be opened."),
                     UserInterface::Icon::Critical);
        return false;
    }
    m_fileCheck.stop();
    m_collection->close();
    m_collection = std::make_unique<Collection>(collectionFolder());
    m_settings.setCollection(m_collection.get());
    m_pathkeepIni.load();
    if (!openCollectionFiles())
        return false;
    m_settings.readAll();
    if (m_folderChanged)
        m_folderChanged();
    if (!m_halted)
        checkCollectionFiles();
    return !m_halted;
}

bool Shell::newCollection()
{
    const int choice = m_ui.ask(QStringLiteral("New Collection"),
                                QStringLiteral("This option will create a new set of Pathkeep "
                                               "databases in a folder.  Create or select a new "
                                               "folder in which to do this."),
                                {QStringLiteral("&Proceed"), QStringLiteral("Cancel")});
    if (choice != 0)
        return false;
    const auto returned = m_ui.saveFileName(chooserTitle,
                                            CollectionPaths::withSlash(collectionFolder())
                                                + QStringLiteral("URLDATA.TPS"),
                                            collectionFilter);
    if (!returned || returned->trimmed().isEmpty())
        return false;

    const QString current = CollectionPaths::withSlash(collectionFolder());
    const QString chosen = CollectionPaths::newCollectionFolder(
        QDir(current).absoluteFilePath(*returned));
    if (CollectionPaths::sameFolder(chosen, current)
        || !CollectionPaths::findFile(chosen, QStringLiteral("URLDATA.TPS")).isEmpty()) {
        m_ui.message(QStringLiteral("Error"),
                     QStringLiteral("Databases already exist in that folder."),
                     UserInterface::Icon::Warning);
        return false;
    }

    // The settings of the collection that was open go with the new one.
    const AppSettings carried = m_settings.values();

    // Every window lets go of the collection, then its files are released so that the copies
    // are complete. A window that refuses to close keeps the collection as it is.
    if (!closeOtherWindows())
        return false;
    m_collection->close();
    auto copyInto = [&](const QString &name) {
        const QString source = CollectionPaths::findFile(current, name);
        const QString target = chosen + name;
        if (source.isEmpty())
            return;
        if (!QFile::copy(current + source, target) && !QFileInfo::exists(target)) {
            QDir().mkpath(chosen);
            QFile::copy(current + source, target);
        }
    };
    QDir().mkpath(chosen);
    copyInto(QStringLiteral("URL_C.TPS"));
    copyInto(QStringLiteral("URL_H.TPS"));
    // The export templates go with it, through the file routine (recorded in PATHKEEP.INI).
    FileOperation(&m_pathkeepIni)
        .run(QStringLiteral("Copy"), current + QStringLiteral("*.HTM"), chosen, {}, {});

    if (!QFileInfo(chosen).isDir()) {
        m_ui.message(QStringLiteral("Error"),
                     QStringLiteral("The folder ") + chosen
                         + QStringLiteral(" could not be created."),
                     UserInterface::Icon::Critical);
        openCollectionFiles();
        return false;
    }
    if (!switchCollection(chosen)) {
        if (!m_halted && !m_collection->isOpen(CollectionFile::Data))
            openCollectionFiles(); // still in the old folder: take its files up again
        return false;
    }
    m_settings.writeOptions(carried);
    if (m_openStartupList)
        m_openStartupList();
    return true;
}

bool Shell::openCollection()
{
    const auto returned = m_ui.openFileName(chooserTitle,
                                            CollectionPaths::withSlash(collectionFolder())
                                                + QStringLiteral("URLDATA.TPS"),
                                            collectionFilter);
    if (!returned || returned->trimmed().isEmpty())
        return false;
    const QString folder = CollectionPaths::openCollectionFolder(
        QDir(collectionFolder()).absoluteFilePath(*returned));
    if (!switchCollection(folder))
        return false;
    if (m_openStartupList)
        m_openStartupList();
    return true;
}

void Shell::checkCollectionFiles()
{
    QStringList files;
    for (const CollectionFile f :
         {CollectionFile::Data, CollectionFile::Categories, CollectionFile::CatHtml}) {
        if (m_collection->isOpen(f))
            files << m_collection->filePath(f);
    }
    m_fileCheck.start(files);
}

void Shell::saveIni()
{
    m_positionIni.save();
}

} // namespace pk
