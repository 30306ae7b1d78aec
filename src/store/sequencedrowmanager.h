#pragma once

#include "store/records.h"
#include "store/storestatus.h"

#include <vector>

namespace pk {

class Collection;
struct TableDef;

/**
 * @brief Rows that belong to a location and are numbered per location on insert (details,
 * keywords). One implementation, instantiated for DetailRecord and KeywordRecord.
 */
template<class Record>
class SequencedRowManager
{
public:
    explicit SequencedRowManager(Collection &collection);

    StoreStatus get(const QString &location, qint32 sequence, Record &out);
    /// Stores `record` with Sequence = highest for its location + 1 (or 1); `record.Sequence`
    /// receives the number assigned.
    StoreStatus insert(Record &record);
    StoreStatus change(const QString &location, qint32 sequence, const Record &record);
    StoreStatus remove(const QString &location, qint32 sequence);
    /// Removes every row of a location; `removed` receives the number of rows.
    StoreStatus removeAll(const QString &location, int *removed = nullptr);
    /// Rows of a location in Sequence order.
    StoreStatus list(const QString &location, std::vector<Record> &out);
    static Record prepared(const Record &record);

protected:
    ~SequencedRowManager() = default;

private:
    static const TableDef &table();

    Collection &m_collection;
};

template<>
const TableDef &SequencedRowManager<DetailRecord>::table();
template<>
const TableDef &SequencedRowManager<KeywordRecord>::table();

extern template class SequencedRowManager<DetailRecord>;
extern template class SequencedRowManager<KeywordRecord>;

} // namespace pk
