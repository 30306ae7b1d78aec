#pragma once

namespace pk {

/// Registers "Find Duplicates" ("Tools:FindDuplicates") with the procedure registry.
void registerDuplicatesProcedures();

} // namespace pk
