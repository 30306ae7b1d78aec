#include "cli/commandline.h"

#include "browse/query/queryexpression.h"
#include "browse/query/storefieldresolver.h"
#include "cli/consoleuserinterface.h"
#include "cli/locationoutput.h"
#include "cli/progressbar.h"
#include "cli/fieldlistoption.h"
#include "export/advancedexport.h"
#include "export/bookmarkfileexport.h"
#include "export/exportfile.h"
#include "export/exportreader.h"
#include "export/exportsettings.h"
#include "export/exportwizardmodel.h"
#include "export/preformattedexport.h"
#include "framework/errormanager.h"
#include "import/categorymode.h"
#include "import/advanced/advancedimport.h"
#include "import/advanced/importinsertsink.h"
#include "import/browserimport.h"
#include "import/browserprofiles.h"
#include "import/chromiumbookmarks.h"
#include "import/favoritesimport.h"
#include "import/firefoxplaces.h"
#include "import/importinsert.h"
#include "import/importsummary.h"
#include "import/htmlimport.h"
#include "import/previous/previousversionimport.h"
#include "import/text/textimport.h"
#include "import/text/textimportrun.h"
#include "linkcheck/analysis/analyzelinksprocess.h"
#include "linkcheck/analysis/downloadurlsprocess.h"
#include "linkcheck/analysis/pagedownload.h"
#include "linkcheck/analysis/urlanalyzer.h"
#include "linkcheck/fetchlimits.h"
#include "linkcheck/linktest.h"
#include "linkcheck/testlinksprocess.h"
#include "linkcheck/webchecksettings.h"
#include "platform/appfolders.h"
#include "platform/inifile.h"
#include "shell/appsettings.h"
#include "shell/passwordcheck.h"
#include "store/categorymanager.h"
#include "store/collection.h"
#include "store/configurationmanager.h"
#include "store/fields.h"
#include "store/locationaddress.h"
#include "store/locationmanager.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QScopeGuard>

#include <SQLiteCpp/Database.h>

#include "pathkeepversion.h"

using namespace Qt::StringLiterals;

namespace pk {

struct CommandLine::Common
{
    QString command;
    QString folder;
    bool quiet = false;
    bool progress = false;
    bool create = false;
    int waitSeconds = 10;
};

namespace {

struct CommandInfo
{
    const char *name;
    const char *arguments;
    const char *summary;
};

const CommandInfo Commands[] = {
    {"list", "[--query FILTER] [--order KEY] [--format table|csv|json]", "list the locations"},
    {"add", "URL --category C [--description D] [--rating N]", "add one location"},
    {"check", "[--query FILTER] [--timeout SECONDS]", "test the links and record the results"},
    {"analyze", "[--query FILTER]", "fetch each page and fill in its description and details"},
    {"download", "URL|--query FILTER|--all --to DIR", "save pages to a folder"},
    {"import", "KIND [FILE] [--category-mode MODE] [--category C]", "import locations"},
    {"export", "TYPE FILE [--order KEY] [--query FILTER] [--category C]", "export locations"},
};

const CommandInfo *findCommand(const QString &name)
{
    for (const CommandInfo &c : Commands)
        if (name == QLatin1String(c.name))
            return &c;
    return nullptr;
}

/// The command: the first argument that is neither an option nor an option's value.
QString commandOf(const QStringList &arguments, qsizetype &at)
{
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString &a = arguments.at(i);
        if (a == u"--collection"_s || a == u"-C"_s || a == u"--wait"_s) {
            ++i;
            continue;
        }
        if (a == u"--"_s)
            break;
        if (!a.startsWith(u'-')) {
            at = i;
            return a;
        }
    }
    at = -1;
    return {};
}

const QStringList &exportOrders()
{
    static const QStringList orders = [] {
        QStringList list;
        for (const auto &order : ExportWizardModel::orders())
            list << order.first;
        return list;
    }();
    return orders;
}

const QStringList &exportTypes()
{
    static const QStringList types = [] {
        QStringList list;
        for (const auto &type : ExportWizardModel::types())
            list << type.first;
        return list;
    }();
    return types;
}

/// The value of `list` that equals `value` without regard to letter case; blank when none.
QString pick(const QStringList &list, const QString &value)
{
    for (const QString &item : list)
        if (item.compare(value, Qt::CaseInsensitive) == 0)
            return item;
    return {};
}

/// Lets messages clear the bar's line while it lives.
auto attachBarTo(ConsoleUserInterface &ui, ProgressBar &bar)
{
    ui.setProgressBar(&bar);
    return qScopeGuard([&ui] { ui.setProgressBar(nullptr); });
}

/// What an import added, and whether it stopped or had locations refused.
struct ImportTally
{
    bool stopped = false;
    int added = 0;
    int refused = 0; ///< refused by the store's rules or failed to write
};

/// Steps an import that inserts through an ImportInsert until it is done or the insert stops,
/// then has it report its result.
template<typename Import, typename Percent>
ImportTally runInsertSteps(Import &import, ProgressBar &bar, Percent percent)
{
    import.inserter().setStepMilliseconds(ImportInsert::UnattendedStepMilliseconds);
    while (import.step() && !import.inserter().stopped())
        bar.update(percent());
    bar.clear();
    import.reportResult();
    return {import.inserter().stopped(),
            import.added(),
            import.inserter().refused() + import.inserter().failed()};
}

/// Runs the event loop until `done` says so.
template<typename Done>
void runUntil(Done done)
{
    QEventLoop loop;
    while (!done())
        loop.processEvents(QEventLoop::WaitForMoreEvents);
}

} // namespace

