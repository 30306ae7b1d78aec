#include "report/reportjob.h"

#include "framework/userinterface.h"
#include "report/reportpaginator.h"
#include "report/reportsource.h"

using namespace Qt::StringLiterals;

namespace pk {

ReportJob::ReportJob(Collection &collection,
                     UserInterface &ui,
                     ReportDisplayStrings strings,
                     ReportDefinition definition,
                     QueryWizard queryWizard)
    : m_collection(collection)
    , m_ui(ui)
    , m_strings(std::move(strings))
    , m_definition(std::move(definition))
    , m_queryWizard(std::move(queryWizard))
{}

ReportJob::~ReportJob() = default;

std::optional<ReportJob::Destination> ReportJob::prepare(const QString &currentQuery)
{
    m_query.clear();
    if (!m_definition.queryQuestion.isEmpty()
        && m_ui.askYesNo(u"Query Wizard"_s, m_definition.queryQuestion)) {
        // Backing out of the wizard stops the report rather than printing every record.
        const std::optional<QString> query = m_queryWizard ? m_queryWizard(currentQuery)
                                                           : std::nullopt;
        if (!query)
            return std::nullopt;
        ReportSource check(m_collection, m_definition);
        QString message;
        if (!check.setQuery(*query, message)) {
            m_ui.message(u"Query Wizard"_s, message, UserInterface::Icon::Critical);
            return std::nullopt;
        }
        m_query = *query;
    }
    const int answer = m_ui.ask(m_strings.text(u"AskPrvwDialogTitle"_s),
                                m_strings.text(u"AskPrvwDialogText"_s),
                                {u"&Yes"_s, u"&No"_s, u"Cancel"_s});
    if (answer == 0)
        return Destination::Preview;
    if (answer == 1)
        return Destination::Print;
    return std::nullopt;
}

qint64 ReportJob::total()
{
    ReportSource source(m_collection, m_definition);
    QString message;
    if (!source.setQuery(m_query, message))
        return 0;
    return source.total();
}

bool ReportJob::confirmCancel()
{
    return m_ui.askYesNo(m_strings.text(u"CancelAreYouSureTitle"_s),
                         m_strings.text(u"CancelAreYouSureText"_s),
                         false);
}

ReportJob::Outcome ReportJob::run(ReportPaginator &pages, const Progress &progress)
{
    ReportSource source(m_collection, m_definition);
    QString message;
    if (!source.setQuery(m_query, message)) {
        m_ui.message(u"Query Wizard"_s, message, UserInterface::Icon::Critical);
        return Outcome::Failed;
    }
    const qint64 total = source.total();
    qint64 read = 0;
    QStringList cells;
    while (true) {
        if (progress && progress(read, total) && confirmCancel()) {
            pages.finish(true);
            return Outcome::Cancelled;
        }
        if (!source.next(cells))
            break;
        ++read;
        pages.addRow(cells);
    }
    if (progress)
        progress(read, total);
    if (!source.status()) {
        pages.finish(true);
        m_ui.message(u"Record Retrieval Error"_s,
                     u"The report could not read every record: "_s + source.status().describe(),
                     UserInterface::Icon::Critical);
        return Outcome::Failed;
    }
    pages.finish(false);
    return Outcome::Finished;
}

bool ReportJob::showPreview(Outcome outcome, int pages)
{
    if (pages == 0) {
        m_ui.message(m_strings.text(u"NothingToPrvwTitle"_s),
                     m_strings.text(u"NothingToPrvwText"_s));
        return false;
    }
    if (outcome == Outcome::Cancelled)
        return m_ui.askYesNo(m_strings.text(u"CancelPrvwPartialTitle"_s),
                             m_strings.text(u"CancelPrvwPartialText"_s));
    return true;
}

void ReportJob::printed(Outcome outcome, int pages)
{
    if (pages == 0 && outcome == Outcome::Finished)
        m_ui.message(m_strings.text(u"NothingToPrntTitle"_s),
                     m_strings.text(u"NothingToPrntText"_s));
}

} // namespace pk
