#pragma once

namespace pk::DetailLabel {

// Detail rows the program itself writes and reads back.

/// When a location was bookmarked in the browser it came from (ISO 8601, UTC).
inline constexpr const char *DateAdded = "Date Added";

} // namespace pk::DetailLabel