CommandLine::CommandLine(std::FILE *out, std::FILE *err)
    : m_out(out)
    , m_err(err)
    , m_ui(std::make_unique<ConsoleUserInterface>(err))
    , m_errors(std::make_unique<ErrorManager>(*m_ui))
{
    // A catalogue message that would end the program ends only the command.
    m_errors->setHaltHandler([this](const QString &, const QString &) { m_halted = true; });
}

CommandLine::~CommandLine() = default;

void CommandLine::print(std::FILE *to, const QString &text)
{
    const QByteArray bytes = text.toLocal8Bit();
    std::fwrite(bytes.constData(), 1, std::size_t(bytes.size()), to);
    std::fflush(to);
}

int CommandLine::usageError(const QString &text)
{
    print(m_err, u"pathkeep-cli: "_s + text + u"\nTry 'pathkeep-cli --help'.\n"_s);
    return Usage;
}

QString CommandLine::overview()
{
    QString text = u"Usage: pathkeep-cli [--collection DIR] [--quiet] COMMAND [options]\n\n"
                   "Works on the collection in the current folder, or in DIR.\n\nCommands:\n"_s;
    for (const CommandInfo &c : Commands)
        text += u"  "_s + QString::fromLatin1(c.name).leftJustified(10) + QLatin1String(c.summary)
                + u'\n';
    text += u"\n'pathkeep-cli COMMAND --help' describes a command.\n"
            "Exit status: 0 done, 1 the work failed, 2 wrong command line.\n"_s;
    return text;
}

