#pragma once

#include "export/advancedexportfields.h"
#include "import/csv/delimitedwriter.h"
#include "store/records.h"

#include <QHash>
#include <QString>

#include <memory>
#include <optional>

namespace pk {

class Collection;
class ExportReader;
struct KeyDef;
class UserInterface;

/// The export settings the field-selected export reads.
struct AdvancedExportSettings
{
    QString file;                               ///< Export:File
    QString order = QStringLiteral("Location"); ///< Export:Order
    QString assignment = QStringLiteral("All"); ///< Export:Category:Assignment
    QString category;                           ///< Export:Category
    /// With the assignment "Query": the condition the query wizard produced.
    QString queryCondition;
};

/**
 * @brief Writes one comma-delimited record per location with the chosen fields and pictures,
 * after an optional header record of field names.
 *
 * open() creates the file (its errors are the writer's messages), step() writes a batch of
 * records, close() ends the file: it appears under its name only when every location was
 * written; after a cancel or a failure the name keeps what it held before. The locations are read in the order of Export:Order, limited
 * to Export:Category or to a query (which may name the CAT fields too); each location's
 * category row supplies the CAT fields.
 */
class AdvancedExport final
{
public:
    enum class Step { More, Done, Failed };

    AdvancedExport(Collection &collection, UserInterface &ui);
    ~AdvancedExport();
    AdvancedExport(const AdvancedExport &) = delete;
    AdvancedExport &operator=(const AdvancedExport &) = delete;

    /// The key an Export:Order reads by; URL:K_Location for an unknown order.
    static const KeyDef &keyForOrder(const QString &order);

    /// Opens the output and writes the header record when asked. False when nothing is to be
    /// done (the file could not be made, or a bad query, reported to the user).
    bool open(const AdvancedExportSettings &settings,
              const QList<ExportFieldEntry> &fields,
              bool includeHeader);
    /// Writes up to `records` more locations.
    Step step(int records = 500);
    /// Puts the file in place when every location was written; drops it otherwise (a cancel, a
    /// failure). False when the file was not put in place.
    bool close();
    /// open(), every step and close() in one go; true when the whole file was written.
    bool run(const AdvancedExportSettings &settings,
             const QList<ExportFieldEntry> &fields,
             bool includeHeader);

    qint64 written() const { return m_written; }
    qint64 total() const { return m_total; }
    int percent() const;
    QString fileName() const { return m_writer.fileName(); }

    /// The header record's text for a field: its name, and the picture after it where the
    /// import needs it to read the values back (dates, and any picture that formats).
    static QString headerName(const ExportFieldEntry &field);

    /// The value of `field` for a location and its category row, as the writer gets it.
    static QVariant value(const QString &field,
                          const LocationRecord &location,
                          const CategoryRecord &category);

private:
    const CategoryRecord &categoryOf(const QString &name);

    Collection &m_collection;
    UserInterface &m_ui;
    DelimitedWriter m_writer;
    std::unique_ptr<ExportReader> m_reader;
    QList<ExportFieldEntry> m_fields;
    QHash<QString, CategoryRecord> m_categories;
    qint64 m_written = 0;
    qint64 m_total = 0;
    bool m_complete = false;
};

} // namespace pk
