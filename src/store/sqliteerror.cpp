#include "store/sqliteerror.h"

#include <SQLiteCpp/Exception.h>

#include <QStorageInfo>

#include <sqlite3.h>

#include <cerrno>
#include <unordered_map>

namespace pk::SqliteError {

namespace {

// Below this much free space a failed write is taken for a full disk: SQLite grows its files
// in steps and does not always say why a step failed.
constexpr qint64 kNearlyFull = 1024 * 1024;

thread_local std::unordered_map<sqlite3 *, QString> t_connections;

bool isWriteFailure(int extendedCode)
{
    switch (extendedCode) {
    case SQLITE_FULL:
    case SQLITE_IOERR_WRITE:
    case SQLITE_IOERR_FSYNC:
    case SQLITE_IOERR_TRUNCATE:
    case SQLITE_IOERR_SHMSIZE:
    case SQLITE_IOERR_SHMMAP:
    case SQLITE_IOERR:
        return true;
    default:
        return false;
    }
}

bool diskFull(int extendedCode)
{
    if (extendedCode == SQLITE_FULL)
        return true;
    if (!isWriteFailure(extendedCode))
        return false;
    for (const auto &[handle, folder] : t_connections) {
        const int e = sqlite3_system_errno(handle);
        if (e == ENOSPC || e == EDQUOT)
            return true;
        const QStorageInfo storage(folder);
        if (storage.isValid() && storage.bytesAvailable() >= 0
            && storage.bytesAvailable() < kNearlyFull)
            return true;
    }
    return false;
}

} // namespace

void watchConnection(sqlite3 *handle, const QString &folder)
{
    t_connections[handle] = folder;
}

void unwatchConnection(sqlite3 *handle)
{
    t_connections.erase(handle);
}

StoreError classify(int extendedCode)
{
    switch (extendedCode & 0xff) {
    case SQLITE_OK:
    case SQLITE_DONE:
    case SQLITE_ROW:
        return StoreError::None;
    case SQLITE_CONSTRAINT:
        if (extendedCode == SQLITE_CONSTRAINT_UNIQUE || extendedCode == SQLITE_CONSTRAINT_PRIMARYKEY)
            return StoreError::DuplicateKey;
        return StoreError::ValidationFailed;
    case SQLITE_NOTFOUND:
        return StoreError::RecordNotFound;
    case SQLITE_PERM:
    case SQLITE_READONLY:
    case SQLITE_AUTH:
        return StoreError::AccessDenied;
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return StoreError::Locked;
    case SQLITE_NOTADB:
        return StoreError::InvalidFile;
    case SQLITE_CORRUPT:
        if (extendedCode == SQLITE_CORRUPT_INDEX)
            return StoreError::InvalidKeyFile;
        return StoreError::InvalidFile;
    case SQLITE_CANTOPEN:
        return StoreError::FileNotOpen;
    default:
        return StoreError::Other;
    }
}

QString damagedText(const QString &what)
{
    return QStringLiteral("%1: the file is damaged; File, Support Tools, Repair Databases may "
                          "repair it")
        .arg(what);
}

StoreStatus status(int extendedCode, const QString &text, const QString &file)
{
    QString shown = text;
    if ((extendedCode & 0xff) == SQLITE_CORRUPT && extendedCode != SQLITE_CORRUPT_INDEX)
        shown = damagedText(text);
    else if (diskFull(extendedCode))
        shown = QStringLiteral("The disk is full: make room on it and try again (%1)").arg(text);
    StoreStatus s = StoreStatus::failure(classify(extendedCode), shown, extendedCode);
    if (s.error == StoreError::None)
        s.error = StoreError::Other;
    s.context.file = file;
    s.context.fileErrorCode = QString::number(extendedCode);
    s.context.fileError = QString::fromUtf8(sqlite3_errstr(extendedCode));
    return s;
}

StoreStatus fromException(const std::exception &e, const QString &file)
{
    if (const auto *se = dynamic_cast<const SQLite::Exception *>(&e)) {
        const int code = se->getExtendedErrorCode() > 0 ? se->getExtendedErrorCode()
                                                        : se->getErrorCode();
        return status(code, QString::fromUtf8(se->what()), file);
    }
    StoreStatus s = StoreStatus::failure(StoreError::Other, QString::fromUtf8(e.what()));
    s.context.file = file;
    return s;
}

} // namespace pk::SqliteError
