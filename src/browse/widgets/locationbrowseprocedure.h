#pragma once

namespace pk {

/// Registers "BrowsePATHKEEP", the location list, with the procedure registry.
void registerLocationBrowse();

} // namespace pk
