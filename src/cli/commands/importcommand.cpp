// import KIND [FILE]: every import of the Import Wizard, one function a kind.

#include "cli/commands/commandcontext.h"
#include "cli/commands/commands.h"
#include "cli/consoleuserinterface.h"
#include "cli/fieldlistoption.h"
#include "cli/progressbar.h"
#include "import/advanced/advancedimport.h"
#include "import/advanced/importinsertsink.h"
#include "import/browserimport.h"
#include "import/browserprofiles.h"
#include "import/categorymode.h"
#include "import/chromiumbookmarks.h"
#include "import/favoritesimport.h"
#include "import/firefoxplaces.h"
#include "import/htmlimport.h"
#include "import/importinsert.h"
#include "import/importsummary.h"
#include "import/previous/previousversionimport.h"
#include "import/text/textimport.h"
#include "import/text/textimportrun.h"
#include "store/categorymanager.h"
#include "store/collection.h"

#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>

#include <variant>

using namespace Qt::StringLiterals;

namespace pk::Cli {

namespace {

/// What the command line asks of an import, checked before the collection is touched.
struct ImportCommandRequest
{
    QString kind;
    QString path; ///< absolute
    CategoryMode mode = CategoryMode::Guess;
    QString category;
    bool nestedFolders = false;
    std::optional<QList<FieldListOption::ImportColumn>> map;
    bool skipHeader = false;
    std::vector<BrowserBookmark> bookmarks; ///< a browser's, read beforehand

