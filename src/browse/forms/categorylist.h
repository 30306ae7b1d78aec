#pragma once

#include "store/records.h"
#include "store/storestatus.h"

#include <QString>

#include <vector>

namespace pk {

class Collection;
class ErrorManager;
class UserInterface;

/**
 * @brief The rows of a category list in CAT:K_Category order, with the entry locator and
 * "Find..." search the category windows share.
 *
 * `Assignable` leaves out "_Before All" and "_After All": it serves the lists a location's
 * category is chosen from. `All` shows every category.
 */
class CategoryList final
{
public:
    enum class Mode { All, Assignable };

    struct Row
    {
        qint64 rowId = 0;
        CategoryRecord record;
    };

    CategoryList(Collection &collection, UserInterface &ui, ErrorManager &errors, Mode mode);

    Mode mode() const { return m_mode; }
    StoreStatus refresh();
    const std::vector<Row> &rows() const { return m_rows; }
    int count() const { return int(m_rows.size()); }
    const Row *rowAt(int row) const;
    /// Row of `category` (letter case ignored), -1 when not listed.
    int indexOf(const QString &category) const;
    QStringList names() const;

    /// First row at or after `typed` in key order; the last row when none follows; -1 when empty.
    int locate(const QString &typed);

    /// The fields "Find..." offers: "Category" and "Description".
    static QString findFields();
    /// Searches for `condition` from the first row or after `current`; the matching row or -1
    /// after "No search criteria specified." / "No more matches.".
    int find(const QString &condition, bool fromStart, int current);
    int findAgain(int current);
    QString lastCondition() const { return m_lastCondition; }

private:
    int indexOfRowId(qint64 rowId) const;

    Collection &m_collection;
    UserInterface &m_ui;
    ErrorManager &m_errors;
    Mode m_mode;
    std::vector<Row> m_rows;
    QString m_lastCondition;
};

} // namespace pk
