#pragma once

#include <cstddef>

namespace pk::HtmlEntities {

/// One named character reference of HTML5 ("amp" for "&amp;"), standing for one or two code
/// points. A legacy name is also recognised without its semicolon ("&amp", "&eacute").
struct Entity
{
    const char *name; ///< without "&" and ";"
    char32_t first;
    char32_t second; ///< 0 when the reference stands for one code point
    bool legacy;
};

inline constexpr int LongestName = 31;
inline constexpr int LongestLegacyName = 6;

/// Every named reference, sorted by name (byte order); generated, see htmlentities.cpp.
extern const Entity kEntities[];
extern const std::size_t kEntityCount;

} // namespace pk::HtmlEntities
