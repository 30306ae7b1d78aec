#pragma once

#include "store/storestatus.h"

#include <QString>
#include <QStringList>

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

    /// The status of merged comments that would not fit.
    static StoreStatus notesTooLong();
};

} // namespace pk