    bool isBrowser() const { return kind == u"Firefox"_s || kind == u"Chromium"_s; }
};

/// What an import added, and whether it stopped or had locations refused.
struct ImportTally
{
    bool stopped = false;
    int added = 0;
    int refused = 0; ///< refused by the store's rules or failed to write
};

/// An import run: its request, the console and the progress bar that messages clear first.
struct ImportRun
{
    const ImportCommandRequest &request;
    CommandContext &context;
    ProgressBar &bar;
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

/// The kind, file and category rules; the exit status when the command line is wrong.
std::optional<int> readRequest(QCommandLineParser &parser,
                               CommandContext &context,
                               ImportCommandRequest &request)
{
    const QStringList positional = parser.positionalArguments();
    if (positional.isEmpty() || positional.size() > 2)
        return context.usageError(u"import takes a KIND and a FILE"_s);
    request.kind = pick({u"IE"_s,
                         u"Netscape"_s,
                         u"HTML"_s,
                         u"CSV"_s,
                         u"ADV"_s,
                         u"ASCII"_s,
                         u"Previous"_s,
                         u"Firefox"_s,
                         u"Chromium"_s},
                        positional.at(0));
    if (request.kind.isEmpty())
        return context.usageError(u"unknown import kind '"_s + positional.at(0) + u"'"_s);
    if (positional.size() == 1 && !request.isBrowser())
        return context.usageError(u"import takes a KIND and a FILE"_s);
    request.nestedFolders = parser.isSet(u"nested-folders"_s);
    if (request.nestedFolders && request.kind != QLatin1String(HtmlImport::BookmarkKind))
        return context.usageError(u"--nested-folders is for Netscape imports"_s);
    request.path = positional.value(1);
    const std::optional<CategoryMode> mode = CategoryModes::fromValue(
        parser.value(u"category-mode"_s));
    if (!mode || *mode == CategoryMode::Ask)
        return context.usageError(u"the category mode is Guess, Selected or None"_s);
    request.mode = *mode;
    request.category = parser.value(u"category"_s).trimmed();
    if (request.mode == CategoryMode::Selected && request.category.isEmpty())
        return context.usageError(u"--category-mode Selected needs --category"_s);
    if (parser.isSet(u"map"_s)) {
        QString error;
        request.map = FieldListOption::importMap(parser.value(u"map"_s), error);
        if (!request.map)
            return context.usageError(error);
    }
    request.skipHeader = parser.isSet(u"skip-header"_s);
    return std::nullopt;
}

/// A browser's file: the one named, the one in a named profile folder, or the first profile's
/// in the home folder; read before the collection is touched, so one that is no bookmark file
/// changes nothing. The exit status when there is none or it does not read.
std::optional<int> readBrowserFile(CommandContext &context, ImportCommandRequest &request)
{
    const bool firefox = request.kind == u"Firefox"_s;
    if (request.path.isEmpty()) {
        const QString home = QDir::homePath();
        request.path = BrowserProfiles::defaultFile(firefox ? BrowserProfiles::firefox(home)
                                                            : BrowserProfiles::chromium(home));
        if (request.path.isEmpty()) {
            context.complain(u"no "_s + request.kind + u" profile with bookmarks was found in "_s
                             + home + u"; name the file to import."_s);
            return Failure;
        }
    } else if (QFileInfo(request.path).isDir()) {
        request.path = QDir(request.path).filePath(firefox ? u"places.sqlite"_s : u"Bookmarks"_s);
    }
    if (!QFileInfo(request.path).isFile())
        return context.usageError(request.path + u" is not a file"_s);
    request.path = QFileInfo(request.path).absoluteFilePath();
    QString error;
    if (firefox ? !FirefoxPlaces::read(request.path, request.bookmarks, error)
                : !ChromiumBookmarks::read(request.path, request.bookmarks, error)) {
        context.ui().message(u"Import"_s, error, UserInterface::Icon::Warning);
        return Failure;
    }
    return std::nullopt;
}

ImportTally importFavorites(ImportRun &run)
{
    FavoritesImport import(run.context.collection(),
                           run.context.errors(),
                           run.request.path,
                           run.request.mode,
                           run.request.category);
    import.scan();
    const auto total = qMax<std::size_t>(1, import.entries().size());
    return runInsertSteps(import, run.bar, [&] { return int(import.taken() * 100 / total); });
}

std::optional<ImportTally> importHtml(ImportRun &run)
{
    const ImportCommandRequest &r = run.request;
    HtmlImport import(run.context.collection(),
                      run.context.errors(),
                      {r.kind, r.path, r.mode, r.category, r.nestedFolders});
    if (!import.open())
        return std::nullopt;
    return runInsertSteps(import, run.bar, [&] { return import.percent(); });
}

ImportTally importBrowser(ImportRun &run, std::vector<BrowserBookmark> bookmarks)
{
    BrowserImport import(run.context.collection(),
                         run.context.errors(),
                         run.request.path,
                         run.request.mode,
                         run.request.category);
    import.setBookmarks(std::move(bookmarks));
    const auto total = qMax<std::size_t>(1, import.bookmarks().size());
    return runInsertSteps(import, run.bar, [&] { return int(import.taken() * 100 / total); });
}

std::optional<ImportTally> importText(ImportRun &run)
{
    TextImport::Kind textKind = TextImport::Kind::Csv;
    TextImport::kindFromType(run.request.kind, textKind);
    TextImportRun import(run.context.collection(),
                         run.context.errors(),
                         textKind,
                         run.request.mode,
                         run.request.category,
                         run.request.path);
    if (!import.open())
        return std::nullopt;
    import.insert().setStepMilliseconds(ImportInsert::UnattendedStepMilliseconds);
    while (import.step())
        run.bar.update(import.percent());
    run.bar.clear();
    ImportTally tally;
    tally.stopped = import.insert().stopped();
    tally.refused = import.insert().refused() + import.insert().failed();
    tally.added = import.count();
    import.finish();
    return tally;
}

/// The columns of a field-mapped import: --map, or those the first record names. The exit
/// status when they do not fit the file.
std::optional<int> assignColumns(ImportRun &run, AdvancedImport &import)
{
    if (!run.request.map) {
        import.autoAssign();
        return std::nullopt;
    }
    for (const FieldListOption::ImportColumn &entry : std::as_const(*run.request.map)) {
        if (entry.column >= import.importFields().size()) {
            run.context.complain(u"the file has only "_s
                                 + QString::number(import.importFields().size()) + u" columns."_s);
            return Usage;
        }
        import.assign(entry.target, entry.column);
        if (!entry.picture.isEmpty())
            import.setPicture(entry.column, entry.picture);
    }
    import.setStripHeader(run.request.skipHeader);
    return std::nullopt;
}

/// The field-mapped import ("ADV"): an ImportTally, or the exit status of a run that could
/// not start.
std::variant<ImportTally, int> importFields(ImportRun &run)
{
    AdvancedImport import(run.context.ui());
    if (!import.open(run.request.path))
        return Failure;
    if (const std::optional<int> wrong = assignColumns(run, import))
        return *wrong;
    if (!import.hasAssignment()) {
        run.context.ui().message(u"No Fields Selected for Import!"_s,
                                 u"You must select one or more fields to import."_s,
                                 UserInterface::Icon::Warning);
        return Failure;
    }
    import.setDefaultCategory(run.request.category);
    ImportInsert insert(run.context.collection(), run.context.errors(), CategoryMode::None, {});
    const AdvancedImportSink sink = importInsertSink(insert);
    if (import.startRun()) {
        while (import.runStep(sink, AdvancedImport::RecordsPerTick, 200))
            run.bar.update(import.percent());
    }
    run.bar.clear();
    ImportSummary::show(run.context.ui(),
                        QString::number(insert.added()) + u" URL(s) imported."_s,
                        insert.counts());
    return ImportTally{insert.stopped(), insert.added(), insert.refused() + insert.failed()};
}

std::optional<ImportTally> importPrevious(ImportRun &run)
{
    PreviousVersionImport import(run.context.collection(), run.context.errors());
    if (!import.open(run.request.path))
        return std::nullopt;
    while (import.step())
        run.bar.update(import.percent());
    run.bar.clear();
    ImportTally tally;
    tally.added = import.added();
    tally.refused = import.refused();
    import.finish();
    return tally;
}

/// Runs the import of the request's kind; the exit status of one that could not start.
std::variant<ImportTally, int> importKind(ImportRun &run, ImportCommandRequest &request)
{
    const QString &kind = request.kind;
    std::optional<ImportTally> tally;
    if (kind == u"IE"_s)
        tally = importFavorites(run);
    else if (kind == u"Netscape"_s || kind == u"HTML"_s)
        tally = importHtml(run);
    else if (request.isBrowser())
        tally = importBrowser(run, std::move(request.bookmarks));
    else if (kind == u"CSV"_s || kind == u"ASCII"_s)
        tally = importText(run);
    else if (kind == u"ADV"_s)
        return importFields(run);
    else
        tally = importPrevious(run);
    if (!tally)
        return Failure;
    return *tally;
}

} // namespace

void importOptions(QCommandLineParser &parser)
{
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
}

int runImport(QCommandLineParser &parser, CommandContext &context)
{
    ImportCommandRequest request;
    if (const std::optional<int> wrong = readRequest(parser, context, request))
        return *wrong;
    if (request.isBrowser()) {
        if (const std::optional<int> failed = readBrowserFile(context, request))
            return *failed;
    } else {
        const bool folder = request.kind == u"IE"_s;
        if (folder ? !QFileInfo(request.path).isDir() : !QFileInfo(request.path).isFile())
            return context.usageError(request.path
                                      + (folder ? u" is not a folder"_s : u" is not a file"_s));
        request.path = QFileInfo(request.path).absoluteFilePath();
    }
    if (!context.openCollection(true))
        return Failure;
    if (request.mode == CategoryMode::Selected
        && !context.collection().categories().exists(request.category)) {
        context.complain(u"there is no category '"_s + request.category + u"'."_s);
        return Usage;
    }

    ProgressBar bar(context.options().progress, context.err());
    context.ui().setProgressBar(&bar);
    ImportRun run{request, context, bar};
    const std::variant<ImportTally, int> result = importKind(run, request);
    context.ui().setProgressBar(nullptr);
    if (const int *code = std::get_if<int>(&result))
        return *code;
    // Every import has printed its summary by now (quiet keeps it when anything was refused).
    // Duplicates are skipped by design; a location the store refused is work not done.
    const ImportTally &tally = std::get<ImportTally>(result);
    return tally.stopped || tally.refused > 0 || context.halted() ? Failure : Success;
}

} // namespace pk::Cli
