#pragma once

#include <QByteArrayView>

struct sqlite3;

namespace pk {

/**
 * @brief The PKNOCASE collation: UTF-8 text ordered without regard to letter case.
 *
 * Pure ASCII is compared byte by byte with ASCII case folding; anything else is compared by
 * Unicode simple case folding. Indexes depend on this order: bump `version()` whenever it
 * changes, so collections built with the old order have their keys rebuilt.
 */
namespace Collation {
inline constexpr const char *Name = "PKNOCASE";
int compare(QByteArrayView a, QByteArrayView b);
int version();
/// Registers PKNOCASE on a connection; false on failure.
bool registerOn(sqlite3 *db);
} // namespace Collation

} // namespace pk
