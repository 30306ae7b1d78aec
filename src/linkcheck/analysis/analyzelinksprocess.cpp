#include "linkcheck/analysis/analyzelinksprocess.h"

#include "framework/userinterface.h"
#include "store/picture.h"

namespace pk {

AnalyzeLinksProcess::AnalyzeLinksProcess(LocationBatchEnvironment environment,
                                         LocationAnalysis::Fetch fetch,
                                         QObject *parent)
    : LocationBatch(std::move(environment), parent)
    , m_fetch(std::move(fetch))
{}

bool AnalyzeLinksProcess::confirm()
{
    return m_env.ui && m_env.ui->askYesNo(QLatin1String(Caption), QLatin1String(Question));
}

bool AnalyzeLinksProcess::handle(LocationRecord &record)
{
    emit progressText(QStringLiteral("Analyzing Link ") + QString::number(counter())
                      + QStringLiteral(" of ") + QString::number(total()));
    if (!record.Location.startsWith(QLatin1String("http://")))
        return true;
    countHandled();
    const QString original = record.Location;
    LocationAnalysis analysis(*m_collection, m_fetch, DayNumber::today());
    StoreStatus status;
    // A page the user cancelled is skipped unchanged; closing the progress window ends the run.
    if (analysis.analyze(record, status) == -1)
        return true;
    if (!status) {
        report(status);
        return false;
    }
    return writeBack(original, record);
}

} // namespace pk
