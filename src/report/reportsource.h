#pragma once

#include "report/reportdefinition.h"
#include "store/storestatus.h"

#include <QStringList>

#include <memory>

namespace pk {

class Collection;
class ExportReader;
class View;
class ViewCursor;

/**
 * @brief The rows of a report, one at a time in the report's order, each as the texts of its
 * columns shown through the fields' pictures.
 *
 * Reads through a cursor, so memory stays flat whatever the collection's size.
 */
class ReportSource final
{
public:
    ReportSource(Collection &collection, const ReportDefinition &definition);
    ~ReportSource();
    ReportSource(const ReportSource &) = delete;
    ReportSource &operator=(const ReportSource &) = delete;

    /// Restricts the locations to a filter expression; false with `message` set when it does
    /// not compile. Categories take no query.
    bool setQuery(const QString &expression, QString &message);

    /// Rows the report will read, for progress.
    qint64 total();
    /// The next row's column texts; false at the end or on failure (see status()).
    bool next(QStringList &cells);
    const StoreStatus &status() const;

private:
    Collection &m_collection;
    const ReportDefinition &m_definition;
    std::unique_ptr<ExportReader> m_locations;
    std::unique_ptr<View> m_view;
    std::unique_ptr<ViewCursor> m_cursor;
    std::vector<int> m_fieldIndex; ///< table field of each column, -1 when unknown
    StoreStatus m_status;
};

} // namespace pk