int CommandLine::run(const QStringList &arguments)
{
    qsizetype at = -1;
    const QString name = commandOf(arguments, at);
    if (name.isEmpty()) {
        if (arguments.contains(u"--version"_s)) {
            print(m_out, u"pathkeep-cli "_s + QLatin1String(PK_VERSION) + u'\n');
            return Success;
        }
        if (arguments.contains(u"--help"_s) || arguments.contains(u"-h"_s)) {
            print(m_out, overview());
            return Success;
        }
        return usageError(u"no command given"_s);
    }
    const CommandInfo *info = findCommand(name);
    if (!info)
        return usageError(u"unknown command '"_s + name + u"'"_s);

    QStringList rest = arguments;
    rest.removeAt(at);

    QCommandLineParser parser;
    parser.setApplicationDescription(QLatin1String(info->summary));
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.addOption({{u"C"_s, u"collection"_s},
                      u"The collection folder (default: the current folder)."_s,
                      u"DIR"_s});
    parser.addOption({{u"q"_s, u"quiet"_s}, u"Only warnings and errors on standard error."_s});
    parser.addOption({u"create"_s,
                      u"Make an empty collection in the folder when it has none (add, "
                      "import)."_s});
    parser.addOption({u"wait"_s,
                      u"Seconds to wait for a collection another program is writing to "
                      "(default 10)."_s,
                      u"SECONDS"_s,
                      u"10"_s});
    parser.addHelpOption();

    const QCommandLineOption queryOption(u"query"_s,
                                         u"A filter of the query wizard, e.g. "
                                         "\"URL:Category = 'News'\"."_s,
                                         u"FILTER"_s);
    const QCommandLineOption orderOption(u"order"_s,
                                         u"Location, Description, CatDesc, CatLoc, Rating or "
                                         "Keyword (default Location)."_s,
                                         u"KEY"_s,
                                         u"Location"_s);
    const QCommandLineOption categoryOption(u"category"_s, u"A category."_s, u"C"_s);
    const QString command = QLatin1String(info->name);
    if (command == u"list"_s) {
        parser.addOption(queryOption);
        parser.addOption(orderOption);
        parser.addOption({u"format"_s,
                          u"table (default), csv (the list export's CSV line, read back by "
                          "'import CSV') or json (every field but the password)."_s,
                          u"FORMAT"_s,
                          u"table"_s});
    } else if (command == u"add"_s) {
        parser.addPositionalArgument(u"URL"_s,
                                     u"The address of the new location: up to 2048 characters, "
                                     "without blanks or line breaks (write a blank as %20)."_s);
        parser.addOption({u"category"_s, u"Its category (required); it must exist."_s, u"C"_s});
        parser.addOption({u"description"_s, u"Its description."_s, u"D"_s});
        parser.addOption({u"rating"_s, u"Its rating, -99 to 99."_s, u"N"_s, u"0"_s});
    } else if (command == u"check"_s) {
        parser.addOption(queryOption);
        parser.addOption({u"timeout"_s,
                          u"Seconds each test waits for an answer (default 500). Section "
                          "\"Testing\" of PATHKEEP.INI applies as in the program; moves to "
                          "https:// are counted, the addresses are left as they are."_s,
                          u"SECONDS"_s,
                          u"500"_s});
    } else if (command == u"analyze"_s) {
        parser.addOption(queryOption);
    } else if (command == u"download"_s) {
        parser.addPositionalArgument(u"URL"_s,
                                     u"One address to save (or use --query)."_s,
                                     u"[URL]"_s);
        parser.addOption(queryOption);
        parser.addOption({u"all"_s, u"Save every location."_s});
        parser.addOption({u"to"_s, u"The folder the pages are saved to."_s, u"DIR"_s});
    } else if (command == u"import"_s) {
        parser.addPositionalArgument(
            u"KIND"_s,
            u"IE (a favourites folder), Netscape (a bookmark file), HTML, "
            "CSV, ADV (CSV with chosen columns), ASCII (any text), Previous (a URL_L.TPS "
            "file), Firefox (places.sqlite) or Chromium (Bookmarks of Chromium, Google Chrome, "
            "Brave or Vivaldi)."_s);
        parser.addPositionalArgument(u"FILE"_s,
                                     u"The file (the folder for IE). Firefox and Chromium take "
                                     "the file or a profile folder holding it; without one, the "
                                     "first profile found in the home folder."_s,
                                     u"[FILE]"_s);
        parser.addOption({u"nested-folders"_s,
                          u"Netscape: read the file as browsers write it: nested folders as "
                          "folder chains (\"News: Local\"), dates, tags and comments kept."_s});
        parser.addOption({u"map"_s,
                          u"ADV: the columns to read, e.g. URL:Location=1,URL:Description=3, "
                          "a column's picture after '@' (URL:LastVisit=4@d17) (default: the "
                          "columns the first record names)."_s,
                          u"FIELD=COLUMN[@PICTURE],..."_s});
        parser.addOption({u"skip-header"_s, u"ADV with --map: the first record is a header."_s});
        parser.addOption({u"category-mode"_s,
                          u"Guess (default: from the source), Selected (--category for every "
                          "location) or None."_s,
                          u"MODE"_s,
                          u"Guess"_s});
        parser.addOption({u"category"_s,
                          u"The category for --category-mode Selected; it must "
                          "exist. ADV: the category of records that bring none (added when "
                          "missing)."_s,
                          u"C"_s});
    } else if (command == u"export"_s) {
        parser.addPositionalArgument(u"TYPE"_s, exportTypes().join(u", "_s) + u'.');
        parser.addPositionalArgument(u"FILE"_s, u"The file written."_s);
        parser.addOption(orderOption);
        parser.addOption(queryOption);
        parser.addOption({u"category"_s, u"Export only this category."_s, u"C"_s});
        parser.addOption({u"title"_s, u"The page title of an HTML export."_s, u"TEXT"_s});
        parser.addOption({u"rating"_s, u"Include the rating."_s});
        parser.addOption({u"site-info"_s, u"Include the site information."_s});
        parser.addOption({u"meta-keywords"_s, u"Meta keywords of an HTML page."_s, u"TEXT"_s});
        parser.addOption({u"meta-description"_s, u"Meta description of an HTML page."_s, u"TEXT"_s});
        parser.addOption({u"fields"_s,
                          u"ADV: the fields in order, a picture after '@' where wanted, e.g. "
                          "URL:Location,URL:Rating@n3 (default: every field)."_s,
                          u"FIELD,..."_s});
        parser.addOption({u"header"_s, u"ADV: a first record of field names."_s});
        parser.addOption({u"preformatted"_s,
                          u"Fill the collection's HTML templates (Default_*.htm) instead."_s});
    }

    if (!parser.parse(rest))
        return usageError(parser.errorText());
    if (parser.isSet(u"help"_s)) {
        QString help = parser.helpText();
        help.replace(QCoreApplication::applicationFilePath(), u"pathkeep-cli"_s);
        const qsizetype line = help.indexOf(u'\n');
        help = u"Usage: pathkeep-cli "_s + command + u' ' + QLatin1String(info->arguments)
               + help.mid(line);
        if (command == u"check"_s)
            help += u"\nThe questions of \"Test Links\" are answered: proceed, and use the query "
                    "wizard only when --query is given. Only http:// addresses are tested. The end "
                    "shows how many passed, failed, moved (redirected) and were skipped; the exit "
                    "status is 1 when any failed.\n"_s;
        else if (command == u"import"_s)
            help += u"\nThe Ask mode of the wizard is not offered: there is nobody to ask. ADV "
                    "imports take no category mode (the columns say it; --category fills in "
                    "records without one). A record whose date does not read under its "
                    "column's picture, or without an address, is refused. The exit status is 1 "
                    "when a location was refused (for example for a category the collection does "
                    "not have); addresses already stored are skipped. The import ends with a "
                    "summary: added, already stored, refused and skipped, each by reason. Firefox "
                    "and Chromium read a copy of the browser's file, so the browser may stay open; "
                    "a bookmark's folders make its category (\"News: Local\"), its tags "
                    "keywords.\n"_s;
        else if (command == u"export"_s)
            help += u"\nThe file is not opened afterwards (the wizard's question is answered "
                    "No). Bookmarks writes a bookmark file any browser imports (read back by "
                    "'import Netscape FILE --nested-folders'); its order is always the folder "
                    "tree of the categories.\n"_s;
        else if (command == u"analyze"_s)
            help += u"\nThe questions of \"Analyze Links\" are answered: proceed, and use the "
                    "query wizard only when --query is given.\n"_s;
        print(m_out, help);
        return Success;
    }

    Common common;
    common.command = command;
    common.folder = parser.isSet(u"collection"_s) ? parser.value(u"collection"_s)
                                                  : QDir::currentPath();
    common.quiet = parser.isSet(u"quiet"_s);
    common.create = parser.isSet(u"create"_s);
    bool number = false;
    common.waitSeconds = parser.value(u"wait"_s).toInt(&number);
    if (!number || common.waitSeconds < 0)
        return usageError(u"--wait takes a number of seconds"_s);
    common.progress = !common.quiet && ProgressBar::stderrIsTerminal();
    m_ui->setQuiet(common.quiet);

    if (command == u"list"_s)
        return list(parser, common);
    if (command == u"add"_s)
        return add(parser, common);
    if (command == u"check"_s)
        return check(parser, common);
    if (command == u"analyze"_s)
        return analyze(parser, common);
    if (command == u"download"_s)
        return download(parser, common);
    if (command == u"import"_s)
        return importFile(parser, common);
    return exportFile(parser, common);
}

