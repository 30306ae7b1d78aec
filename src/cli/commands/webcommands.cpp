// check, analyze and download: the batches that go over the web, with one shared setup.

#include "cli/commands/commandcontext.h"
#include "cli/commands/commands.h"
#include "cli/consoleuserinterface.h"
#include "cli/progressbar.h"
#include "linkcheck/analysis/analyzelinksprocess.h"
#include "linkcheck/analysis/downloadurlsprocess.h"
#include "linkcheck/analysis/pagedownload.h"
#include "linkcheck/analysis/urlanalyzer.h"
#include "linkcheck/fetchlimits.h"
#include "linkcheck/testlinksprocess.h"
#include "linkcheck/webchecksettings.h"
#include "platform/appfolders.h"
#include "platform/inifile.h"
#include "store/collection.h"

#include <QCommandLineParser>
#include <QDir>
#include <QEventLoop>
#include <QFileInfo>

using namespace Qt::StringLiterals;

namespace pk::Cli {

namespace {

/**
 * What the three web commands share: the collection opened and --query checked, the progress
 * bar that messages clear first, the answers to the run's questions, the environment the batch
 * gets, the wait for its end and the exit status.
 */
class WebBatch final
{
public:
    WebBatch(QCommandLineParser &parser, CommandContext &context)
        : m_context(context)
        , m_withQuery(parser.isSet(u"query"_s))
        , m_query(parser.value(u"query"_s))
        , m_bar(context.options().progress, context.err())
    {
        m_context.ui().setProgressBar(&m_bar);
    }
    ~WebBatch() { m_context.ui().setProgressBar(nullptr); }
    WebBatch(const WebBatch &) = delete;
    WebBatch &operator=(const WebBatch &) = delete;

    /// Opens the collection and checks the query; the exit status when either failed.
    std::optional<int> open()
    {
        if (!m_context.openCollection())
            return Failure;
        if (m_withQuery && !m_context.checkQuery(m_query))
            return Usage;
        return std::nullopt;
    }

    bool withQuery() const { return m_withQuery; }
    const QString &query() const { return m_query; }
    ProgressBar &bar() { return m_bar; }

    /// The run's own question is answered "proceed"; the query wizard is used only with --query.
    void answer(const char *question, const char *queryQuestion)
    {
        m_context.ui().setAnswer(QLatin1String(question), true);
        m_context.ui().setAnswer(QLatin1String(queryQuestion), m_withQuery);
    }

    LocationBatchEnvironment environment()
    {
        LocationBatchEnvironment env;
        env.collection = [this] { return &m_context.collection(); };
        env.ui = &m_context.ui();
        env.errors = &m_context.errors();
        env.queryWizard = [query = m_query]() -> std::optional<QString> { return query; };
        return env;
    }

    /// Moves the bar with the batch's percentage.
    template<typename Process>
    void follow(Process &process)
    {
        QObject::connect(&process, &Process::progressValue, [this](int percent) {
            m_bar.update(percent);
        });
    }

    /// Runs the event loop until the process has finished; clears the bar.
    template<typename Process>
    void wait(Process &process)
    {
        QEventLoop loop;
        while (!process.isFinished())
            loop.processEvents(QEventLoop::WaitForMoreEvents);
        m_bar.clear();
    }

    /// "pathkeep-cli: URL: why" for a page that could not be fetched, counted.
    void failed(const QString &url, const QString &why, const QString &otherwise)
    {
        ++m_failures;
        m_bar.clear();
        m_context.complain(url + u": "_s + (why.isEmpty() ? otherwise : why));
    }
    int failures() const { return m_failures; }

