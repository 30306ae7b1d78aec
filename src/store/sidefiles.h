#pragma once

#include <QString>

namespace pk {

/**
 * @brief The write-ahead log's side files of a collection file (`-wal`, `-shm`).
 *
 * SQLite makes them with the permissions of the file they belong to, and a connection that may
 * only read leaves them behind when it closes. Left read-only, they turn every later write into
 * "attempt to write a readonly database" even once the file itself may be written again.
 */
namespace SideFiles {

/// True while another connection has the file open: of another process, or another of this
/// process (it holds a lock in the `-shm` file). Leaves every lock of this process in place.
bool inUse(const QString &file);
/// Removes side files nobody uses that hold nothing (an empty or missing `-wal`).
void removeUnused(const QString &file);
/// Before the file is opened for writing: side files left read-only by an earlier run are
/// given the file's own permissions, or removed when they hold nothing and cannot be changed.
void repair(const QString &file);

} // namespace SideFiles

} // namespace pk