bool CommandLine::openCollection(Common &common, bool create)
{
    const QFileInfo folder(common.folder);
    if (!folder.isDir()) {
        print(m_err, u"pathkeep-cli: "_s + common.folder + u" is not a folder.\n"_s);
        return false;
    }
    m_collection = std::make_unique<Collection>(folder.absoluteFilePath());
    const StoreStatus status = m_collection->openAll(create);
    if (!status) {
        QString why;
        switch (status.error) {
        case StoreError::FileNotFound:
            why = u"there is no collection here (URLDATA.TPS, URL_C.TPS and URL_H.TPS)."_s;
            break;
        case StoreError::InvalidFile:
            why = u"a file is not a collection file or belongs to another program."_s;
            break;
        case StoreError::Locked:
            why = u"another program holds it locked; try again later."_s;
            break;
        case StoreError::InvalidKeyFile:
            why = u"its keys need rebuilding; open it in Pathkeep once."_s;
            break;
        default:
            why = status.describe();
            break;
        }
        print(m_err,
              u"pathkeep-cli: cannot open the collection in "_s + folder.absoluteFilePath()
                  + u": "_s + why + u'\n');
        m_collection.reset();
        return false;
    }

    // The program may be writing to the collection at the same moment: wait for its
    // transaction to end rather than fail at once.
    m_collection->db().setBusyTimeout(common.waitSeconds * 1000);

    // A protected collection opens only with its password, as at the program's start.
    AppSettings settings;
    ConfigurationRecord row;
    if (m_collection->configuration().get(QLatin1String(SettingName::Secure), row))
        settings.secure = row.DataValue.trimmed().toInt() != 0;
    if (m_collection->configuration().get(QLatin1String(SettingName::Password), row))
        settings.password = row.DataValue.left(AppSettings::PasswordWidth);
    if (!PasswordCheck::confirm(*m_ui, settings)) {
        print(m_err,
              u"pathkeep-cli: the collection is protected; set "_s
                  + QLatin1String(ConsoleUserInterface::PasswordVariable)
                  + u" to its password.\n"_s);
        m_collection.reset();
        return false;
    }
    return true;
}

bool CommandLine::checkQuery(const QString &query)
{
    const QueryExpression expression = QueryExpression::parse(query);
    QueryCompileContext context;
    context.resolveField = storeFieldResolver();
    QueryError error;
    if (expression.isValid() && expression.compile(context, error))
        return true;
    print(m_err,
          u"pathkeep-cli: the query is invalid: "_s
              + (expression.isValid() ? error.describe() : expression.error().describe()) + u'\n');
    return false;
}

int CommandLine::list(QCommandLineParser &parser, Common &common)
{
    const std::optional<LocationOutput::Format> format = LocationOutput::formatFromName(
        parser.value(u"format"_s));
    if (!format)
        return usageError(u"unknown format '"_s + parser.value(u"format"_s) + u"'"_s);
    const QString order = pick(exportOrders(), parser.value(u"order"_s));
    const KeyDef *key = ExportReader::keyOf(order);
    if (!key)
        return usageError(u"unknown order '"_s + parser.value(u"order"_s) + u"'"_s);
    if (!parser.positionalArguments().isEmpty())
        return usageError(u"unexpected argument '"_s + parser.positionalArguments().first()
                          + u"'"_s);
    if (!openCollection(common, false))
        return Failure;

    ExportReader reader(*m_collection, *key);
    if (parser.isSet(u"query"_s)) {
        QString message;
        if (!reader.setQuery(parser.value(u"query"_s), message)) {
            print(m_err, u"pathkeep-cli: the query is invalid: "_s + message + u'\n');
            return Usage;
        }
    }
    LocationOutput output(*format, m_out);
    output.begin();
    LocationRecord record;
    while (reader.next(record))
        output.add(record);
    output.end();
    if (!reader.status()) {
        print(m_err, u"pathkeep-cli: reading failed: "_s + reader.status().describe() + u'\n');
        return Failure;
    }
    return Success;
}