    int outcome() const { return m_context.outcome(m_failures > 0); }

private:
    CommandContext &m_context;
    bool m_withQuery;
    QString m_query;
    ProgressBar m_bar;
    int m_failures = 0;
};

int downloadOne(const QString &url, const QString &folder, CommandContext &context)
{
    // "*" names the file after the address, as the multiple download does.
    QString why;
    const QString written = PageDownload::fetch(folder + u"/*"_s,
                                                url,
                                                context.collection().folder(),
                                                FetchLimits::current(),
                                                &context.ui(),
                                                &why);
    if (written.isEmpty()) {
        context.complain(url + u": "_s + (why.isEmpty() ? u"the download failed"_s : why));
        return Failure;
    }
    context.print(context.out(), written + u'\n');
    return Success;
}

} // namespace

void checkOptions(QCommandLineParser &parser)
{
    parser.addOption(Options::query());
    parser.addOption({u"timeout"_s,
                      u"Seconds each test waits for an answer (default 500). Section "
                      "\"Testing\" of PATHKEEP.INI applies as in the program; moves to "
                      "https:// are counted, the addresses are left as they are."_s,
                      u"SECONDS"_s,
                      u"500"_s});
}

int runCheck(QCommandLineParser &parser, CommandContext &context)
{
    bool number = false;
    const int seconds = parser.value(u"timeout"_s).toInt(&number);
    if (!number || seconds < 1)
        return context.usageError(u"the timeout must be a number of seconds"_s);
    WebBatch batch(parser, context);
    if (const std::optional<int> failed = batch.open())
        return *failed;

    TestLinksEnvironment env;
    env.test.collection = [&context] { return &context.collection(); };
    env.test.ui = &context.ui();
    env.test.errors = &context.errors();
    env.test.timeLimit = std::chrono::seconds(seconds);
    env.queryWizard = batch.environment().queryWizard;
    env.traceFile = QDir(context.collection().folder()).filePath(u"DEBUG.INI"_s);
    IniFile settings(AppFolders::pathkeepIni());
    settings.load();
    env.web = WebCheckSettings::load(settings);
    env.web.summary = false;           // printed below, not shown as a message
    env.web.offerSecureUpdate = false; // nobody to ask; the addresses stay as they are
    batch.answer(TestLinksProcess::Question, TestLinksProcess::QueryQuestion);

    TestLinksProcess process(std::move(env));
    QObject::connect(&process, &TestLinksProcess::progressValue, [&batch, &process](int percent) {
        batch.bar().update(percent,
                           QString::number(process.counter()) + u" of "_s
                               + QString::number(process.total()));
    });
    if (!process.confirm())
        return Failure;
    process.run();
    batch.wait(process);
    const TestLinksSummary &summary = process.summary();
    context.print(context.err(), summary.text() + u".\n"_s);
    // A result that could not be written is reported as a problem: the check did not do its work.
    return context.outcome(summary.failed > 0);
}

void analyzeOptions(QCommandLineParser &parser)
{
    parser.addOption(Options::query());
}

int runAnalyze(QCommandLineParser &parser, CommandContext &context)
{
    WebBatch batch(parser, context);
    if (const std::optional<int> failed = batch.open())
        return *failed;
    batch.answer(AnalyzeLinksProcess::Question, LocationBatch::QueryQuestion);
    const FetchLimits limits = FetchLimits::current();
    // A page that could not be analysed marks its location failed; the reason is told here.
    const auto fetch = [&batch, limits](const QString &url, std::vector<QString> &tokens) {
        QString why;
        const int result = UrlAnalyzer::fetchWith(url, tokens, limits, &why);
        if (result != UrlAnalyzer::Cancelled && result <= 3)
            batch.failed(url, why, u"the page could not be read"_s);
        return result;
    };
    AnalyzeLinksProcess process(batch.environment(), fetch);
    batch.follow(process);
    if (!process.confirm())
        return Failure;
    if (process.run())
        batch.wait(process);
    QString text = QString::number(process.processed()) + u" location(s) analysed"_s;
    if (batch.failures() > 0)
        text += u", "_s + QString::number(batch.failures()) + u" could not be read"_s;
    context.note(text + u'.');
    return batch.outcome();
}

void downloadOptions(QCommandLineParser &parser)
{
    parser.addPositionalArgument(u"URL"_s, u"One address to save (or use --query)."_s, u"[URL]"_s);
    parser.addOption(Options::query());
    parser.addOption({u"all"_s, u"Save every location."_s});
    parser.addOption({u"to"_s, u"The folder the pages are saved to."_s, u"DIR"_s});
}

int runDownload(QCommandLineParser &parser, CommandContext &context)
{
    const QStringList positional = parser.positionalArguments();
    const bool many = parser.isSet(u"query"_s) || parser.isSet(u"all"_s);
    if (positional.size() > 1 || (positional.size() == 1) == many)
        return context.usageError(u"download takes one URL, or --query FILTER, or --all"_s);
    if (!parser.isSet(u"to"_s))
        return context.usageError(u"download needs --to DIR"_s);
    const QFileInfo target(parser.value(u"to"_s));
    if (!target.isDir())
        return context.usageError(parser.value(u"to"_s) + u" is not a folder"_s);
    const QString folder = target.absoluteFilePath();
    if (!many) {
        if (!context.openCollection())
            return Failure;
        return downloadOne(positional.first(), folder, context);
    }

    WebBatch batch(parser, context);
    if (const std::optional<int> failed = batch.open())
        return *failed;
    const QString logFolder = context.collection().folder();
    const FetchLimits limits = FetchLimits::current();
    DownloadUrlsProcess process(batch.environment(),
                                [&context, &batch, logFolder, limits](const QString &to,
                                                                      const QString &url) {
                                    QString why;
                                    const QString written = PageDownload::fetch(to,
                                                                                url,
                                                                                logFolder,
                                                                                limits,
                                                                                &context.ui(),
                                                                                &why);
                                    if (written.isEmpty())
                                        batch.failed(url, why, u"the download failed"_s);
                                    else
                                        context.print(context.out(), written + u'\n');
                                    return written;
                                });
    batch.follow(process);
    context.ui().setFolder(folder);
    if (!process.chooseFolder()) {
        context.complain(folder + u" cannot be used as the folder"_s);
        return Failure;
    }
    // --all: the question about the query wizard is answered No.
    context.ui().setAnswer(QLatin1String(LocationBatch::QueryQuestion), false);
    if (process.start(batch.query()))
        batch.wait(process);
    if (batch.failures() > 0)
        context.note(QString::number(batch.failures()) + u" download(s) failed."_s);
    return batch.outcome();
}

} // namespace pk::Cli
