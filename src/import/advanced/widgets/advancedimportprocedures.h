#pragma once

namespace pk {

/// Registers "Import:Advanced" with the procedure registry.
void registerAdvancedImportProcedures();

} // namespace pk