int CommandLine::add(QCommandLineParser &parser, Common &common)
{
    const QStringList positional = parser.positionalArguments();
    if (positional.size() != 1)
        return usageError(u"add takes one URL"_s);
    bool number = false;
    const int rating = parser.value(u"rating"_s).toInt(&number);
    if (!number || rating < -99 || rating > 99)
        return usageError(u"the rating must be a number from -99 to 99"_s);
    const QString url = positional.first().trimmed();
    if (url.isEmpty())
        return usageError(u"the URL is blank"_s);
    // The rule of the form and the wizard: whole, and one piece of text.
    if (const LocationAddress::Problem problem = LocationAddress::check(url);
        problem != LocationAddress::Problem::None) {
        print(m_err, u"pathkeep-cli: "_s + LocationAddress::message(problem, url) + u'\n');
        return Usage;
    }
    if (parser.value(u"category"_s).trimmed().isEmpty())
        return usageError(u"add needs --category (a category of the collection)"_s);
    if (!openCollection(common, common.create))
        return Failure;

    LocationRecord record;
    record.Location = url;
    record.Category = parser.value(u"category"_s);
    record.Description = parser.value(u"description"_s);
    record.Rating = rating;
    const StoreStatus status = m_collection->locations().insert(record);
    if (!status) {
        if (status.catalogueNumber != 0)
            m_errors->raise(status.catalogueNumber, status.context);
        else
            print(m_err, u"pathkeep-cli: "_s + status.describe() + u'\n');
        return Failure;
    }
    if (!common.quiet)
        print(m_err, url + u" added.\n"_s);
    return Success;
}

int CommandLine::check(QCommandLineParser &parser, Common &common)
{
    bool number = false;
    const int seconds = parser.value(u"timeout"_s).toInt(&number);
    if (!number || seconds < 1)
        return usageError(u"the timeout must be a number of seconds"_s);
    const bool withQuery = parser.isSet(u"query"_s);
    const QString query = parser.value(u"query"_s);
    if (!openCollection(common, false))
        return Failure;
    if (withQuery && !checkQuery(query))
        return Usage;

    ProgressBar bar(common.progress, m_err);
    const auto detachBar = attachBarTo(*m_ui, bar);
    TestLinksEnvironment env;
    env.test.collection = [this] { return m_collection.get(); };
    env.test.ui = m_ui.get();
    env.test.errors = m_errors.get();
    env.test.timeLimit = std::chrono::seconds(seconds);
    env.queryWizard = [query]() -> std::optional<QString> { return query; };
    env.traceFile = QDir(m_collection->folder()).filePath(u"DEBUG.INI"_s);
    IniFile settings(AppFolders::pathkeepIni());
    settings.load();
    env.web = WebCheckSettings::load(settings);
    env.web.summary = false;           // printed below, not shown as a message
    env.web.offerSecureUpdate = false; // nobody to ask; the addresses stay as they are
    m_ui->setAnswer(QLatin1String(TestLinksProcess::Question), true);
    m_ui->setAnswer(QLatin1String(TestLinksProcess::QueryQuestion), withQuery);

    TestLinksProcess process(std::move(env));
    QObject::connect(&process, &TestLinksProcess::progressValue, [&bar, &process](int percent) {
        bar.update(percent,
                   QString::number(process.counter()) + u" of "_s
                       + QString::number(process.total()));
    });
    if (!process.confirm())
        return Failure;
    process.run();
    runUntil([&process] { return process.isFinished(); });
    bar.clear();
    const TestLinksSummary &summary = process.summary();
    print(m_err, summary.text() + u".\n"_s);
    // A result that could not be written is reported as a problem: the check did not do its work.
    if (m_halted || m_ui->problems() > 0)
        return Failure;
    return summary.failed > 0 ? Failure : Success;
}

int CommandLine::analyze(QCommandLineParser &parser, Common &common)
{
    const bool withQuery = parser.isSet(u"query"_s);
    const QString query = parser.value(u"query"_s);
    if (!openCollection(common, false))
        return Failure;
    if (withQuery && !checkQuery(query))
        return Usage;

    ProgressBar bar(common.progress, m_err);
    const auto detachBar = attachBarTo(*m_ui, bar);
    LocationBatchEnvironment env;
    env.collection = [this] { return m_collection.get(); };
    env.ui = m_ui.get();
    env.errors = m_errors.get();
    env.queryWizard = [query]() -> std::optional<QString> { return query; };
    m_ui->setAnswer(QLatin1String(AnalyzeLinksProcess::Question), true);
    m_ui->setAnswer(QLatin1String(LocationBatch::QueryQuestion), withQuery);
    const FetchLimits limits = FetchLimits::current();
    int failures = 0;
    // A page that could not be analysed marks its location failed; the reason is told here.
    const auto fetch = [this, &bar, &failures, limits](const QString &url,
                                                       std::vector<QString> &tokens) {
        QString why;
        const int result = UrlAnalyzer::fetchWith(url, tokens, limits, &why);
        if (result != UrlAnalyzer::Cancelled && result <= 3) {
            ++failures;
            bar.clear();
            print(m_err,
                  u"pathkeep-cli: "_s + url + u": "_s
                      + (why.isEmpty() ? u"the page could not be read"_s : why) + u'\n');
        }
        return result;
    };
    AnalyzeLinksProcess process(std::move(env), fetch);
    QObject::connect(&process, &LocationBatch::progressValue, [&bar](int percent) {
        bar.update(percent);
    });
    if (!process.confirm())
        return Failure;
    if (process.run())
        runUntil([&process] { return process.isFinished(); });
    bar.clear();
    if (!common.quiet) {
        QString text = QString::number(process.processed()) + u" location(s) analysed"_s;
        if (failures > 0)
            text += u", "_s + QString::number(failures) + u" could not be read"_s;
        print(m_err, text + u".\n"_s);
    }
    return m_halted || failures > 0 || m_ui->problems() > 0 ? Failure : Success;
}

