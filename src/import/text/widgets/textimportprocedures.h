#pragma once

namespace pk {

/// Registers the text import ("CSV" and "ASCII" kinds of the import wizard).
void registerTextImportProcedures();

} // namespace pk
