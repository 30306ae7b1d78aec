#pragma once

#include "store/records.h"
#include "store/storestatus.h"

#include <QString>
#include <QStringList>

#include <vector>

namespace pk {

class Collection;

/**
 * @brief What is done with a group of near-duplicates, through the record managers and in one
 * transaction: either every change of the group is stored or none.
 *
 * keepAndMerge() gives the kept location every keyword (its own rows, the others' rows and
 * their Keyword fields) and every detail row of the others that it lacks, appends their
 * comments (notes) to its own, fills its blank description and site information from them, and
 * then deletes the others with their keyword and detail rows. Should the comments not fit in
 * the field, nothing changes. removeOthers() deletes the others with their rows.
 */
class DuplicateMerge final
{
public:
    static StoreStatus keepAndMerge(Collection &collection,
                                    const QString &keep,
                                    const QStringList &others);
    static StoreStatus removeOthers(Collection &collection, const QStringList &others);

    /// Which of a group to offer for keeping: a secure (`https`) address before others, then
    /// the one with the most fields filled in, then the first. -1 for an empty group.
    static int preferredToKeep(const std::vector<LocationRecord> &group);

    /// The status of merged comments that would not fit.
    static StoreStatus notesTooLong();
};

} // namespace pk
