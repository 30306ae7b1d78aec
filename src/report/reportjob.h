#pragma once

#include "report/reportdefinition.h"
#include "report/reportdisplaystrings.h"

#include <QString>

#include <functional>
#include <memory>
#include <optional>

namespace pk {

class Collection;
class ReportPaginator;
class ReportSource;
class UserInterface;

/**
 * @brief One run of a printed report: the query and preview questions, reading the rows into
 * pages, and the questions of a cancelled run.
 *
 * The printing side supplies the pages' destination (a ReportPaginator over the printer or the
 * preview) and tells, while the rows are read, whether the user pressed Cancel.
 */
class ReportJob final
{
public:
    enum class Destination { Preview, Print };
    enum class Outcome {
        Finished,  ///< every row was read
        Cancelled, ///< the user confirmed Cancel; the pages end with the cancelled marker
        Failed     ///< a read failed; the user was told
    };

    /// Runs the query wizard from `current`; the new expression, nothing when cancelled.
    using QueryWizard = std::function<std::optional<QString>(const QString &current)>;
    /// Called as rows are read; returns true when the user asked to cancel since the last call.
    using Progress = std::function<bool(qint64 read, qint64 total)>;

    ReportJob(Collection &collection,
              UserInterface &ui,
              ReportDisplayStrings strings,
              ReportDefinition definition,
              QueryWizard queryWizard);
    ~ReportJob();
    ReportJob(const ReportJob &) = delete;
    ReportJob &operator=(const ReportJob &) = delete;

    const ReportDefinition &definition() const { return m_definition; }
    const ReportDisplayStrings &strings() const { return m_strings; }

    /**
     * Asks the report's query question (running the wizard from `currentQuery` on Yes) and
     * the preview question. Nothing when the user abandons the report, cancels the wizard or
     * the query does not compile (the user is told).
     */
    std::optional<Destination> prepare(const QString &currentQuery = {});

    /// Rows the run will read: 0 means there is nothing to show.
    qint64 total();

    /// Reads the rows in the report's order into `pages`, which the caller then has seen end.
    Outcome run(ReportPaginator &pages, const Progress &progress);

    /**
     * After a preview run: whether the generated pages are shown. A cancelled run asks whether
     * to preview what was generated; without pages the "Nothing to Preview." note is shown.
     */
    bool showPreview(Outcome outcome, int pages);
    /// After printing: the "Nothing to Print." note when no page came out.
    void printed(Outcome outcome, int pages);

    QString query() const { return m_query; }

private:
    bool confirmCancel();

    Collection &m_collection;
    UserInterface &m_ui;
    ReportDisplayStrings m_strings;
    ReportDefinition m_definition;
    QueryWizard m_queryWizard;
    QString m_query;
};

} // namespace pk