int CommandLine::download(QCommandLineParser &parser, Common &common)
{
    const QStringList positional = parser.positionalArguments();
    const bool batch = parser.isSet(u"query"_s) || parser.isSet(u"all"_s);
    if (positional.size() > 1 || (positional.size() == 1) == batch)
        return usageError(u"download takes one URL, or --query FILTER, or --all"_s);
    if (!parser.isSet(u"to"_s))
        return usageError(u"download needs --to DIR"_s);
    const QFileInfo target(parser.value(u"to"_s));
    if (!target.isDir())
        return usageError(parser.value(u"to"_s) + u" is not a folder"_s);
    if (!openCollection(common, false))
        return Failure;
    const QString folder = target.absoluteFilePath();
    const QString logFolder = m_collection->folder();

    const FetchLimits limits = FetchLimits::current();
    const auto failed = [this](const QString &url, const QString &why) {
        print(m_err,
              u"pathkeep-cli: "_s + url + u": "_s + (why.isEmpty() ? u"the download failed"_s : why)
                  + u'\n');
    };
    if (!batch) {
        // "*" names the file after the address, as the multiple download does.
        QString why;
        const QString written = PageDownload::fetch(folder + u"/*"_s,
                                                    positional.first(),
                                                    logFolder,
                                                    limits,
                                                    m_ui.get(),
                                                    &why);
        if (written.isEmpty()) {
            failed(positional.first(), why);
            return Failure;
        }
        print(m_out, written + u'\n');
        return Success;
    }

    const QString query = parser.value(u"query"_s);
    if (parser.isSet(u"query"_s) && !checkQuery(query))
        return Usage;
    ProgressBar bar(common.progress, m_err);
    const auto detachBar = attachBarTo(*m_ui, bar);
    LocationBatchEnvironment env;
    env.collection = [this] { return m_collection.get(); };
    env.ui = m_ui.get();
    env.errors = m_errors.get();
    int failures = 0;
    DownloadUrlsProcess
        process(std::move(env),
                [this, logFolder, limits, &failures, &failed, &bar](const QString &to,
                                                                    const QString &url) {
                    QString why;
                    const QString written
                        = PageDownload::fetch(to, url, logFolder, limits, m_ui.get(), &why);
                    if (written.isEmpty()) {
                        ++failures;
                        bar.clear();
                        failed(url, why);
                    } else {
                        print(m_out, written + u'\n');
                    }
                    return written;
                });
    QObject::connect(&process, &LocationBatch::progressValue, [&bar](int percent) {
        bar.update(percent);
    });
    m_ui->setFolder(folder);
    if (!process.chooseFolder()) {
        print(m_err, u"pathkeep-cli: "_s + folder + u" cannot be used as the folder\n"_s);
        return Failure;
    }
    // --all: the question about the query wizard is answered No.
    m_ui->setAnswer(QLatin1String(LocationBatch::QueryQuestion), false);
    if (process.start(query))
        runUntil([&process] { return process.isFinished(); });
    bar.clear();
    if (failures > 0 && !common.quiet)
        print(m_err, QString::number(failures) + u" download(s) failed.\n"_s);
    return m_halted || failures > 0 || m_ui->problems() > 0 ? Failure : Success;
}

