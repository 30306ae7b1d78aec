#pragma once

#include "store/collection.h"
#include "store/storestatus.h"

#include <QString>

namespace pk {

/// What a copy of a collection file read.
struct SalvageResult
{
    qint64 rows = 0;      ///< rows written to the new file
    qint64 skipped = 0;   ///< rows whose key was already taken in the new file
    int damagedParts = 0; ///< unreadable stretches read around
    QString target;       ///< the new file
    StoreStatus status;
};

/**
 * @brief Copies the rows of one collection file, table by table, into a new file of the current
 * structure.
 *
 * The new file is made by the store itself, so it carries the current tables, keys and
 * identity. Rows are read in row-id order; when `tolerant`, a stretch that cannot be read
 * (damaged or missing pages) is stepped over by seeking further on, so every row on an intact
 * page is kept. Without it the first read error fails the copy.
 */
class FileSalvage final
{
public:
    static SalvageResult copy(const QString &source,
                              CollectionFile file,
                              const QString &targetFolder,
                              bool tolerant);
};

} // namespace pk
