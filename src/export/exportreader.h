#pragma once

#include "export/exportenvironment.h"
#include "store/records.h"
#include "store/storestatus.h"
#include "store/view.h"

#include <QString>

#include <memory>

namespace SQLite {
class Statement;
}

namespace pk {

class Collection;
struct ExportSettings;
struct KeyDef;
struct QueryError;

/**
 * @brief The locations an export writes: one key's order, optionally one category or a query.
 *
 * Steps one statement through the view's key order, a row at a time, so memory stays flat
 * whatever the collection's size. Nothing may write Locations while a reader is open. The
 * query may name the category fields (CAT:Category, CAT:Flag, CAT:Description) of a location's
 * category besides the location's own fields.
 */
class ExportReader final
{
public:
    static constexpr int PageSize = 512;

    /// The key of an export order ("Location", "CatDesc", ...); nullptr for an unknown order.
    static const KeyDef *keyOf(const QString &order);

    ExportReader(Collection &collection, const KeyDef &key);
    ~ExportReader();
    ExportReader(const ExportReader &) = delete;
    ExportReader &operator=(const ExportReader &) = delete;

    /**
     * The reader of an export: its order, "Selected" category or "Query" (the wizard runs
     * first). Nothing, with `result` set, when the order is unknown (the user is told), the
     * query wizard was cancelled or its query does not compile.
     */
    static std::unique_ptr<ExportReader> open(const ExportSettings &settings,
                                              const ExportEnvironment &environment,
                                              ExportResult &result);

    /// Reads only the address, description, category, rating and site information (the
    /// built-in layouts need no more); the other fields stay empty.
    void setListFieldsOnly(bool only) { m_listFieldsOnly = only; }
    /// Skips every location whose category differs (letter case aside) from `category`.
    void selectCategory(const QString &category);
    /// Reads only the locations of `category` (letter case aside), through the category key.
    void setCategoryRange(const QString &category);
    /// Applies a query; false with `message` set when it does not compile.
    bool setQuery(const QString &expression, QString &message);

    /// Locations in the view (before the category selection), for progress.
    qint64 total();
    /// The next location; false at the end or on failure (see status()).
    bool next(LocationRecord &record);
    const StoreStatus &status() const { return m_status; }

private:
    bool start();

    Collection &m_collection;
    std::unique_ptr<View> m_view;
    std::unique_ptr<SQLite::Statement> m_statement;
    bool m_atEnd = false;
    bool m_listFieldsOnly = false;
    bool m_selected = false;
    QString m_category;
    bool m_ranged = false;
    QString m_rangeCategory;
    StoreStatus m_status;
};

} // namespace pk
