#pragma once

namespace pk {

/// Registers "Export:Advanced" with the procedure registry.
void registerAdvancedExportProcedures();

} // namespace pk
