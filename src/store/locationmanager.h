#pragma once

#include "store/records.h"
#include "store/storestatus.h"

#include <QSet>

namespace pk {

class Collection;

/**
 * @brief Insert, change, remove and read Locations, applying the table's validity rules.
 *
 * Text is trimmed of trailing spaces and cut to the field widths on the way in, except the
 * addresses (Location, MovedTo): one longer than its field is refused (ValidationFailed, no
 * catalogue message, the text says why), never cut. Insert and change refuse a category
 * missing from Categories (catalogue 16), a Validated value outside 0..2 (catalogue 17) and an
 * address already stored (catalogue 15, "Site Location").
 */
class LocationManager final
{
public:
    explicit LocationManager(Collection &collection);

    /// Reads by exact address (URL:K_Location). RecordNotFound leaves `out` unchanged.
    StoreStatus get(const QString &location, LocationRecord &out);
    /// Reads by row id (as handed out by views). RecordNotFound leaves `out` unchanged.
    StoreStatus getByRowId(qint64 rowId, LocationRecord &out);
    bool exists(const QString &location);

    StoreStatus insert(const LocationRecord &record);
    /// Changes the location stored under `originalLocation` (which may differ from the new one).
    StoreStatus change(const QString &originalLocation, const LocationRecord &record);
    /**
     * change() that first checks, in the same transaction, that the stored record is still
     * `expected` (what the caller read before the user edited it). When another program or
     * window changed it meanwhile nothing is written: ChangedElsewhere (catalogue 8), or
     * RecordNotFound (catalogue 9) when it was deleted.
     */
    StoreStatus changeIfUnchanged(const QString &originalLocation,
                                  const LocationRecord &expected,
                                  const LocationRecord &record);
    /**
     * change() for work that ran for a while on a record it read before (a batch over the web):
     * writes only the fields in which `after` differs from `before`, over what is stored now, in
     * one transaction, so whatever another program changed meanwhile in the other fields stays.
     * RecordNotFound when the location is gone.
     */
    StoreStatus changeFields(const QString &originalLocation,
                             const LocationRecord &before,
                             const LocationRecord &after);
    StoreStatus remove(const QString &location);

    /// The validity rules alone (category exists, Validated in range) for a prepared record.
    StoreStatus validate(const LocationRecord &record);
    /// `record` trimmed and cut to the field widths, as it would be stored.
    static LocationRecord prepared(const LocationRecord &record);

    /// Number of locations, StoreStatus in `status` when given.
    qint64 count(StoreStatus *status = nullptr);

private:
    bool categoryExists(const QString &category);

    Collection &m_collection;
    // Categories found while Collection::categoriesGeneration() stays `m_knownWhen`.
    QSet<QString> m_knownCategories;
    quint64 m_knownWhen = 0;
};

} // namespace pk
