#pragma once

#include "store/storestatus.h"

#include <exception>

struct sqlite3;

namespace pk {

/// @brief Turns SQLite result codes into store errors.
namespace SqliteError {

/// The store error for an SQLite (extended) result code.
StoreError classify(int extendedCode);
/// A failure status for `code` with `text`, naming `file` in the context (%File).
StoreStatus status(int extendedCode, const QString &text, const QString &file = {});
/// `what` (an error text or a file name) followed by the advice for a damaged file.
QString damagedText(const QString &what);
/// A failure status for the exception currently being handled (call inside catch).
StoreStatus fromException(const std::exception &e, const QString &file = {});

/// Connections of this thread whose failed writes are checked for a full disk, with the
/// folder their files are in.
void watchConnection(sqlite3 *handle, const QString &folder);
void unwatchConnection(sqlite3 *handle);

} // namespace SqliteError

} // namespace pk
