#pragma once

namespace pk {

/// Registers the clipboard monitor with the procedure registry.
void registerClipboardProcedures();

} // namespace pk
