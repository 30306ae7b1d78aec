#pragma once

#include "store/records.h"
#include "store/storestatus.h"

#include <QString>

#include <vector>

namespace pk {

class Collection;

/**
 * @brief A location's keyword and detail rows as a form holds them until it is saved.
 *
 * New rows carry sequence 0 and are numbered by the record managers when stored; stored rows
 * the user removes are remembered by sequence. Nothing reaches the collection before store(),
 * which is meant to run inside the transaction that stores the location itself, so Cancel
 * leaves the collection as it was.
 */
class LocationRows final
{
public:
    /// Reads the stored rows of `location`, replacing what is held.
    StoreStatus load(Collection &collection, const QString &location);

    const std::vector<KeywordRecord> &keywords() const { return m_keywords; }
    const std::vector<DetailRecord> &details() const { return m_details; }

    void addKeyword(const QString &keyword);
    void changeKeyword(int row, const QString &keyword);
    void removeKeyword(int row);
    void removeAllKeywords();

    void addDetail(const QString &label, const QString &value);
    void changeDetail(int row, const QString &label, const QString &value);
    void removeDetail(int row);

    /**
     * Writes the held rows: removed ones go from `original`, edited and new ones are stored
     * under `location` (the address may have changed). Rows not edited since load() are not
     * written back, so what another program changed in them meanwhile stays; they only follow
     * a changed address. Leaves this object as it is; load() again after the surrounding
     * transaction has committed.
     */
    StoreStatus store(Collection &collection,
                      const QString &original,
                      const QString &location) const;

private:
    std::vector<KeywordRecord> m_keywords;
    std::vector<DetailRecord> m_details;
    /// The rows as load() read them: what was edited since is what store() writes.
    std::vector<KeywordRecord> m_loadedKeywords;
    std::vector<DetailRecord> m_loadedDetails;
    std::vector<qint32> m_removedKeywords;
    std::vector<qint32> m_removedDetails;
};

} // namespace pk