int CommandLine::importFile(QCommandLineParser &parser, Common &common)
{
    const QStringList positional = parser.positionalArguments();
    if (positional.isEmpty() || positional.size() > 2)
        return usageError(u"import takes a KIND and a FILE"_s);
    const QString kind = pick({u"IE"_s,
                               u"Netscape"_s,
                               u"HTML"_s,
                               u"CSV"_s,
                               u"ADV"_s,
                               u"ASCII"_s,
                               u"Previous"_s,
                               u"Firefox"_s,
                               u"Chromium"_s},
                              positional.at(0));
    if (kind.isEmpty())
        return usageError(u"unknown import kind '"_s + positional.at(0) + u"'"_s);
    const bool browser = kind == u"Firefox"_s || kind == u"Chromium"_s;
    if (positional.size() == 1 && !browser)
        return usageError(u"import takes a KIND and a FILE"_s);
    if (parser.isSet(u"nested-folders"_s) && kind != QLatin1String(HtmlImport::BookmarkKind))
        return usageError(u"--nested-folders is for Netscape imports"_s);
    QString file = positional.value(1);
    const std::optional<CategoryMode> mode = CategoryModes::fromValue(
        parser.value(u"category-mode"_s));
    if (!mode || *mode == CategoryMode::Ask)
        return usageError(u"the category mode is Guess, Selected or None"_s);
    const QString category = parser.value(u"category"_s).trimmed();
    if (*mode == CategoryMode::Selected && category.isEmpty())
        return usageError(u"--category-mode Selected needs --category"_s);
    std::optional<QList<FieldListOption::ImportColumn>> map;
    if (parser.isSet(u"map"_s)) {
        QString error;
        map = FieldListOption::importMap(parser.value(u"map"_s), error);
        if (!map)
            return usageError(error);
    }
    if (browser) {
        if (file.isEmpty()) {
            const QString home = QDir::homePath();
            file = BrowserProfiles::defaultFile(kind == u"Firefox"_s
                                                    ? BrowserProfiles::firefox(home)
                                                    : BrowserProfiles::chromium(home));
            if (file.isEmpty()) {
                print(m_err,
                      u"pathkeep-cli: no "_s + kind + u" profile with bookmarks was found in "_s
                          + home + u"; name the file to import.\n"_s);
                return Failure;
            }
        } else if (QFileInfo(file).isDir()) {
            file = QDir(file).filePath(kind == u"Firefox"_s ? u"places.sqlite"_s : u"Bookmarks"_s);
        }
    }
    if (kind == u"IE"_s ? !QFileInfo(file).isDir() : !QFileInfo(file).isFile())
        return usageError(file + (kind == u"IE"_s ? u" is not a folder"_s : u" is not a file"_s));
    const QString path = QFileInfo(file).absoluteFilePath();
    // A browser's file is read before the collection is touched: one that is no bookmark file
    // changes nothing.
    std::vector<BrowserBookmark> bookmarks;
    if (browser) {
        QString error;
        if (kind == u"Firefox"_s ? !FirefoxPlaces::read(path, bookmarks, error)
                                 : !ChromiumBookmarks::read(path, bookmarks, error)) {
            m_ui->message(u"Import"_s, error, UserInterface::Icon::Warning);
            return Failure;
        }
    }
    if (!openCollection(common, common.create))
        return Failure;
    if (*mode == CategoryMode::Selected && !m_collection->categories().exists(category)) {
        print(m_err, u"pathkeep-cli: there is no category '"_s + category + u"'.\n"_s);
        return Usage;
    }

    ProgressBar bar(common.progress, m_err);
    const auto detachBar = attachBarTo(*m_ui, bar);
    ImportTally tally;
    if (kind == u"IE"_s) {
        FavoritesImport import(*m_collection, *m_errors, path, *mode, category);
        import.scan();
        const auto total = qMax<std::size_t>(1, import.entries().size());
        tally = runInsertSteps(import, bar, [&] { return int(import.taken() * 100 / total); });
    } else if (kind == u"Netscape"_s || kind == u"HTML"_s) {
        HtmlImport import(*m_collection,
                          *m_errors,
                          {kind, path, *mode, category, parser.isSet(u"nested-folders"_s)});
        if (!import.open())
            return Failure;
        tally = runInsertSteps(import, bar, [&] { return import.percent(); });
    } else if (browser) {
        BrowserImport import(*m_collection, *m_errors, path, *mode, category);
        import.setBookmarks(std::move(bookmarks));
        const auto total = qMax<std::size_t>(1, import.bookmarks().size());
        tally = runInsertSteps(import, bar, [&] { return int(import.taken() * 100 / total); });
    } else if (kind == u"CSV"_s || kind == u"ASCII"_s) {
        TextImport::Kind textKind = TextImport::Kind::Csv;
        TextImport::kindFromType(kind, textKind);
        TextImportRun import(*m_collection, *m_errors, textKind, *mode, category, path);
        if (!import.open())
            return Failure;
        import.insert().setStepMilliseconds(ImportInsert::UnattendedStepMilliseconds);
        while (import.step())
            bar.update(import.percent());
        bar.clear();
        tally.stopped = import.insert().stopped();
        tally.refused = import.insert().refused() + import.insert().failed();
        tally.added = import.count();
        import.finish();
    } else if (kind == u"ADV"_s) {
        AdvancedImport import(*m_ui);
        if (!import.open(path))
            return Failure;
        if (parser.isSet(u"map"_s)) {
            for (const FieldListOption::ImportColumn &entry : std::as_const(*map)) {
                if (entry.column >= import.importFields().size()) {
                    print(m_err,
                          u"pathkeep-cli: the file has only "_s
                              + QString::number(import.importFields().size()) + u" columns.\n"_s);
                    return Usage;
                }
                import.assign(entry.target, entry.column);
                if (!entry.picture.isEmpty())
                    import.setPicture(entry.column, entry.picture);
            }
            import.setStripHeader(parser.isSet(u"skip-header"_s));
        } else {
            import.autoAssign();
        }
        if (!import.hasAssignment()) {
            m_ui->message(u"No Fields Selected for Import!"_s,
                          u"You must select one or more fields to import."_s,
                          UserInterface::Icon::Warning);
            return Failure;
        }
        import.setDefaultCategory(category);
        ImportInsert insert(*m_collection, *m_errors, CategoryMode::None, QString());
        const AdvancedImportSink sink = importInsertSink(insert);
        if (import.startRun()) {
            while (import.runStep(sink, AdvancedImport::RecordsPerTick, 200))
                bar.update(import.percent());
        }
        bar.clear();
        ImportSummary::show(*m_ui,
                            QString::number(insert.added()) + u" URL(s) imported."_s,
                            insert.counts());
        tally.stopped = insert.stopped();
        tally.refused = insert.refused() + insert.failed();
        tally.added = insert.added();
    } else {
        PreviousVersionImport import(*m_collection, *m_errors);
        if (!import.open(path))
            return Failure;
        while (import.step())
            bar.update(import.percent());
        bar.clear();
        tally.added = import.added();
        tally.refused = import.refused();
        import.finish();
    }
    // Every import has printed its summary by now (quiet keeps it when anything was refused).
    // Duplicates are skipped by design; a location the store refused is work not done.
    return tally.stopped || tally.refused > 0 || m_halted ? Failure : Success;
}

