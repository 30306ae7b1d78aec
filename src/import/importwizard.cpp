#include "import/importwizard.h"

#include "import/browserprofiles.h"
#include "import/textlinereader.h"
#include "shell/procedurenames.h"
#include "store/categorymanager.h"
#include "store/collection.h"
#include "store/fieldtext.h"

#include <QDir>
#include <QFileInfo>

using namespace Qt::StringLiterals;

namespace pk {

namespace {

bool is(const QString &type, const char *value)
{
    return type.trimmed().compare(QLatin1String(value), Qt::CaseInsensitive) == 0;
}

constexpr qint64 kMaxHelpSize = 4 * 1024 * 1024;

} // namespace

const std::vector<ImportWizard::Kind> &ImportWizard::kinds()
{
    static const std::vector<Kind> list = {
        {"IE", "Microsoft Internet Explorer favorites"},
        {"Netscape", "Netscape"},
        {"HTML", "Single HTML document"},
        {"CSV", "Comma-delimited text file"},
        {"ADV", "&Comma-delimited text with advanced options"},
        {"ASCII", "Other text file"},
        {"URL", "From web site"},
        {"Firefox", "Firefox bookmarks"},
        {"Chromium", "Chromium, Google Chrome, Brave or Vivaldi bookmarks"},
    };
    return list;
}

ImportWizard::Pages ImportWizard::pages(const QString &type)
{
    Pages p;
    if (is(type, "IE"))
        p.favorites = true;
    else if (is(type, "Netscape") || is(type, "HTML") || is(type, "CSV") || is(type, "ASCII")
             || is(type, "Firefox") || is(type, "Chromium"))
        p.file = true;
    else if (is(type, "URL"))
        p.url = true;
    else if (is(type, "ADV")) {
        p.file = true;
        p.category = false;
    }
    return p;
}

QString ImportWizard::fileProblem(const ImportSettings &settings)
{
    if (!pages(settings.type).file)
        return {};
    const QString file = settings.file.trimmed();
    if (file.isEmpty())
        return u"No file was named to import."_s;
    const QFileInfo info(file);
    if (!info.exists())
        return u"Could not open "_s + file + u": the file does not exist."_s;
    if (info.isDir())
        return u"Could not open "_s + file + u": it is a folder, not a file."_s;
    return {};
}

QString ImportWizard::fileFilter(const QString &type)
{
    if (is(type, "Netscape"))
        return u"Netscape Bookmark File|bookmark.htm|All Files|*.*"_s;
    if (is(type, "HTML"))
        return u"HTML Files|*.html|HTM Files|*.htm|All Files|*.*"_s;
    if (is(type, "CSV") || is(type, "ADV"))
        return u"Comma-separated value files|*.csv|All Files|*.*"_s;
    if (is(type, "ASCII"))
        return u"Text files|*.txt|All Files|*.*"_s;
    if (is(type, "Firefox"))
        return u"Firefox bookmarks|places.sqlite|All Files|*.*"_s;
    if (is(type, "Chromium"))
        return u"Chromium bookmarks|Bookmarks|All Files|*.*"_s;
    return u"All Files|*.*"_s;
}

QString ImportWizard::fileHint(const QString &type)
{
    if (is(type, "CSV"))
        return u"Columns in this order, one location a line, as the CSV export writes them:\n"
               "\"Category\",\"Address\",\"Description\",\"Site information\",Rating\n"
               "(site information and rating may be left out). A row whose second column is no "
               "address is refused. For other layouts choose \"Comma-delimited text with "
               "advanced options\"."_s;
    if (is(type, "ADV"))
        return u"The next window shows the file's columns; assign each to a field, or let "
               "\"Auto\" follow a header record of field names."_s;
    return {};
}

bool ImportWizard::categoryEnabled(const QString &assignment)
{
    return is(assignment, "Selected");
}

ImportWizard::Start ImportWizard::startFor(const ImportSettings &settings)
{
    Start start;
    start.request = ImportRequest{settings};
    const QString &type = settings.type;
    if (is(type, "ADV"))
        start.procedure = QLatin1String(Procedure::AdvancedImport);
    else if (is(type, "IE"))
        start.procedure = QLatin1String(Procedure::ImportFavorites);
    else if (is(type, "Netscape") || is(type, "HTML"))
        start.procedure = QLatin1String(Procedure::ImportHtml);
    else if (is(type, "CSV") || is(type, "ASCII"))
        start.procedure = QLatin1String(Procedure::ImportText);
    else if (is(type, "Firefox") || is(type, "Chromium"))
        start.procedure = QLatin1String(Procedure::ImportBrowser);
    else if (is(type, "URL") && settings.followLinks != 0)
        start.procedure = QLatin1String(Procedure::ImportWebPage); // the page's links
    else if (is(type, "URL")) {
        start.procedure = QLatin1String(Procedure::NewUrlWizard);
        start.request = NewLocationRequest{settings.url};
    }
    return start;
}

bool ImportWizard::isBrowserKind(const QString &type)
{
    return is(type, "Firefox") || is(type, "Chromium");
}

QString ImportWizard::browserFile(const QString &type, const QString &current, const QString &home)
{
    const QString name = QFileInfo(current.trimmed()).fileName();
    if (is(type, "Firefox")) {
        if (name.compare(u"places.sqlite"_s, Qt::CaseInsensitive) == 0)
            return current;
        const QString found = BrowserProfiles::defaultFile(BrowserProfiles::firefox(home));
        return found.isEmpty() ? current : found;
    }
    if (is(type, "Chromium")) {
        if (name == u"Bookmarks"_s)
            return current;
        const QString found = BrowserProfiles::defaultFile(BrowserProfiles::chromium(home));
        return found.isEmpty() ? current : found;
    }
    return current;
}

bool ImportWizard::acceptCategory(Collection &collection,
                                  QString &entry,
                                  const CategoryChooser &choose)
{
    const QString name = trimTrailingSpaces(entry);
    if (name.trimmed().isEmpty())
        return true;
    if (collection.categories().exists(name))
        return true;
    const std::optional<QString> chosen = choose ? choose(name) : std::nullopt;
    if (!chosen)
        return false;
    entry = *chosen;
    return true;
}

QString ImportWizard::helpFile(const QString &name,
                               const QString &collectionFolder,
                               const QString &dataFolder)
{
    for (const QString &folder : {collectionFolder, dataFolder}) {
        if (folder.isEmpty())
            continue;
        const QString path = QDir(folder).filePath(name);
        if (QFileInfo(path).isFile())
            return path;
    }
    return {};
}

std::optional<QString> ImportWizard::readHelp(const QString &path)
{
    if (path.isEmpty() || QFileInfo(path).size() > kMaxHelpSize)
        return std::nullopt;
    TextLineReader reader;
    if (!reader.open(path))
        return std::nullopt;
    QString text;
    while (const std::optional<TextLineReader::Line> line = reader.next()) {
        if (!text.isEmpty() && !line->continuation)
            text += u'\n';
        text += line->text;
    }
    return text;
}

} // namespace pk
