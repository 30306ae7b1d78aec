#include "shell/fileopener.h"

#include "framework/userinterface.h"
#include "store/collection.h"

#include <QFileInfo>

namespace pk {

namespace {
const QString endSentence = QStringLiteral(".  Press OK to end this application.");
}

FileOpener::FileOpener(UserInterface &ui, HaltHandler halt)
    : m_ui(ui)
    , m_halt(std::move(halt))
{}

FileOpener::Result FileOpener::halt(const QString &title,
                                    const QString &message,
                                    const QString &endText)
{
    m_ui.message(title, message, UserInterface::Icon::Critical);
    if (m_halt)
        m_halt(endText);
    return Result::Halted;
}

FileOpener::Result FileOpener::open(Collection &collection,
                                    CollectionFile file,
                                    bool mayCreate,
                                    bool callerHandlesMissing)
{
    const QString name = Collection::fileName(file);
    const QString creationTitle = QStringLiteral("File Creation Error");
    const QString creationEnd = QStringLiteral("File Creation Error!");

    StoreStatus status = collection.open(file, false);
    if (status.error == StoreError::Locked) {
        // Recovery opens the file once the other holder lets go; a second try after it.
        status = collection.recover(file);
        if (!status)
            status = collection.open(file, false);
    }

    switch (status.error) {
    case StoreError::None:
        return Result::Opened;
    case StoreError::FileNotFound:
        if (!mayCreate) {
            if (callerHandlesMissing)
                return Result::Missing;
            return halt(creationTitle,
                        QStringLiteral("Error: (") + status.describe()
                            + QStringLiteral(") creating ") + name + endSentence,
                        creationEnd);
        }
        status = collection.open(file, true);
        if (status.ok())
            return Result::Opened;
        if (!QFileInfo::exists(collection.filePath(file))) {
            return halt(creationTitle,
                        QStringLiteral("Error: (") + status.describe()
                            + QStringLiteral(") creating ") + name + endSentence,
                        creationEnd);
        }
        return halt(creationTitle,
                    QStringLiteral("Error: (") + status.describe()
                        + QStringLiteral(") opening created file:") + name + endSentence,
                    creationEnd);
    case StoreError::InvalidKeyFile: {
        const bool rebuild = m_ui.askYesNo(QStringLiteral("Invalid Key"),
                                           name + QStringLiteral(" key file is invalid.  Do you ")
                                               + QStringLiteral("want to rebuild the key?"));
        if (!rebuild) {
            if (m_halt)
                m_halt(QStringLiteral("Invalid Key!"));
            return Result::Halted;
        }
        const StoreStatus rebuilt = collection.rebuildKeys(file);
        if (!rebuilt) {
            return halt(QStringLiteral("Key Rebuild Error"),
                        QStringLiteral("Error: (") + rebuilt.describe()
                            + QStringLiteral(") repairing key for ") + name + endSentence,
                        QStringLiteral("Error Rebuilding Key!"));
        }
        status = collection.open(file, false);
        break;
    }
    case StoreError::InvalidFile:
        return halt(QStringLiteral("Invalid File"),
                    QStringLiteral("Error: (") + status.describe() + QStringLiteral(") accessing ")
                        + name + endSentence,
                    QStringLiteral("Invalid File!"));
    default:
        break;
    }

    if (status.ok())
        return Result::Opened;
    return halt(QStringLiteral("File Access Error"),
                QStringLiteral("File (") + name + QStringLiteral(") could not be ")
                    + QStringLiteral("opened.  Error: ") + status.describe() + QStringLiteral("."),
                QStringLiteral("Disk Error"));
}

FileOpener::Result FileOpener::openAll(Collection &collection)
{
    for (const CollectionFile f :
         {CollectionFile::Data, CollectionFile::Categories, CollectionFile::CatHtml}) {
        const Result r = open(collection, f, true);
        if (r != Result::Opened)
            return r;
    }
    return Result::Opened;
}

} // namespace pk
