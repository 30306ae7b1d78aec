#pragma once

#include "export/advancedexportfields.h"

#include <QList>
#include <QPair>
#include <QString>

#include <optional>

namespace pk {

/**
 * @brief The field lists the field-mapped import and export take on the command line, where
 * the windows have their two lists.
 *
 * - export: "URL:Location,URL:Rating@n3,CAT:Description": fields in output order, each with
 *   its default picture or the one after '@'.
 * - import: "URL:Location=1,URL:Description=3": a location field and the column (from 1) of
 *   the file it is read from.
 *
 * Field names ignore letter case; an unknown name or a malformed entry is refused with a
 * message naming it.
 */
class FieldListOption final
{
public:
    static std::optional<QList<ExportFieldEntry>> exportFields(const QString &text, QString &error);
    /// Pairs of (target row in AdvancedImport::targetNames(), column index from 0).
    static std::optional<QList<QPair<int, int>>> importMap(const QString &text, QString &error);
};

} // namespace pk
