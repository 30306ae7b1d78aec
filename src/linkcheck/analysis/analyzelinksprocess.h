#pragma once

#include "linkcheck/analysis/locationanalysis.h"
#include "linkcheck/analysis/locationbatch.h"

namespace pk {

/**
 * @brief "Analyze Links": analyses every HTTP location, or those a query chooses, and writes
 * each back.
 *
 * One analysis runs at a time, through `fetch` (the "Analyze URL" window in the program).
 */
class AnalyzeLinksProcess final : public LocationBatch
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(AnalyzeLinksProcess)

public:
    static constexpr const char *Caption = "Analyze Links";
    static constexpr const char *Title = "Analyzing Multiple Links...";
    static constexpr const char *Question
        = "This process will analyze all HTTP links in your database, import as much information "
          "as possible directly from the related web site, and mark those that are no longer "
          "valid.\n\nThis may take a long time, especially if you have a slow connection to the "
          "Internet.\n\nDo you wish to proceed?";

    AnalyzeLinksProcess(LocationBatchEnvironment environment,
                        LocationAnalysis::Fetch fetch,
                        QObject *parent = nullptr);

    /// The opening question; false when the user answers No.
    bool confirm();
    /// Counts the locations, asks about the query wizard and starts.
    bool run() { return begin(QString(), true); }

protected:
    bool handle(LocationRecord &record) override;

private:
    LocationAnalysis::Fetch m_fetch;
};

} // namespace pk
