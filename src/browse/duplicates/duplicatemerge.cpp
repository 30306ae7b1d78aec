#include "browse/duplicates/duplicatemerge.h"

#include "store/collection.h"
#include "store/detailmanager.h"
#include "store/fields.h"
#include "store/fieldtext.h"
#include "store/keywordmanager.h"
#include "store/locationmanager.h"

#include <QSet>

#include <vector>

using namespace Qt::StringLiterals;

namespace pk {

namespace {

constexpr int kCommentsWidth = 1024;

QString detailKey(const DetailRecord &d)
{
    return d.DataLabel.toCaseFolded() + u'\x1f' + d.DataValue;
}

StoreStatus removeLocation(Collection &collection, const QString &location)
{
    if (StoreStatus s = collection.keywords().removeAll(location); !s)
        return s;
    if (StoreStatus s = collection.details().removeAll(location); !s)
        return s;
    return collection.locations().remove(location);
}

StoreStatus merge(Collection &collection, const QString &keep, const QStringList &others)
{
    LocationRecord kept;
    if (StoreStatus s = collection.locations().get(keep, kept); !s)
        return s;
    std::vector<KeywordRecord> keywords;
    if (StoreStatus s = collection.keywords().list(keep, keywords); !s)
        return s;
    std::vector<DetailRecord> details;
    if (StoreStatus s = collection.details().list(keep, details); !s)
        return s;
    QSet<QString> haveKeywords;
    if (!kept.Keyword.isEmpty())
        haveKeywords.insert(kept.Keyword.toCaseFolded());
    for (const KeywordRecord &k : keywords)
        haveKeywords.insert(k.Keyword.toCaseFolded());
    QSet<QString> haveDetails;
    for (const DetailRecord &d : details)
        haveDetails.insert(detailKey(d));

    const LocationRecord before = kept;
    for (const QString &other : others) {
        LocationRecord record;
        if (StoreStatus s = collection.locations().get(other, record); !s)
            return s;
        std::vector<KeywordRecord> theirKeywords;
        if (StoreStatus s = collection.keywords().list(other, theirKeywords); !s)
            return s;
        QStringList words;
        if (!record.Keyword.isEmpty())
            words << record.Keyword;
        for (const KeywordRecord &k : theirKeywords)
            words << k.Keyword;
        for (const QString &word : words) {
            if (haveKeywords.contains(word.toCaseFolded()))
                continue;
            haveKeywords.insert(word.toCaseFolded());
            KeywordRecord row;
            row.Location = keep;
            row.Keyword = word;
            if (StoreStatus s = collection.keywords().insert(row); !s)
                return s;
        }
        std::vector<DetailRecord> theirDetails;
        if (StoreStatus s = collection.details().list(other, theirDetails); !s)
            return s;
        for (const DetailRecord &d : theirDetails) {
            if (haveDetails.contains(detailKey(d)))
                continue;
            haveDetails.insert(detailKey(d));
            DetailRecord row = d;
            row.Location = keep;
            row.Sequence = 0;
            if (StoreStatus s = collection.details().insert(row); !s)
                return s;
        }
        if (!record.Comments.isEmpty() && !kept.Comments.contains(record.Comments)) {
            kept.Comments = kept.Comments.isEmpty() ? record.Comments
                                                    : kept.Comments + u'\n' + record.Comments;
            if (characterCount(kept.Comments) > kCommentsWidth)
                return DuplicateMerge::notesTooLong();
        }
        if (kept.Description.isEmpty())
            kept.Description = record.Description;
        if (kept.SiteInfo.isEmpty())
            kept.SiteInfo = record.SiteInfo;
        if (kept.Keyword.isEmpty())
            kept.Keyword = record.Keyword;
        if (StoreStatus s = removeLocation(collection, other); !s)
            return s;
    }
    if (!(kept == before)) {
        if (StoreStatus s = collection.locations().change(keep, kept); !s)
            return s;
    }
    return StoreStatus::success();
}

} // namespace

StoreStatus DuplicateMerge::notesTooLong()
{
    StoreStatus s;
    s.error = StoreError::ValidationFailed;
    s.text = u"The comments of the merged locations do not fit in one location's comments."_s;
    return s;
}

StoreStatus DuplicateMerge::keepAndMerge(Collection &collection,
                                         const QString &keep,
                                         const QStringList &others)
{
    return collection.transaction([&] { return merge(collection, keep, others); });
}

StoreStatus DuplicateMerge::removeOthers(Collection &collection, const QStringList &others)
{
    return collection.transaction([&] {
        for (const QString &other : others) {
            if (StoreStatus s = removeLocation(collection, other); !s)
                return s;
        }
        return StoreStatus::success();
    });
}

namespace {

int filledFields(const LocationRecord &r)
{
    int n = 0;
    for (const QString *text : {&r.Description,
                                &r.Category,
                                &r.Keyword,
                                &r.SiteInfo,
                                &r.MovedTo,
                                &r.Comments,
                                &r.UserName,
                                &r.Password,
                                &r.EmailAddress,
                                &r.OriginalFilename,
                                &r.Custom1,
                                &r.Custom2,
                                &r.Custom3})
        n += text->trimmed().isEmpty() ? 0 : 1;
    for (const qint32 value : {r.LastVisit, r.LastValidated, r.Expires, r.PageSize})
        n += value != 0 ? 1 : 0;
    n += (r.Rating != 0 ? 1 : 0) + (r.Validated != 0 ? 1 : 0);
    return n;
}

} // namespace

int DuplicateMerge::preferredToKeep(const std::vector<LocationRecord> &group)
{
    int best = -1;
    bool bestSecure = false;
    int bestFilled = -1;
    for (std::size_t i = 0; i < group.size(); ++i) {
        const bool secure = group[i].Location.startsWith(QStringLiteral("https:"),
                                                         Qt::CaseInsensitive);
        const int filled = filledFields(group[i]);
        if (best < 0 || (secure && !bestSecure) || (secure == bestSecure && filled > bestFilled)) {
            best = int(i);
            bestSecure = secure;
            bestFilled = filled;
        }
    }
    return best;
}

} // namespace pk
