#pragma once

#include "framework/errormanager.h"

#include <QString>

#include <cstdint>

namespace pk {

/// What went wrong in a store operation; callers react by kind, not by text.
enum class StoreError {
    None,
    FileNotFound,
    FileNotOpen,
    RecordNotFound,
    DuplicateKey,
    AccessDenied,
    InvalidFile,
    InvalidKeyFile,
    Locked,
    CreateFailed,
    ValidationFailed,
    ChangedElsewhere, ///< the record is no longer what the writer read
    Other
};

/**
 * @brief Outcome of a store operation.
 *
 * When a failure maps to a catalogue message, `catalogueNumber` names it and `context` holds the
 * placeholders, so the caller raises it with `ErrorManager::raise(s.catalogueNumber, s.context)`.
 * A result nobody looks at is a failure nobody hears of: the compiler warns about it.
 */
struct [[nodiscard]] StoreStatus
{
    StoreError error = StoreError::None;
    int code = 0;                      ///< SQLite extended result code, or 0
    QString text;                      ///< readable error text
    std::uint16_t catalogueNumber = 0; ///< catalogue message that reports it, 0 when none
    ErrorContext context;              ///< placeholders for that message

    explicit operator bool() const { return error == StoreError::None; }
    bool ok() const { return error == StoreError::None; }

    /// `text (code)`, or an empty string on success.
    QString describe() const;

    static StoreStatus success() { return {}; }
    static StoreStatus failure(StoreError error, QString text, int code = 0);
};

/// Name of an error kind for logs and test output ("DuplicateKey", ...).
const char *storeErrorName(StoreError error);

} // namespace pk
