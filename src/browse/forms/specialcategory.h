#pragma once

#include <QString>

namespace pk {

/**
 * @brief "_Before All" and "_After All": categories whose snippets the HTML export writes
 * before and after everything else. They hold no locations, so the lists a location's
 * category is chosen from leave them out, whatever their letter case.
 */
namespace SpecialCategory {
inline constexpr const char *BeforeAll = "_Before All";
inline constexpr const char *AfterAll = "_After All";

/// True for either name, compared without regard to letter case or trailing spaces.
bool isSpecial(const QString &category);
} // namespace SpecialCategory

} // namespace pk
