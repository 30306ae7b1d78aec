#pragma once

#include "store/records.h"
#include "store/storestatus.h"

#include <vector>

namespace pk {

class Collection;

/// @brief Label/value rows of locations (URLDetails), numbered per location on insert.
class DetailManager final
{
public:
    explicit DetailManager(Collection &collection);

    StoreStatus get(const QString &location, qint32 sequence, DetailRecord &out);
    /// Stores `record` with Sequence = highest for its location + 1 (or 1); `record.Sequence`
    /// receives the number assigned.
    StoreStatus insert(DetailRecord &record);
    StoreStatus change(const QString &location, qint32 sequence, const DetailRecord &record);
    StoreStatus remove(const QString &location, qint32 sequence);
    /// Removes every row of a location; `removed` receives the number of rows.
    StoreStatus removeAll(const QString &location, int *removed = nullptr);
    /// Rows of a location in Sequence order.
    StoreStatus list(const QString &location, std::vector<DetailRecord> &out);
    static DetailRecord prepared(const DetailRecord &record);

private:
    Collection &m_collection;
};

} // namespace pk
