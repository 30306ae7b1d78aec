#pragma once

#include <QString>
#include <QVariantList>

#include <span>

namespace pk {

struct KeyDef;

/// One sort tab of the location list: its title, key, locator field and locator tip.
struct SortTab
{
    const char *title;
    const KeyDef &(*key)();
    const char *locatorField;
    const char *locatorTip;

    /// The five tabs, "Description" first.
    static std::span<const SortTab> tabs();
    /// The locator's typed text as the key's leading value (a number for "Rating").
    QVariantList locatorValues(const QString &typed) const;
};

} // namespace pk
