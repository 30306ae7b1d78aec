#include "export/bookmarkfileexport.h"

#include "export/exportreader.h"
#include "export/htmltext.h"
#include "framework/userinterface.h"
#include "store/categorymanager.h"
#include "store/collection.h"
#include "store/detaillabels.h"
#include "store/detailmanager.h"
#include "store/fieldtext.h"
#include "store/folderchain.h"
#include "store/keywordmanager.h"
#include "store/picture.h"

#include <QSet>

#include <algorithm>
#include <vector>

using namespace Qt::StringLiterals;

namespace pk {

namespace {

/// Folder paths compared folder by folder, letter case aside, so a folder's subfolders follow it.
struct Folder
{
    QStringList path;
    QString category;
};

bool pathLess(const Folder &x, const Folder &y)
{
    const QStringList &a = x.path;
    const QStringList &b = y.path;
    const qsizetype n = std::min(a.size(), b.size());
    for (qsizetype i = 0; i < n; ++i) {
        const int c = a[i].compare(b[i], Qt::CaseInsensitive);
        if (c != 0)
            return c < 0;
    }
    return a.size() < b.size();
}

qint64 secondsOf(const QString &iso)
{
    const QDateTime when = QDateTime::fromString(iso, Qt::ISODate);
    return when.isValid() ? when.toSecsSinceEpoch() : 0;
}

} // namespace

BookmarkFileExport::BookmarkFileExport(ExportSettings settings, ExportEnvironment environment)
    : m_settings(std::move(settings))
    , m_env(std::move(environment))
{}

qint64 BookmarkFileExport::secondsOfDay(qint32 dayNumber)
{
    const QDate date = DayNumber::toDate(dayNumber);
    if (!date.isValid())
        return 0;
    return date.startOfDay().toSecsSinceEpoch();
}

QString BookmarkFileExport::text(const QString &value)
{
    QString escaped = HtmlText::escape(value);
    escaped.replace(u"\r\n"_s, u"&#10;"_s);
    escaped.replace(u'\n', u"&#10;"_s);
    escaped.replace(u'\r', u"&#10;"_s);
    return escaped;
}

QString BookmarkFileExport::indent() const
{
    return QString(4 * (m_open.size() + 1), u' ');
}

bool BookmarkFileExport::line(const QString &text)
{
    if (m_stopped)
        return false;
    if (m_file.writeLine(text))
        return true;
    m_stopped = true;
    const QString message = u"Error adding to "_s + m_file.path() + u": "_s + m_file.error();
    if (m_env.ui)
        m_env.ui->message(u"Export"_s, message, UserInterface::Icon::Critical);
    if (m_env.halt)
        m_env.halt(message);
    return false;
}

bool BookmarkFileExport::closeFolders(qsizetype keep)
{
    while (m_open.size() > keep) {
        m_open.removeLast();
        if (!line(indent() + u"</DL><p>"_s))
            return false;
    }
    return true;
}

bool BookmarkFileExport::openFolders(const QStringList &path)
{
    qsizetype common = 0;
    while (common < m_open.size() && common < path.size()
           && m_open[common].compare(path[common], Qt::CaseInsensitive) == 0)
        ++common;
    if (!closeFolders(common))
        return false;
    for (qsizetype i = common; i < path.size(); ++i) {
        const QString stamp = QString::number(m_now);
        if (!line(indent() + u"<DT><H3 ADD_DATE=\""_s + stamp + u"\" LAST_MODIFIED=\""_s + stamp
                  + u"\">"_s + text(path[i]) + u"</H3>"_s))
            return false;
        // The category's description is the folder's note.
        QString chain;
        for (qsizetype j = 0; j <= i; ++j)
            chain = FolderChain::extend(chain, path[j]);
        CategoryRecord category;
        if (m_env.collection->categories().get(chain, category) && !category.Description.isEmpty()
            && !line(indent() + u"<DD>"_s + text(category.Description)))
            return false;
        if (!line(indent() + u"<DL><p>"_s))
            return false;
        m_open << path[i];
    }
    return true;
}

bool BookmarkFileExport::writeLocation(const LocationRecord &record)
{
    QString anchor = indent() + u"<DT><A HREF=\""_s + text(record.Location) + u'"';
    qint64 added = 0;
    qint64 modified = 0;
    QString shortcut;
    std::vector<DetailRecord> details;
    if (m_env.collection->details().list(record.Location, details)) {
        for (const DetailRecord &d : details) {
            const auto is = [&](const char *label) {
                return d.DataLabel.compare(QLatin1String(label), Qt::CaseInsensitive) == 0;
            };
            if (is(DetailLabel::DateAdded) && added == 0)
                added = secondsOf(d.DataValue);
            else if (is(DetailLabel::LastModified) && modified == 0)
                modified = secondsOf(d.DataValue);
            else if (is(DetailLabel::BrowserKeyword) && shortcut.isEmpty())
                shortcut = d.DataValue.trimmed();
        }
    }
    if (added != 0)
        anchor += u" ADD_DATE=\""_s + QString::number(added) + u'"';
    if (modified != 0)
        anchor += u" LAST_MODIFIED=\""_s + QString::number(modified) + u'"';
    if (const qint64 visit = secondsOfDay(record.LastVisit); visit != 0)
        anchor += u" LAST_VISIT=\""_s + QString::number(visit) + u'"';
    // Keywords are the browsers' tags, comma-separated as they write them.
    std::vector<KeywordRecord> keywords;
    if (m_env.collection->keywords().list(record.Location, keywords) && !keywords.empty()) {
        QStringList tags;
        for (const KeywordRecord &k : keywords) {
            tags << k.Keyword;
            if (k.Keyword.contains(u','))
                ++m_commaKeywords;
        }
        anchor += u" TAGS=\""_s + text(tags.join(u',')) + u'"';
    }
    if (!shortcut.isEmpty())
        anchor += u" SHORTCUTURL=\""_s + text(shortcut) + u'"';
    // A blank description stays blank: a browser shows the address in its place.
    if (!line(anchor + u'>' + text(record.Description) + u"</A>"_s))
        return false;
    if (!record.SiteInfo.isEmpty() || !record.Comments.isEmpty()) {
        QString dd = indent() + u"<DD>"_s + text(record.SiteInfo);
        if (!record.Comments.isEmpty())
            dd += u"<BR>"_s + text(record.Comments);
        if (!line(dd))
            return false;
    }
    ++m_written;
    return true;
}

bool BookmarkFileExport::writeCategory(const QString &category)
{
    ExportSettings settings = m_settings;
    settings.order = u"CatDesc"_s;
    ExportResult result = ExportResult::Written;
    // The query was asked once, at the start; each category reads it again without the wizard.
    const std::unique_ptr<ExportReader> reader = ExportReader::open(settings, m_env, result);
    if (!reader)
        return false;
    reader->setCategoryRange(category);
    LocationRecord record;
    bool opened = false;
    while (reader->next(record)) {
        if (!opened) {
            if (!openFolders(category.isEmpty() ? QStringList() : FolderChain::split(category)))
                return false;
            opened = true;
        }
        if (!writeLocation(record))
            return false;
    }
    if (!reader->status()) {
        m_stopped = true;
        if (m_env.ui)
            m_env.ui->message(u"Export"_s,
                              u"Error reading Locations: "_s + reader->status().text,
                              UserInterface::Icon::Critical);
        return false;
    }
    return true;
}

ExportResult BookmarkFileExport::run()
{
    if (!m_env.collection)
        return ExportResult::Failed;
    m_written = 0;
    m_commaKeywords = 0;
    m_open.clear();
    m_stopped = false;
    m_now = QDateTime::currentSecsSinceEpoch();

    // The query wizard runs once; every category then reads with the condition it gave.
    if (m_settings.categoryAssignment == u"Query"_s) {
        const std::optional<QString> query = m_env.queryWizard ? m_env.queryWizard()
                                                               : std::optional<QString>(QString());
        if (!query)
            return ExportResult::Cancelled;
        const QString condition = *query;
        m_env.queryWizard = [condition] { return std::optional<QString>(condition); };
    }

    // The categories the locations carry (also one no longer in Categories), each once.
    std::vector<Folder> paths;
    {
        ExportSettings settings = m_settings;
        settings.order = u"CatDesc"_s;
        ExportResult result = ExportResult::Written;
        const std::unique_ptr<ExportReader> reader = ExportReader::open(settings, m_env, result);
        if (!reader)
            return result;
        reader->setListFieldsOnly(true);
        QSet<QString> seen;
        LocationRecord record;
        while (reader->next(record)) {
            const QString folded = record.Category.toCaseFolded();
            if (seen.contains(folded))
                continue;
            seen.insert(folded);
            paths.push_back(
                {record.Category.isEmpty() ? QStringList() : FolderChain::split(record.Category),
                 record.Category});
        }
        if (!reader->status()) {
            if (m_env.ui)
                m_env.ui->message(u"Export"_s,
                                  u"Error reading Locations: "_s + reader->status().text,
                                  UserInterface::Icon::Critical);
            return ExportResult::Failed;
        }
    }
    // Locations without a category (from older collections) stand outside every folder, first.
    std::stable_sort(paths.begin(), paths.end(), pathLess);

    if (!m_file.open(m_settings.file)) {
        const QString message = u"Error opening "_s + m_settings.file + u": "_s + m_file.error();
        if (m_env.ui)
            m_env.ui->message(u"Export"_s, message, UserInterface::Icon::Critical);
        return ExportResult::Failed;
    }
    m_file.setMaxLine(0);
    QString title = trimTrailingSpaces(m_settings.pageTitle);
    if (title.isEmpty())
        title = u"Bookmarks"_s;
    line(u"<!DOCTYPE NETSCAPE-Bookmark-file-1>"_s);
    line(u"<!-- This is an automatically generated file."_s);
    line(u"     It will be read and overwritten."_s);
    line(u"     DO NOT EDIT! -->"_s);
    line(u"<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=UTF-8\">"_s);
    line(u"<TITLE>"_s + text(title) + u"</TITLE>"_s);
    line(u"<H1>"_s + text(title) + u"</H1>"_s);
    line(u"<DL><p>"_s);
    const qint64 total = qint64(paths.size());
    qint64 done = 0;
    for (const Folder &folder : paths) {
        if (m_stopped || !writeCategory(folder.category))
            break;
        if (m_env.progress && !m_env.progress(++done, total)) {
            m_file.discard();
            return ExportResult::Cancelled;
        }
    }
    if (m_stopped) {
        m_file.discard();
        return ExportResult::Failed;
    }
    closeFolders(0);
    line(u"</DL><p>"_s);
    if (m_stopped || !m_file.close()) {
        if (!m_stopped && m_env.ui)
            m_env.ui->message(u"Export"_s,
                              u"Error adding to "_s + m_file.path() + u": "_s + m_file.error(),
                              UserInterface::Icon::Critical);
        return ExportResult::Failed;
    }
    if (m_commaKeywords > 0 && m_env.ui)
        m_env.ui->message(u"Export"_s,
                          QString::number(m_commaKeywords)
                              + u" keyword(s) hold a comma: a browser reads the parts of each as "
                                "tags of their own."_s,
                          UserInterface::Icon::Information);
    return ExportResult::Written;
}

} // namespace pk
