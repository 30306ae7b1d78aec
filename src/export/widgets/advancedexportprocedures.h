#pragma once

#include "export/advancedexport.h"
#include "export/exportsettings.h"
#include "shell/procedurenames.h"

#include <optional>

namespace pk {

/// "Export:Advanced": the field-selected export.
struct AdvancedExportRequest
{
    static constexpr const char *procedure = Procedure::ExportAdvanced;
    /// The export wizard's file, order, category assignment and category, which PATHKEEP.INI
    /// only gets when the wizard closes; without them the window starts from the export
    /// settings the wizard keeps.
    std::optional<AdvancedExportSettings> settings{};

    /// The request for the export wizard's settings `s`.
    static AdvancedExportRequest of(const ExportSettings &s)
    {
        AdvancedExportSettings settings;
        settings.file = s.file;
        settings.order = s.order;
        settings.assignment = s.categoryAssignment;
        settings.category = s.category;
        return {settings};
    }
};

/// Registers "Export:Advanced" with the procedure registry.
void registerAdvancedExportProcedures();

} // namespace pk
