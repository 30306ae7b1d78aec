#pragma once

namespace pk::DetailLabel {

// Detail rows the program itself writes and reads back.

/// When a location was bookmarked in the browser it came from (ISO 8601, UTC).
inline constexpr const char *DateAdded = "Date Added";
/// When the browser last changed the bookmark (ISO 8601, UTC).
inline constexpr const char *LastModified = "Last Modified";
/// The keyword that opens the location from the browser's address bar.
inline constexpr const char *BrowserKeyword = "Browser Keyword";

} // namespace pk::DetailLabel
