#pragma once

namespace pk {

/// Registers "ImportPATHKEEP", the previous-version import window, with the procedure registry.
void registerPreviousImportProcedures();

} // namespace pk
