// Reads browsers' session files for the end-to-end tests, through the program's own readers.
//
//   pk_e2e_sessions firefox FILE     the pages of a Firefox recovery.jsonlz4
//   pk_e2e_sessions chromium FILE    the pages of a Chromium Sessions/Session_* file
//   pk_e2e_sessions running HOME [CONFIG]
//                                    the pages of the browsers running in HOME, as the
//                                    New-location wizard gets them, then their notes
//
// Prints "address<TAB>title" a page. Exit status 0 when the file was read (1 with the reason
// otherwise), 2 on a wrong command line.
#include "browse/capture/browsersessions.h"
#include "browse/capture/chromiumsession.h"
#include "browse/capture/firefoxsession.h"

#include <QCoreApplication>
#include <QTextStream>

using namespace Qt::StringLiterals;
using namespace pk;

namespace {

void print(const std::vector<SessionPage> &pages)
{
    QTextStream out(stdout);
    for (const SessionPage &page : pages)
        out << page.address << '\t' << page.title << '\n';
}

int failed(const QString &why)
{
    QTextStream(stderr) << "pk_e2e_sessions: " << why << '\n';
    return 1;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 3)
        return 2;
    const QString &what = args[1];
    QString error;
    if (what == QLatin1String("firefox")) {
        const auto pages = FirefoxSession::readFile(args[2], u"Firefox"_s, &error);
        if (!pages)
            return failed(error);
        print(*pages);
        return 0;
    }
    if (what == QLatin1String("chromium")) {
        const auto result = ChromiumSession::readFile(args[2], u"Chromium"_s, &error);
        if (result.outcome != ChromiumSession::Outcome::Read)
            return failed(error.isEmpty() ? u"not a readable session file"_s : error);
        print(result.pages);
        return 0;
    }
    if (what == QLatin1String("running")) {
        const SessionCapture capture = BrowserSessions::read(args[2],
                                                             args.size() > 3 ? args[3] : QString());
        print(capture.pages);
        for (const QString &note : capture.notes)
            QTextStream(stdout) << "note\t" << note << '\n';
        return 0;
    }
    return 2;
}
