#pragma once

namespace pk {

/// Registers `Wizard:Export` with the procedure registry.
void registerExportProcedures();

} // namespace pk
