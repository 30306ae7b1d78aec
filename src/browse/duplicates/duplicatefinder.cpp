#include "browse/duplicates/duplicatefinder.h"

#include "browse/duplicates/addresskey.h"
#include "store/collection.h"
#include "store/fields.h"
#include "store/locationmanager.h"
#include "store/tableaccess.h"

#include <SQLiteCpp/Column.h>
#include <SQLiteCpp/Statement.h>

#include <QHash>

#include <algorithm>
#include <cstdint>
#include <map>

using namespace Qt::StringLiterals;

namespace pk {

namespace {

struct Entry
{
    quint64 hash;
    qint64 rowId;
};

constexpr size_t kSeed = 0x5eed;

} // namespace

DuplicateFinder::DuplicateFinder(Collection &collection)
    : m_collection(collection)
{}

StoreStatus DuplicateFinder::find(std::vector<DuplicateGroup> &groups, const Progress &progress)
{
    groups.clear();
    if (StoreStatus s = TableAccess::ready(m_collection, locationsTable(), false); !s)
        return s;
    bool stopped = false;
    StoreStatus status;
    try {
        // A statement left open keeps one read snapshot (and one lock) for the whole search,
        // instead of one per statement; the collection's large batch cache is not wanted here.
        SQLite::Statement snapshot(m_collection.db(),
                                   QString(u"SELECT rowid FROM "_s
                                           + TableAccess::qualified(locationsTable())
                                           + u" LIMIT 1"_s)
                                       .toStdString());
        if (!snapshot.executeStep())
            return StoreStatus::success(); // no locations
        status = search(groups, progress, stopped);
    } catch (const std::exception &e) {
        groups.clear();
        return TableAccess::readError(e, locationsTable());
    }
    if (stopped)
        groups.clear();
    return status;
}

StoreStatus DuplicateFinder::search(std::vector<DuplicateGroup> &groups,
                                    const Progress &progress,
                                    bool &stopped)
{
    std::vector<Entry> entries;
    if (const qint64 count = m_collection.locations().count(); count > 0)
        entries.reserve(std::size_t(count));
    const QString table = TableAccess::qualified(locationsTable());
    // Only the address is read: the whole row would cost three times as much.
    SQLite::Statement scan(m_collection.db(),
                           QString(u"SELECT rowid, Location FROM "_s + table).toStdString());
    while (scan.executeStep()) {
        const SQLite::Column c = scan.getColumn(1);
        const QString address = QString::fromUtf8(static_cast<const char *>(c.getBlob()),
                                                  c.getBytes());
        entries.push_back(
            {quint64(qHash(AddressKey::of(address), kSeed)), scan.getColumn(0).getInt64()});
        if (progress && entries.size() % 10000 == 0 && !progress(qint64(entries.size()))) {
            stopped = true;
            return StoreStatus::success();
        }
    }

    std::sort(entries.begin(), entries.end(), [](const Entry &a, const Entry &b) {
        return a.hash != b.hash ? a.hash < b.hash : a.rowId < b.rowId;
    });
    SQLite::Statement byRow(m_collection.db(),
                            QString(u"SELECT Location FROM "_s + table + u" WHERE rowid = ?"_s)
                                .toStdString());
    std::size_t i = 0;
    while (i < entries.size()) {
        std::size_t j = i + 1;
        while (j < entries.size() && entries[j].hash == entries[i].hash)
            ++j;
        if (j - i > 1) {
            // Same hash: split by the full keys (a collision gives groups of one, dropped).
            std::map<QString, std::vector<std::pair<QString, qint64>>> byKey;
            for (std::size_t k = i; k < j; ++k) {
                byRow.reset();
                byRow.bind(1, static_cast<std::int64_t>(entries[k].rowId));
                if (!byRow.executeStep())
                    continue;
                const SQLite::Column c = byRow.getColumn(0);
                const QString address = QString::fromUtf8(static_cast<const char *>(c.getBlob()),
                                                          c.getBytes());
                byKey[AddressKey::of(address)].push_back({address, entries[k].rowId});
            }
            for (auto &[key, rows] : byKey) {
                if (rows.size() < 2)
                    continue;
                std::sort(rows.begin(), rows.end());
                DuplicateGroup group;
                group.key = key;
                for (const auto &r : rows)
                    group.rowIds.push_back(r.second);
                groups.push_back(std::move(group));
            }
        }
        i = j;
    }
    std::sort(groups.begin(), groups.end(), [](const DuplicateGroup &a, const DuplicateGroup &b) {
        return a.key < b.key;
    });
    return StoreStatus::success();
}

} // namespace pk
