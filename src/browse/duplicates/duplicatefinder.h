#pragma once

#include "store/storestatus.h"

#include <QString>

#include <functional>
#include <vector>

namespace pk {

class Collection;

/// Locations whose addresses share one AddressKey.
struct DuplicateGroup
{
    QString key;
    std::vector<qint64> rowIds; ///< in address order
};

/**
 * @brief Finds groups of near-duplicate locations.
 *
 * Reads the Locations in address order through a cursor, keeping only a 64-bit hash of each
 * address key and the row id, so a million locations need some 16 MB. Rows whose hashes meet
 * are read again and compared by their full keys, so a hash collision never makes a group.
 */
class DuplicateFinder final
{
public:
    explicit DuplicateFinder(Collection &collection);

    /// Progress: locations read so far; returning false stops the search (no groups then).
    using Progress = std::function<bool(qint64 read)>;

    StoreStatus find(std::vector<DuplicateGroup> &groups, const Progress &progress = {});

private:
    Collection &m_collection;
};

} // namespace pk
