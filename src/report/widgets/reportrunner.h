#pragma once

#include <QString>

class QPrinter;
class QWidget;

namespace pk {

class ReportJob;
class UserInterface;

/**
 * @brief The windows of a report run: its questions, then the preview (from which it may be
 * printed) or the printer dialog, with the progress window while the rows are read.
 */
class ReportRunner final
{
public:
    static void run(ReportJob &job,
                    UserInterface &ui,
                    QPrinter &printer,
                    QWidget *parent,
                    const QString &currentQuery = {});

private:
    static void preview(ReportJob &job, UserInterface &ui, QPrinter &printer, QWidget *parent);
    static void print(ReportJob &job, UserInterface &ui, QPrinter &printer, QWidget *parent);
};

} // namespace pk
