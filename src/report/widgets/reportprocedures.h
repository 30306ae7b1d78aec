#pragma once

namespace pk {

/// Registers the printed reports and the report wizard with the procedure registry.
void registerReportProcedures();

} // namespace pk
