#include "browse/list/sorttab.h"

#include "store/fields.h"

#include <array>

namespace pk {

namespace {

const std::array<SortTab, 5> kTabs{{
    {"Description", &Keys::urlDescription, "URL:Description", "Description of site"},
    {"Location", &Keys::urlLocation, "URL:Location", "Location of site"},
    {"Category", &Keys::urlCategory, "URL:Category", "Category of site"},
    {"Rating", &Keys::urlRating, "URL:Rating", "Rating of site"},
    {"Keyword", &Keys::urlKeyword, "URL:Keyword", "Keyword of site"},
}};

} // namespace

std::span<const SortTab> SortTab::tabs()
{
    return kTabs;
}

QVariantList SortTab::locatorValues(const QString &typed) const
{
    if (qstrcmp(locatorField, "URL:Rating") == 0) {
        bool ok = false;
        const int rating = typed.trimmed().toInt(&ok);
        return {ok ? rating : 0};
    }
    return {typed};
}

} // namespace pk
