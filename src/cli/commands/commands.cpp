#include "cli/commands/commands.h"

#include "export/exportwizardmodel.h"

using namespace Qt::StringLiterals;

namespace pk::Cli {

namespace {

const Command Commands[] = {
    {"list",
     "[--query FILTER] [--order KEY] [--format table|csv|json]",
     "list the locations",
     listOptions,
     runList},
    {"search",
     "TEXT [--order KEY] [--format table|csv|json]",
     "list the locations whose description, comments or keyword contain TEXT",
     searchOptions,
     runSearch},
    {"add",
     "URL --category C [--new-category] [--description D] [--rating N]",
     "add one location",
     addOptions,
     runAdd},
    {"set",
     "URL [--description D] [--category C] [--rating N] [--keyword K] [--comments TEXT] ...",
     "change fields of one location",
     setOptions,
     runSet,
     "\nOnly the fields named change. Each value meets the rules of the location form: a date "
     "is yyyy-MM-dd (or the short date of the locale) from 1801 to 2099, a number is whole, a "
     "text must fit its field and hold no control characters (--site-info may hold line "
     "breaks), the category must exist, an address is whole and without blanks. A "
     "value that does not meet them changes nothing (exit status 2); a change the collection "
     "refuses (a category it does not have, an address it holds already) exits with 1.\n"},
    {"remove",
     "URL...",
     "remove locations, with their keywords and details",
     removeOptions,
     runRemove,
     "\nThe removal is not asked about: naming the address is the confirmation. An address the "
     "collection does not hold is reported and the exit status is 1; the others are removed. An "
     "Internet shortcut file a location came from is left as it is.\n"},
    {"open",
     "URL... | --query FILTER [--most N]",
     "open locations in the desktop's web browser",
     openOptions,
     runOpen,
     "\nEach location is started as the list's Launch starts it (the desktop's handler of its "
     "address) and gets today's date as its last visit. Only locations the collection holds are "
     "opened; one it does not hold is reported and the exit status is 1.\n"},
    {"category",
     "list | add NAME | rename OLD NEW | remove NAME [--move-to OTHER]",
     "list, add, rename or remove categories",
     categoryOptions,
     runCategory,
     "\nA category name is at most 50 characters without control characters, and unique without "
     "regard to letter case. Renaming a category moves its locations and HTML snippets with it. "
     "A category that still holds locations is removed only with --move-to, which moves them to "
     "OTHER first (all in one step: on any failure nothing changes).\n"},
    {"duplicates",
     "[--format text|json]",
     "list groups of near-duplicate locations (Find Duplicates)",
     duplicatesOptions,
     runDuplicates,
     "\nEach group names the address key its locations share, then the locations. Nothing is "
     "changed; merge duplicates in Pathkeep's Find Duplicates window.\n"},
    {"check",
     "[--query FILTER] [--timeout SECONDS]",
     "test the links and record the results",
     checkOptions,
     runCheck,
     "\nThe questions of \"Test Links\" are answered: proceed, and use the query wizard only "
     "when --query is given. Only http:// addresses are tested. The end shows how many passed, "
     "failed, moved (redirected) and were skipped; the exit status is 1 when any failed.\n"},
    {"analyze",
     "[--query FILTER]",
     "fetch each page and fill in its description and details",
     analyzeOptions,
     runAnalyze,
     "\nThe questions of \"Analyze Links\" are answered: proceed, and use the query wizard only "
     "when --query is given.\n"},
    {"download",
     "URL|--query FILTER|--all --to DIR",
     "save pages to a folder",
     downloadOptions,
     runDownload},
    {"import",
     "KIND [FILE] [--category-mode MODE] [--category C]",
     "import locations",
     importOptions,
     runImport,
     "\nThe Ask mode of the wizard is not offered: there is nobody to ask. ADV imports take no "
     "category mode (the columns say it; --category fills in records without one). A record "
     "whose date does not read under its column's picture, or without an address, is refused. "
     "The exit status is 1 when a location was refused (for example for a category the "
     "collection does not have); addresses already stored are skipped. The import ends with a "
     "summary: added, already stored, refused and skipped, each by reason. Firefox and "
     "Chromium read a copy of the browser's file, so the browser may stay open; a bookmark's "
     "folders make its category (\"News: Local\"), its tags keywords.\n"},
    {"export",
     "TYPE FILE [--order KEY] [--query FILTER] [--category C]",
     "export locations",
     exportOptions,
     runExport,
     "\nThe file is not opened afterwards (the wizard's question is answered No). Bookmarks "
     "writes a bookmark file any browser imports (read back by 'import Netscape FILE "
     "--nested-folders'); its order is always the folder tree of the categories.\n"},
    {"backup",
     "DIR",
     "copy the collection's files into a backup folder",
     backupOptions,
     runBackup,
     "\nThe same backup as 'pathkeep-backup --backup DIR': one snapshot of the three files, also "
     "while Pathkeep runs, checked before it takes its name.\n"},
    {"restore",
     "DIR",
     "put the collection's files back from a backup folder",
     restoreOptions,
     runRestore,
     "\nThe same restore as 'pathkeep-backup --restore DIR': the backup is checked first, the "
     "replaced files are kept in a folder 'Replaced ...' inside the collection folder, and a "
     "collection another program has open is not touched.\n"},
};

} // namespace

std::span<const Command> commands()
{
    return Commands;
}

const Command *findCommand(const QString &name)
{
    for (const Command &c : Commands)
        if (name == QLatin1String(c.name))
            return &c;
    return nullptr;
}

QString pick(const QStringList &list, const QString &value)
{
    for (const QString &item : list)
        if (item.compare(value, Qt::CaseInsensitive) == 0)
            return item;
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

namespace Options {

QCommandLineOption query()
{
    return {u"query"_s,
            u"A filter of the query wizard, e.g. \"URL:Category = 'News'\"."_s,
            u"FILTER"_s};
}

QCommandLineOption order()
{
    return {u"order"_s,
            u"Location, Description, CatDesc, CatLoc, Rating or Keyword (default Location)."_s,
            u"KEY"_s,
            u"Location"_s};
}

QCommandLineOption locationFormat()
{
    return {u"format"_s,
            u"table (default), csv (the list export's CSV line, read back by 'import CSV') or "
            "json (every field but the password)."_s,
            u"FORMAT"_s,
            u"table"_s};
}

} // namespace Options

} // namespace pk::Cli
