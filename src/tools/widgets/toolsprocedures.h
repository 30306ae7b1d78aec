#pragma once

namespace pk {

/// Registers "Global Search and Replace" and "Repair Files" with the procedure registry.
void registerToolsProcedures();

} // namespace pk
