#include "store/locationrows.h"

#include "store/collection.h"
#include "store/detailmanager.h"
#include "store/keywordmanager.h"

namespace pk {

namespace {

template<typename Row>
bool validRow(const std::vector<Row> &rows, int row)
{
    return row >= 0 && row < int(rows.size());
}

/// Drops `row`, remembering its sequence when it is a stored one.
template<typename Row>
void dropRow(std::vector<Row> &rows, std::vector<qint32> &removed, int row)
{
    if (rows[std::size_t(row)].Sequence != 0)
        removed.push_back(rows[std::size_t(row)].Sequence);
    rows.erase(rows.begin() + row);
}

template<typename Row>
const Row *loadedRow(const std::vector<Row> &loaded, qint32 sequence)
{
    for (const Row &row : loaded) {
        if (row.Sequence == sequence)
            return &row;
    }
    return nullptr;
}

template<typename Manager, typename Row>
StoreStatus storeRows(Manager &manager,
                      const std::vector<qint32> &removed,
                      std::vector<Row> rows,
                      const std::vector<Row> &loaded,
                      const QString &original,
                      const QString &location)
{
    // Removed rows go first; the kept ones then follow the (possibly new) address.
    for (qint32 sequence : removed) {
        const StoreStatus s = manager.remove(original, sequence);
        if (!s && s.error != StoreError::RecordNotFound)
            return s;
    }
    for (Row &row : rows) {
        const qint32 sequence = row.Sequence;
        if (sequence == 0) {
            row.Location = location;
            if (const StoreStatus s = manager.insert(row); !s)
                return s;
            continue;
        }
        const Row *before = loadedRow(loaded, sequence);
        if (before && Manager::prepared(*before) == Manager::prepared(row)) {
            // Not edited here: what another program wrote to it meanwhile stays, and only the
            // address moves.
            if (original == location)
                continue;
            Row stored;
            StoreStatus s = manager.get(original, sequence, stored);
            if (s.error == StoreError::RecordNotFound)
                continue;
            if (!s)
                return s;
            stored.Location = location;
            if (s = manager.change(original, sequence, stored); !s)
                return s;
            continue;
        }
        row.Location = location;
        if (const StoreStatus s = manager.change(original, sequence, row); !s)
            return s;
    }
    return {};
}

} // namespace

StoreStatus LocationRows::load(Collection &collection, const QString &location)
{
    *this = {};
    StoreStatus status = collection.keywords().list(location, m_keywords);
    if (status)
        status = collection.details().list(location, m_details);
    m_loadedKeywords = m_keywords;
    m_loadedDetails = m_details;
    return status;
}

void LocationRows::addKeyword(const QString &keyword)
{
    KeywordRecord row;
    row.Keyword = keyword;
    m_keywords.push_back(row);
}

void LocationRows::changeKeyword(int row, const QString &keyword)
{
    if (!validRow(m_keywords, row))
        return;
    m_keywords[std::size_t(row)].Keyword = keyword;
}

void LocationRows::removeKeyword(int row)
{
    if (!validRow(m_keywords, row))
        return;
    dropRow(m_keywords, m_removedKeywords, row);
}

void LocationRows::removeAllKeywords()
{
    while (!m_keywords.empty())
        dropRow(m_keywords, m_removedKeywords, int(m_keywords.size()) - 1);
}

void LocationRows::addDetail(const QString &label, const QString &value)
{
    DetailRecord row;
    row.DataLabel = label;
    row.DataValue = value;
    m_details.push_back(row);
}

void LocationRows::changeDetail(int row, const QString &label, const QString &value)
{
    if (!validRow(m_details, row))
        return;
    m_details[std::size_t(row)].DataLabel = label;
    m_details[std::size_t(row)].DataValue = value;
}

void LocationRows::removeDetail(int row)
{
    if (!validRow(m_details, row))
        return;
    dropRow(m_details, m_removedDetails, row);
}

StoreStatus LocationRows::store(Collection &collection,
                                const QString &original,
                                const QString &location) const
{
    const StoreStatus status = storeRows(collection.keywords(),
                                         m_removedKeywords,
                                         m_keywords,
                                         m_loadedKeywords,
                                         original,
                                         location);
    if (!status)
        return status;
    return storeRows(collection.details(),
                     m_removedDetails,
                     m_details,
                     m_loadedDetails,
                     original,
                     location);
}

} // namespace pk
