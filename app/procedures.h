#pragma once

namespace pk {

/// Registers every built subsystem's procedures (generated from app/CMakeLists.txt).
void registerProcedures();

/// Gives the shared components their texts (the query wizard's), as start-up does.
void prepareComponents();

} // namespace pk
