#pragma once

#include <QFileDevice>
#include <QString>

namespace pk {

/// Errors of the comma-delimited files, worded "Error #" code " - " text.
namespace CsvFileError {

/// The message text for a failed file operation on `file` (errno when set, else Qt's code).
QString describe(const QFileDevice &file, int savedErrno);

} // namespace CsvFileError

} // namespace pk
