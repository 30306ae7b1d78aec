#pragma once

#include "store/records.h"
#include "store/storestatus.h"

#include <vector>

namespace pk {

class Collection;

/// @brief Keyword rows of locations (URLKeywords), numbered per location on insert.
class KeywordManager final
{
public:
    explicit KeywordManager(Collection &collection);

    StoreStatus get(const QString &location, qint32 sequence, KeywordRecord &out);
    /// Stores `record` with Sequence = highest for its location + 1 (or 1); `record.Sequence`
    /// receives the number assigned.
    StoreStatus insert(KeywordRecord &record);
    StoreStatus change(const QString &location, qint32 sequence, const KeywordRecord &record);
    StoreStatus remove(const QString &location, qint32 sequence);
    /// Removes every row of a location; `removed` receives the number of rows.
    StoreStatus removeAll(const QString &location, int *removed = nullptr);
    /// Rows of a location in Sequence order.
    StoreStatus list(const QString &location, std::vector<KeywordRecord> &out);
    static KeywordRecord prepared(const KeywordRecord &record);

private:
    Collection &m_collection;
};

} // namespace pk
