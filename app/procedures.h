#pragma once

namespace pk {

/// Registers every built subsystem's procedures (generated from app/CMakeLists.txt).
void registerProcedures();

} // namespace pk
