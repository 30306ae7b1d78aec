#pragma once

#include "report/reportjob.h"

class QPrinter;

namespace pk {

/**
 * @brief Prints a report job on a printer (a real one, a PDF file or the preview), page by page
 * as the rows are read.
 */
class ReportPrinter final
{
public:
    struct Result
    {
        ReportJob::Outcome outcome = ReportJob::Outcome::Finished;
        int pages = 0;
        int records = 0;
        bool deviceFailed = false; ///< the printer or file could not be opened
    };

    /// Turns the paper to landscape when the report's columns need it, else upright.
    static void chooseOrientation(const ReportDefinition &definition, QPrinter &printer);
    /// Reads the job's rows onto `printer`; nothing is sent to it when no page results.
    static Result print(ReportJob &job, QPrinter &printer, const ReportJob::Progress &progress);
};

} // namespace pk
