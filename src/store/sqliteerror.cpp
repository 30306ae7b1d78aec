#include "store/sqliteerror.h"

#include <SQLiteCpp/Exception.h>

#include <sqlite3.h>

namespace pk::SqliteError {

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

StoreStatus status(int extendedCode, const QString &text, const QString &file)
{
    StoreStatus s = StoreStatus::failure(classify(extendedCode), text, extendedCode);
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