int CommandLine::exportFile(QCommandLineParser &parser, Common &common)
{
    const QStringList positional = parser.positionalArguments();
    if (positional.size() != 2)
        return usageError(u"export takes a TYPE and a FILE"_s);
    const QString type = pick(exportTypes(), positional.at(0));
    if (type.isEmpty())
        return usageError(u"unknown export type '"_s + positional.at(0) + u"'"_s);
    const QString order = pick(exportOrders(), parser.value(u"order"_s));
    if (order.isEmpty())
        return usageError(u"unknown order '"_s + parser.value(u"order"_s) + u"'"_s);
    if (parser.isSet(u"query"_s) && parser.isSet(u"category"_s))
        return usageError(u"use --query or --category, not both"_s);
    QList<ExportFieldEntry> fields = AdvancedExportFields::allFields();
    if (parser.isSet(u"fields"_s)) {
        QString error;
        const auto chosen = FieldListOption::exportFields(parser.value(u"fields"_s), error);
        if (!chosen)
            return usageError(error);
        fields = *chosen;
    }
    if (!openCollection(common, false))
        return Failure;

    ExportSettings settings;
    settings.type = type;
    settings.file = QFileInfo(positional.at(1)).absoluteFilePath();
    settings.order = order;
    settings.pageTitle = parser.value(u"title"_s);
    settings.metaKeywords = parser.value(u"meta-keywords"_s);
    settings.metaDescription = parser.value(u"meta-description"_s);
    settings.rating = parser.isSet(u"rating"_s);
    settings.siteInfo = parser.isSet(u"site-info"_s);
    settings.typePreformatted = parser.isSet(u"preformatted"_s);
    if (parser.isSet(u"query"_s)) {
        settings.categoryAssignment = u"Query"_s;
        m_query = parser.value(u"query"_s);
    } else if (parser.isSet(u"category"_s)) {
        settings.categoryAssignment = u"Selected"_s;
        settings.category = parser.value(u"category"_s).trimmed();
    }

    if (type == u"ADV"_s)
        return exportFields(settings, fields, parser.isSet(u"header"_s), common);

    // The wizard's rules decide which export runs; PATHKEEP.INI is only read, never written.
    IniFile ini(AppFolders::pathkeepIni());
    ini.load();
    ExportWizardModel model(ini, settings);
    model.settings() = settings;
    if (settings.typePreformatted && !model.preformattedUsed())
        return usageError(u"--preformatted needs an HTML type"_s);

    ProgressBar bar(common.progress, m_err);
    const auto detachBar = attachBarTo(*m_ui, bar);
    ExportEnvironment env;
    env.collection = m_collection.get();
    env.ui = m_ui.get();
    const QString query = parser.value(u"query"_s);
    env.queryWizard = [query]() -> std::optional<QString> { return query; };
    env.progress = [&bar](qint64 done, qint64 total) {
        bar.update(total > 0 ? int(qMin<qint64>(100, done * 100 / total)) : 100);
        return true;
    };
    env.bodyInFrame = ini.intValue(u"Settings"_s, u"BodyInFrame"_s) != 0;
    env.templateFolder = m_collection->folder();

    ExportResult result = ExportResult::Failed;
    qint64 written = -1;
    ExportWizardModel::Runners runners;
    runners.exportFile = [&env, &result, &written](const ExportSettings &s) {
        ExportFile exporter(s, env);
        result = exporter.run();
        written = exporter.written();
        return result;
    };
    runners.preformatted = [&env, &result](const ExportSettings &s) {
        result = PreformattedExport(s, env).run();
        return result;
    };
    runners.bookmarkFile = [&env, &result, &written](const ExportSettings &s) {
        BookmarkFileExport exporter(s, env);
        result = exporter.run();
        written = exporter.written();
        return result;
    };
    m_ui->setAnswer(u"Would you like to launch "_s + model.settings().file + u" now?"_s, false);
    model.finish(*m_ui, runners);
    bar.clear();
    if (result != ExportResult::Written || m_halted)
        return Failure;
    if (!common.quiet)
        print(m_err,
              (written >= 0 ? QString::number(written) + u" location(s) exported to "_s
                            : u"Exported to "_s)
                  + model.settings().file + u".\n"_s);
    return Success;
}

int CommandLine::exportFields(const ExportSettings &settings,
                              const QList<ExportFieldEntry> &fields,
                              bool header,
                              Common &common)
{
    AdvancedExportSettings chosen;
    chosen.file = settings.file;
    chosen.order = settings.order;
    chosen.assignment = settings.categoryAssignment;
    chosen.category = settings.category;
    chosen.queryCondition = settings.categoryAssignment == u"Query"_s ? m_query : QString();
    ProgressBar bar(common.progress, m_err);
    const auto detachBar = attachBarTo(*m_ui, bar);
    AdvancedExport exporter(*m_collection, *m_ui);
    if (!exporter.open(chosen, fields, header))
        return Failure;
    AdvancedExport::Step step = AdvancedExport::Step::More;
    while ((step = exporter.step()) == AdvancedExport::Step::More)
        bar.update(exporter.percent());
    bar.clear();
    const bool closed = exporter.close();
    if (step == AdvancedExport::Step::Failed || !closed || m_halted)
        return Failure;
    if (!common.quiet)
        print(m_err,
              QString::number(exporter.written()) + u" location(s) exported to "_s + settings.file
                  + u".\n"_s);
    return Success;
}

} // namespace pk
