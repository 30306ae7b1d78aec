#include "browse/duplicates/duplicatefinder.h"

#include "browse/duplicates/addresskey.h"
#include "store/collection.h"
#include "store/fields.h"
#include "store/locationmanager.h"
#include "store/view.h"
#include "store/viewcursor.h"

#include <QHash>

#include <algorithm>
#include <map>

using namespace Qt::StringLiterals;

namespace pk {

namespace {

struct Entry
{
    quint64 hash;
    qint64 rowId;
};

constexpr int kPage = 2000;

} // namespace

DuplicateFinder::DuplicateFinder(Collection &collection)
    : m_collection(collection)
{}

StoreStatus DuplicateFinder::find(std::vector<DuplicateGroup> &groups, const Progress &progress)
{
    groups.clear();
    std::vector<Entry> entries;
    if (const qint64 count = m_collection.locations().count(); count > 0)
        entries.reserve(std::size_t(count));
    View view(m_collection, Keys::urlLocation());
    ViewCursor cursor(view, kPage);
    ViewRow row;
    while (cursor.next(row)) {
        const QString key = AddressKey::of(row.values.value(0).toString());
        entries.push_back({quint64(qHash(key, 0x5eed)), row.rowId()});
        if (progress && entries.size() % 10000 == 0 && !progress(qint64(entries.size())))
            return StoreStatus::success();
    }
    if (!cursor.status())
        return cursor.status();

    std::sort(entries.begin(), entries.end(), [](const Entry &a, const Entry &b) {
        return a.hash != b.hash ? a.hash < b.hash : a.rowId < b.rowId;
    });
    std::size_t i = 0;
    while (i < entries.size()) {
        std::size_t j = i + 1;
        while (j < entries.size() && entries[j].hash == entries[i].hash)
            ++j;
        if (j - i > 1) {
            // Same hash: split by the full keys (a collision gives groups of one, dropped).
            std::map<QString, std::vector<std::pair<QString, qint64>>> byKey;
            for (std::size_t k = i; k < j; ++k) {
                LocationRecord record;
                if (StoreStatus s = m_collection.locations().getByRowId(entries[k].rowId, record);
                    !s) {
                    if (s.error == StoreError::RecordNotFound)
                        continue; // removed meanwhile
                    return s;
                }
                byKey[AddressKey::of(record.Location)].push_back(
                    {record.Location, entries[k].rowId});
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
