#pragma once

#include <QString>

#include <optional>

namespace pk {

/// How every imported location gets its category (`Import:Category:Assignment`).
enum class CategoryMode {
    Guess,    ///< the category the import derives from the source
    Selected, ///< the settings' Category for every location
    Ask,      ///< the "Category Assignment" question for each location
    None      ///< left as each import says (usually blank)
};

namespace CategoryModes {
/// The stored value: "Guess", "Selected", "Ask", "None".
QString value(CategoryMode mode);
/// The stored value read back, ignoring letter case and trailing blanks; nothing when unknown.
std::optional<CategoryMode> fromValue(const QString &value);
/// The wizard's label after "Determine the category for each URL by:".
QString label(CategoryMode mode);
} // namespace CategoryModes

} // namespace pk
