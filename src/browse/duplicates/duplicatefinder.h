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
 * Reads the addresses of the Locations in one pass inside one read transaction, keeping only a
 * 64-bit hash of each address key and the row id, so a million locations need some 16 MB. Rows
 * whose hashes meet are read again and compared by their full keys, so a hash collision never
 * makes a group. Groups come out in key order, their rows in address order.
 */
class DuplicateFinder final
{
public:
    explicit DuplicateFinder(Collection &collection);

    /// Progress: locations read so far; returning false stops the search (no groups then).
    using Progress = std::function<bool(qint64 read)>;

    StoreStatus find(std::vector<DuplicateGroup> &groups, const Progress &progress = {});

private:
    StoreStatus search(std::vector<DuplicateGroup> &groups, const Progress &progress, bool &stopped);

    Collection &m_collection;
};

} // namespace pk
