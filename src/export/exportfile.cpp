#include "export/exportfile.h"

#include "export/exportreader.h"
#include "export/htmltext.h"
#include "framework/userinterface.h"
#include "import/csv/locationcsvline.h"
#include "store/cathtmlmanager.h"
#include "store/collection.h"
#include "store/fieldtext.h"
#include "store/picture.h"

#include <QScopeGuard>

using namespace Qt::StringLiterals;

namespace pk {

namespace {

constexpr const char *ReplaceTitle = "Replace Title";
constexpr const char *BeforeCategory = "Before Category";
constexpr const char *BeforeCategoryTitle = "Before Category Title";
constexpr const char *AfterCategoryTitle = "After Category Title";
constexpr const char *AfterCategory = "After Category";

QString esc(const QString &text)
{
    return HtmlText::escape(text);
}

/// A field at least at its stored width, for the fixed-column text layout; a longer value is
/// kept whole.
QString padded(const QString &value, int width)
{
    QString v = value;
    v.replace(u'\n', u' ');
    v.replace(u'\r', u' ');
    return v.leftJustified(width, u' ', false);
}

} // namespace

ExportFile::ExportFile(ExportSettings settings, ExportEnvironment environment)
    : m_settings(std::move(settings))
    , m_env(std::move(environment))
{}

ExportFile::~ExportFile() = default;

ExportResult ExportFile::run()
{
    const QString &order = m_settings.order;
    if (order == u"Location"_s || order == u"Description"_s || order == u"Keyword"_s
        || order == u"Rating"_s)
        return exportFileDescription();
    if (order != u"CatDesc"_s && order != u"CatLoc"_s) {
        if (m_env.ui)
            m_env.ui->message(u"Export"_s,
                              u"Undefined export order."_s,
                              UserInterface::Icon::Warning);
        return ExportResult::Failed;
    }
    return runPass(true);
}

ExportResult ExportFile::exportFileDescription()
{
    return runPass(false);
}

ExportResult ExportFile::runPass(bool grouped)
{
    if (m_settings.type == u"Simple"_s)
        m_style = Style::Simple;
    else if (m_settings.type == u"Table"_s)
        m_style = Style::Table;
    else if (m_settings.type == u"Frame"_s)
        m_style = Style::Frame;
    else if (m_settings.type == u"CSV"_s)
        m_style = Style::Csv;
    else if (m_settings.type == u"ASCII"_s)
        m_style = Style::Ascii;
    else {
        if (m_env.ui)
            m_env.ui->message(u"Export"_s,
                              u"Undefined export type."_s,
                              UserInterface::Icon::Warning);
        return ExportResult::Failed;
    }

    m_group.clear();
    m_groupOpen = false;
    m_groupCounter = 0;
    m_pageCounter = 0;
    m_index.clear();
    m_contents.clear();
    m_failed = false;
    m_written = 0;
    m_snippets.clear();
    m_names = ExportFileNames::of(m_settings.file);

    ExportResult result = ExportResult::Written;
    const std::unique_ptr<ExportReader> reader = ExportReader::open(m_settings, m_env, result);
    if (!reader)
        return result;
    // Whatever ends the run early leaves none of its files under their names.
    const auto dropUnfinished = qScopeGuard([this] {
        m_page.discard();
        m_main.discard();
    });
    reader->setListFieldsOnly(true);
    const qint64 total = m_env.progress ? reader->total() : 0;

    if (!openPage(m_main, m_settings.file))
        return ExportResult::Failed;
    const bool html = m_style == Style::Simple || m_style == Style::Table
                      || m_style == Style::Frame;
    if (html && !pageStart(grouped))
        return ExportResult::Failed;

    LocationRecord record;
    qint64 done = 0;
    while (!m_failed && reader->next(record)) {
        ++done;
        if (grouped && html && record.Category != m_group && !groupStart(record))
            break;
        if (!locationLines(record))
            break;
        ++m_written;
        if (m_env.progress && (done % 256) == 0 && !m_env.progress(done, total))
            return ExportResult::Cancelled;
    }
    if (!m_failed && !reader->status()) {
        stop(u"Error reading Locations: "_s + reader->status().text);
        return ExportResult::Failed;
    }
    if (m_failed || (html && !finish(grouped)))
        return ExportResult::Failed;
    if (m_page.isOpen() && !m_page.close()) {
        stop(u"Error adding to "_s + m_page.path() + u": "_s + m_page.error());
        return ExportResult::Failed;
    }
    if (!m_main.close()) {
        stop(u"Error adding to "_s + m_main.path() + u": "_s + m_main.error());
        return ExportResult::Failed;
    }
    if (m_env.progress)
        m_env.progress(total, total);
    return ExportResult::Written;
}

bool ExportFile::pageStart(bool grouped)
{
    const QString title = esc(trimTrailingSpaces(m_settings.pageTitle));
    const QString product = QLatin1String(Product);
    const QString bodyEnd = m_style == Style::Frame ? QString() : u"<body>"_s;
    const QString replaced = snippetText(QLatin1String(BeforeAll), QLatin1String(ReplaceTitle));
    if (!replaced.isEmpty())
        main(u"<html><head><title>"_s + replaced + u"</title></head>"_s + bodyEnd);
    else
        main(u"<html><head><title>"_s + product + u" - "_s + title + u"</title></head>"_s + bodyEnd);
    for (const CatHtmlRecord &row : snippetsOf(QLatin1String(BeforeAll))) {
        if (!row.TypeOfHTML.startsWith(u"Replace"_s, Qt::CaseInsensitive)
            && !trimTrailingSpaces(row.HTMLtoAdd).isEmpty())
            main(row.HTMLtoAdd);
    }
    if (m_style == Style::Frame) {
        const QString n = esc(m_names.baseName);
        main(u"<frameset rows=\"80%,20%\"><frameset cols=\"15%,85%\"><frame src=\""_s + n
             + u"c.htm\" name=\"contents\" marginwidth=\"1\" marginheight=\"1\">"_s);
        main(u"<frame src=\""_s + n
             + u"m.htm\" name=\"main\" marginwidth=\"1\" marginheight=\"1\"></frameset>"_s);
        main(u"<frame src=\""_s + n
             + u"b.htm\" name=\"banner\" marginwidth=\"1\" marginheight=\"1\"><noframes>"_s);
        if (!openPage(m_page, m_names.basePath + u"m.htm"_s))
            return false;
    }
    if (grouped) {
        const QString date = m_env.locale.toString(m_env.today, u"MMMM d, yyyy"_s);
        main(u"<center><h3>"_s + title + u" Generated by "_s + product + u" on "_s + date
             + u"</h3></center>"_s);
    } else {
        const QString date
            = Picture(u"@d17"_s, m_env.locale).format(DayNumber::fromDate(m_env.today));
        main(u"<center><h3>Last generated: "_s + date + u"</h3></center>"_s);
    }
    if (grouped) {
        main(u"<h6><a href=\"#URLIndex\">Jump to Index</a></h6><hr>"_s);
        return !m_failed;
    }
    // A list in one order has no index to jump to; its rows go into one list or one table,
    // and the frame's main page is a page of its own.
    main(u"<hr>"_s);
    if (m_style == Style::Simple) {
        main(u"<ul>"_s);
    } else {
        main(u"<div align=left><table border=1 width=100%>"_s);
        if (m_style == Style::Frame) {
            const QString head = u"<html><head><title>"_s + flatTitle() + u"</title></head>"_s;
            write(m_page, head + (m_env.bodyInFrame ? u"<ul>"_s : u"<body><ul>"_s));
            m_contents << u"<tr><td><a href=\""_s + esc(ExportFileNames::fileNamePart(m_page.path()))
                              + u"\">"_s + flatTitle() + u"</a></td></tr>"_s;
        }
    }
    return !m_failed;
}

QString ExportFile::flatTitle() const
{
    const QString title = esc(trimTrailingSpaces(m_settings.pageTitle));
    return title.isEmpty() ? u"All Locations"_s : title;
}

bool ExportFile::writeContents()
{
    TextLineWriter contents;
    if (!openPage(contents, m_names.basePath + u"c.htm"_s))
        return false;
    write(contents,
          u"<html><title><head>Table of Contents</title><base target=\"main\"></head><body>"_s);
    write(contents, u"<div align=left><table border=1 width=100%>"_s);
    for (const QString &line : std::as_const(m_contents))
        write(contents, line);
    write(contents, u"</table></div>"_s);
    if (!m_failed && !contents.close())
        stop(u"Error adding to "_s + contents.path() + u": "_s + contents.error());
    return !m_failed;
}

bool ExportFile::groupStart(const LocationRecord &record)
{
    if (m_groupOpen && !groupEnd(false))
        return false;
    m_groupOpen = true;
    const QString c = esc(record.Category);
    const QString replaced = snippetText(record.Category, QLatin1String(ReplaceTitle));
    const QString heading = replaced.isEmpty() ? c : replaced;
    if (m_style == Style::Table || m_style == Style::Frame) {
        if (m_style == Style::Frame) {
            const QString f = ExportFileNames::fileNamePart(m_page.path());
            const QString text = c.isEmpty() && !f.isEmpty() ? u"No Category"_s : c;
            m_contents << u"<tr><td><a href=\""_s + esc(f) + u"\">"_s + text + u"</a></td></tr>"_s;
            const QString beforeAll = snippetText(QLatin1String(BeforeAll),
                                                  QLatin1String(ReplaceTitle));
            if (!beforeAll.isEmpty())
                write(m_page,
                      u"<html><head><title>"_s + beforeAll + u" - "_s + c
                          + u"</title></head><body>"_s);
            else if (m_env.bodyInFrame)
                write(m_page, u"<html><head><title>"_s + c + u"</title></head>"_s);
            else
                write(m_page, u"<html><head><title>"_s + c + u"</title></head><body>"_s);
        }
        snippet(record.Category, BeforeCategory);
        main(u"<div align=left><table border=1 width=100%><ul>"_s);
        main(u"<tr><td align=center colspan=3 width=100%>"_s);
        snippet(record.Category, BeforeCategoryTitle);
        ++m_groupCounter;
        m_group = record.Category;
        const QString n = QString::number(m_groupCounter);
        both(u"<h3><a name=\"URL"_s + n + u"\">"_s + heading + u"</a></h3>"_s);
        m_index << u"<a href=\"#URL"_s + n + u"\">"_s + c + u"</a>"_s;
        snippet(record.Category, AfterCategoryTitle);
        main(u"</td></tr>"_s);
        if (m_style == Style::Frame)
            write(m_page, u"<ul>"_s);
    } else {
        snippet(record.Category, BeforeCategory);
        main(u"<ul>"_s);
        snippet(record.Category, BeforeCategoryTitle);
        ++m_groupCounter;
        m_group = record.Category;
        const QString n = QString::number(m_groupCounter);
        main(u"<h3><a name=\"URL"_s + n + u"\">"_s + heading + u"</a></h3></p><p align=left>"_s);
        m_index << u"<a href=\"#URL"_s + n + u"\">"_s + c + u"</a>"_s;
        snippet(record.Category, AfterCategoryTitle);
    }
    return !m_failed;
}

bool ExportFile::groupEnd(bool atFinish)
{
    if (m_style == Style::Table || m_style == Style::Frame) {
        main(u"</ul></table></div>"_s);
        snippet(m_group, AfterCategory);
        if (m_style == Style::Frame) {
            write(m_page, m_env.bodyInFrame ? u"</ul></html>"_s : u"</ul></body></html>"_s);
            if (!m_failed && !m_page.close())
                stop(u"Error adding to "_s + m_page.path() + u": "_s + m_page.error());
            if (!atFinish && !m_failed) {
                ++m_pageCounter;
                openPage(m_page, m_names.basePath + QString::number(m_pageCounter) + u".htm"_s);
            }
        }
    } else {
        main(atFinish ? u"</ul>"_s : u"</ul><hr><p align=center>"_s);
        snippet(m_group, AfterCategory);
    }
    return !m_failed;
}

bool ExportFile::locationLines(const LocationRecord &record)
{
    const bool hasRating = record.Rating != 0;
    const QString r = QString::number(record.Rating);
    switch (m_style) {
    case Style::Csv:
        return main(LocationCsvLine::write(record,
                                           LocationCsvLine::layoutFor(m_settings.siteInfo,
                                                                      m_settings.rating)));
    case Style::Ascii: {
        QString line = padded(record.Category, 50) + u' ' + padded(record.Location, 255) + u' '
                       + padded(record.Description, 255);
        if (m_settings.siteInfo)
            line += u' ' + padded(record.SiteInfo, 2048);
        if (m_settings.rating)
            line += u' ' + r;
        return main(line);
    }
    default:
        break;
    }
    const QString l = esc(record.Location);
    const QString e = record.Description.isEmpty() ? l : esc(record.Description);
    const QString i = esc(record.SiteInfo);
    const QString link = u"<li><a href=\""_s + l + u"\">"_s + e + u"</a></li>"_s;
    if (m_style == Style::Simple) {
        main(link);
        if (m_settings.siteInfo && !i.isEmpty())
            main(i);
        if (m_settings.rating && hasRating)
            main(u" ** Rating: "_s + r + u" **"_s);
        return !m_failed;
    }
    const bool frame = m_style == Style::Frame;
    main(u"<tr><td>"_s + link + u"</td>"_s);
    if (frame)
        write(m_page, link);
    if (m_settings.siteInfo) {
        main(i.isEmpty() ? u"<td>No Description</td>"_s : u"<td>"_s + i + u"</td>"_s);
        if (frame && !i.isEmpty())
            write(m_page, i);
    }
    if (m_settings.rating) {
        main(hasRating ? u"<td>Rating:  "_s + r + u"</td></tr>"_s : u"<td>No Rating</td></tr>"_s);
        if (frame && hasRating)
            write(m_page, u" ** Rating:  "_s + r + u"**"_s);
    } else {
        main(u"</tr>"_s);
    }
    return !m_failed;
}

bool ExportFile::finish(bool grouped)
{
    if (!m_index.isEmpty()) {
        if (!groupEnd(true))
            return false;
        if (m_style == Style::Frame && !m_contents.isEmpty() && !writeContents())
            return false;
        main(u"<hr>"_s);
        main(u"<p align=center><a name=\"URLIndex\">"_s);
        main(u"<h2>Index</h2></a><ul></p><p align=left>"_s);
        for (const QString &entry : std::as_const(m_index))
            main(u"<li>"_s + entry + u"</li>"_s);
        main(u"</ul>"_s);
    } else if (grouped || m_style == Style::Simple) {
        main(u"</ul>"_s);
    } else {
        main(u"</table></div>"_s);
        if (m_style == Style::Frame) {
            write(m_page, m_env.bodyInFrame ? u"</ul></html>"_s : u"</ul></body></html>"_s);
            if (!writeContents())
                return false;
        }
    }
    for (const CatHtmlRecord &row : snippetsOf(QLatin1String(AfterAll))) {
        if (!trimTrailingSpaces(row.HTMLtoAdd).isEmpty())
            main(row.HTMLtoAdd);
    }
    const QString product = QLatin1String(Product);
    main(u"<br><hr>"_s);
    main(u"<h5>"_s + product + u"</h5>"_s);
    if (grouped)
        main(u"<h6>For more information, visit the <a href=\""_s + esc(m_env.homePage)
             + u"\">Brackwater home page</a>.</h6>"_s);
    if (m_style == Style::Frame) {
        TextLineWriter banner;
        if (!openPage(banner, m_names.basePath + u"b.htm"_s))
            return false;
        write(banner, u"<html><body><base target=\"main\">"_s);
        write(banner, product);
        write(banner, u"</body></html>"_s);
        if (!m_failed && !banner.close())
            stop(u"Error adding to "_s + banner.path() + u": "_s + banner.error());
        main(u"</noframes>"_s);
        main(u"</frameset>"_s);
    }
    main(u"</body></html>"_s);
    return !m_failed;
}

bool ExportFile::write(TextLineWriter &file, const QString &line)
{
    if (m_failed)
        return false;
    if (!file.writeLine(line)) {
        stop(u"Error adding to "_s + file.path() + u": "_s + file.error());
        return false;
    }
    return true;
}

bool ExportFile::both(const QString &line)
{
    main(line);
    if (m_style == Style::Frame)
        write(m_page, line);
    return !m_failed;
}

bool ExportFile::snippet(const QString &category, const char *type)
{
    const QString text = snippetText(category, QLatin1String(type));
    if (!text.isEmpty())
        both(text);
    return !m_failed;
}

bool ExportFile::openPage(TextLineWriter &page, const QString &path)
{
    // Lines are never cut: a long address or site information is written whole.
    page.setMaxLine(0);
    if (page.open(path))
        return true;
    stop(u"Error opening "_s + path + u": "_s + page.error());
    return false;
}

void ExportFile::stop(const QString &text)
{
    m_failed = true;
    if (!m_env.ui)
        return;
    const int choice = m_env.ui->ask(u"Export Stopped"_s,
                                     text,
                                     {u"&Continue"_s, u"&End Program"_s},
                                     0,
                                     UserInterface::Icon::Critical);
    if (choice == 1 && m_env.halt)
        m_env.halt(text);
}

const std::vector<CatHtmlRecord> &ExportFile::snippetsOf(const QString &category)
{
    const QString key = category.toUpper();
    auto it = m_snippets.find(key);
    if (it == m_snippets.end()) {
        std::vector<CatHtmlRecord> rows;
        if (m_env.collection && !category.isEmpty()
            && !m_env.collection->catHtml().list(category, rows))
            rows.clear(); // a failed lookup means no snippet
        it = m_snippets.insert(key, std::move(rows));
    }
    return *it;
}

QString ExportFile::snippetText(const QString &category, const QString &type)
{
    for (const CatHtmlRecord &row : snippetsOf(category)) {
        if (row.TypeOfHTML.compare(type, Qt::CaseInsensitive) == 0)
            return trimTrailingSpaces(row.HTMLtoAdd).isEmpty() ? QString() : row.HTMLtoAdd;
    }
    return {};
}

} // namespace pk
