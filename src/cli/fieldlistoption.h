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
 * - import: "URL:Location=1,URL:Description=3,URL:LastVisit=4@d17": a location field, the
 *   column (from 1) of the file it is read from and, after '@', the picture the column is
 *   read with (a date column's date picture).
 *
 * Field names ignore letter case; an unknown name or a malformed entry is refused with a
 * message naming it.
 */
class FieldListOption final
{
public:
    /// One entry of an import map.
    struct ImportColumn
    {
        int target = -1; ///< row in AdvancedImport::targetNames()
        int column = -1; ///< from 0
        QString picture; ///< blank: the column keeps the picture it has
    };

    static std::optional<QList<ExportFieldEntry>> exportFields(const QString &text, QString &error);
    static std::optional<QList<ImportColumn>> importMap(const QString &text, QString &error);
};

} // namespace pk
