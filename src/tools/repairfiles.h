#pragma once

#include "store/collection.h"

#include <QString>

#include <functional>
#include <set>
#include <vector>

namespace pk {

class UserInterface;
struct TableDef;

/// The maintenance operations of the repair window.
enum class RepairOperation { Info, Create, Build, Pack, Release, Freshen, Repair };

/// One table in the repair window's list.
struct RepairRow
{
    QString file;     ///< the table's description
    QString records;  ///< record count, or a mark after an error
    QString diskName; ///< the file's full name, or the error
    bool tagged = false;
    const TableDef *table = nullptr;
};

/**
 * @brief "Repair Files": reports the state of the collection's tables and runs maintenance on
 * the tagged ones.
 *
 * Info opens each file read-only and counts; Create makes missing files; Build rebuilds the
 * keys; Pack compacts the file; Release has nothing to do (records are never left held);
 * Freshen copies the records into a new file of the current structure and puts it in place
 * only when every record was copied; Repair reads every record that can still be read from a
 * damaged file into a new one and puts that in place, keeping the damaged file beside it.
 * Operations that change a file need it to themselves: while a list, form or process of the
 * program has one of its tables open they report that and skip the row.
 */
class RepairFiles final
{
public:
    static constexpr const char *Title = "Repair Files";
    static constexpr const char *WarningTitle = "Warning";
    static constexpr const char *Warning
        = "You should ensure that all windows within this application are closed before "
          "repairing the databases.";
    static constexpr const char *MultiTableQuestion
        = "This is a multi-table database file. You can try using Fix, but the results are not "
          "guaranteed and could damage your file further.  Do you want to continue ? ";
    static constexpr const char *AccessTitle = "File Access Error";
    static constexpr const char *AccessMessage
        = "This option requires exclusive file access.|Please ensure no other users are in the "
          "system. |An error occured trying to open the file : Error ";
    /// The mark in "Records" after an error.
    static constexpr const char *ErrorMark = "!";
    /// What a repaired file's former self is kept as, beside it.
    static constexpr const char *DamagedSuffix = ".damaged";

    /// Percentage over the tagged rows, current file, action and files left; false cancels.
    using Progress
        = std::function<bool(const QString &file, const QString &action, int percent, int filesLeft)>;

    RepairFiles(Collection &collection, UserInterface &ui);

    /// Fills the list: the six tables, sorted by description.
    void fill();
    /// Opening the window: the warning, then Info on every table, all untagged afterwards.
    void start();

    const std::vector<RepairRow> &rows() const { return m_rows; }
    void toggle(int row);
    void tagAll();
    void untagAll();

    /// Runs `operation` on each tagged row in list order.
    void run(RepairOperation operation, const Progress &progress = {});
    /// What the last run did over the tagged tables, for the message that ends it.
    QString outcomeText(RepairOperation operation) const;
    /// The progress window's action text.
    static QString actionText(RepairOperation operation);

private:
    void info(RepairRow &row);
    void create(RepairRow &row);
    void build(RepairRow &row);
    void pack(RepairRow &row);
    void release(RepairRow &row);
    void freshen(RepairRow &row);
    void repair(RepairRow &row);
    /// False (after the message) when a list, form or process uses a table of `file`, or of
    /// the row's table only when `wholeFile` is false.
    bool exclusive(const RepairRow &row, bool wholeFile);
    void showError(RepairRow &row, const StoreStatus &status);
    CollectionFile fileOf(const RepairRow &row) const;

    Collection &m_collection;
    UserInterface &m_ui;
    std::vector<RepairRow> m_rows;
    std::set<CollectionFile> m_doneFiles; ///< files replaced during the current run
    int m_lastDone = 0;                   ///< tables the last run went through
    int m_lastFailed = 0;                 ///< of those, the ones that failed or were refused
    bool m_lastCancelled = false;
};

} // namespace pk
