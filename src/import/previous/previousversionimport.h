#pragma once

#include "import/importcounts.h"
#include "store/records.h"
#include "store/storestatus.h"

#include <QString>

#include <memory>

namespace SQLite {
class Database;
class Statement;
} // namespace SQLite

namespace pk {

class Collection;
class ErrorManager;
class UserInterface;

/**
 * @brief Copies the locations of a previous program version's `URL_L.TPS` (the ILOC layout)
 * into the collection: address, description, category, rating and keyword.
 *
 * Each location goes through the Locations record manager. A refusal (an address already
 * stored, a category the collection does not have) is reported with the record manager's
 * catalogue message the first time each kind occurs; further refusals are counted and summed
 * up in one message at the end, so a large file never stacks thousands of message boxes.
 * The categories of the old file are not created.
 */
class PreviousVersionImport final
{
public:
    static constexpr const char *FileName = "URL_L.TPS";

    PreviousVersionImport(Collection &collection, ErrorManager &errors);
    ~PreviousVersionImport();
    PreviousVersionImport(const PreviousVersionImport &) = delete;
    PreviousVersionImport &operator=(const PreviousVersionImport &) = delete;

    /// Whether `fileName` names a previous-version file (letter case does not matter).
    static bool nameAccepted(const QString &fileName);
    /// The location a previous record gives.
    static LocationRecord toLocation(const ImportLocationRecord &old);

    /// Opens the file read-only; a failure is reported and returns false.
    bool open(const QString &fileName);
    /// Copies up to `records` more locations; false when the file is done.
    bool step(int records = 200);
    /// Ends the run: the closing summary (ImportSummary), then the file is closed.
    void finish();
    /// The run was stopped before the end of the file.
    void markCancelled() { m_counts.cancelled = true; }

    qint64 total() const { return m_total; }
    qint64 processed() const { return m_processed; }
    int added() const { return m_counts.added; }
    /// Locations not added for a reason other than an address already stored.
    int refused() const { return m_counts.refusedTotal() + m_counts.failed; }
    const ImportCounts &counts() const { return m_counts; }
    int percent() const;

private:
    void report(const StoreStatus &status);

    Collection &m_collection;
    ErrorManager &m_errors;
    std::unique_ptr<SQLite::Database> m_db;
    std::unique_ptr<SQLite::Statement> m_rows;
    QString m_fileName;
    qint64 m_total = 0;
    qint64 m_processed = 0;
    ImportCounts m_counts;
    bool m_duplicateReported = false;
    bool m_categoryReported = false;
    bool m_otherReported = false;
};

} // namespace pk
