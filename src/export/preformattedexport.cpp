#include "export/preformattedexport.h"

#include "export/defaulthtmlreader.h"
#include "export/exportfile.h"
#include "export/exportreader.h"
#include "export/htmltext.h"
#include "export/textlinewriter.h"
#include "framework/userinterface.h"
#include "store/categorymanager.h"
#include "store/collection.h"
#include "store/fieldtext.h"
#include "store/picture.h"

#include <QDir>

using namespace Qt::StringLiterals;

namespace pk {

namespace {

enum Token {
    SiteInfo,
    Base,
    GenDate,
    Location,
    Url,
    Description,
    Desc,
    Category,
    Cat,
    Rating,
    Rank,
    Keyword,
    LastVisit,
    LastValidated,
    Validated,
    MovedTo,
    Comments,
    UserName,
    Password,
    Expires,
    PageSize,
    EmailAddress,
    Custom1,
    Custom2,
    Custom3,
    CatDesc,
    Title,
    Filename,
    Product,
    MetaKeywords,
    MetaDescription,
    Order,
    ExportType,
    Bookmark,
    Toc,
    TokenCount
};

const QString tocToken = u"(URL:TOC)"_s;

QString escaped(const QString &text)
{
    return HtmlText::escapeTemplateValue(text);
}

QString anchorOf(const QString &category)
{
    QString anchor = category;
    for (QChar &c : anchor) {
        if (!((c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z')))
            c = u'_';
    }
    return anchor;
}

} // namespace

const QStringList &PreformattedExport::tokens()
{
    static const QStringList list{u"(URL:SiteInfo)"_s,
                                  u"(URL:BASE)"_s,
                                  u"(URL:GENDATE)"_s,
                                  u"(URL:Location)"_s,
                                  u"(URL:URL)"_s,
                                  u"(URL:Description)"_s,
                                  u"(URL:Desc)"_s,
                                  u"(URL:Category)"_s,
                                  u"(URL:Cat)"_s,
                                  u"(URL:Rating)"_s,
                                  u"(URL:Rank)"_s,
                                  u"(URL:Keyword)"_s,
                                  u"(URL:LastVisit)"_s,
                                  u"(URL:LastValidated)"_s,
                                  u"(URL:Validated)"_s,
                                  u"(URL:MovedTo)"_s,
                                  u"(URL:Comments)"_s,
                                  u"(URL:UserName)"_s,
                                  u"(URL:Password)"_s,
                                  u"(URL:Expires)"_s,
                                  u"(URL:PageSize)"_s,
                                  u"(URL:EmailAddress)"_s,
                                  u"(URL:Custom1)"_s,
                                  u"(URL:Custom2)"_s,
                                  u"(URL:Custom3)"_s,
                                  u"(URL:CatDesc)"_s,
                                  u"(URL:Title)"_s,
                                  u"(URL:Filename)"_s,
                                  u"(URL:Product)"_s,
                                  u"<!--URL:Meta:Keywords-->"_s,
                                  u"<!--URL:Meta:Description-->"_s,
                                  u"(URL:Order)"_s,
                                  u"(URL:ExportType)"_s,
                                  u"(URL:Bookmark)"_s,
                                  tocToken};
    return list;
}

PreformattedExport::PreformattedExport(ExportSettings settings, ExportEnvironment environment)
    : m_settings(std::move(settings))
    , m_env(std::move(environment))
{}

QString PreformattedExport::templateName(const QString &prefix, const QString &type, bool grouped)
{
    return prefix + trimTrailingSpaces(type) + (grouped ? u"_cat.htm"_s : u".htm"_s);
}

QString PreformattedExport::path(const QString &name) const
{
    return m_env.templateFolder.isEmpty() ? name : QDir(m_env.templateFolder).filePath(name);
}

ExportResult PreformattedExport::run()
{
    reset();
    if (framesetWouldOverwriteList())
        return ExportResult::Failed;

    ExportResult result = ExportResult::Written;
    const std::unique_ptr<ExportReader> reader = ExportReader::open(m_settings, m_env, result);
    if (!reader)
        return result;
    const qint64 total = m_env.progress ? reader->total() : 0;

    loadTemplate();
    LocationRecord record;
    result = readLocations(*reader, record, total);
    if (result != ExportResult::Written)
        return result; // nothing is written yet

    // Finish: the contents list from every category met, then every page.
    collectContents();
    closeCategory(record);
    closePage(record);
    bool ok = writePages(record);
    if (m_frame)
        ok = writeFramePages(record) && ok;
    if (m_env.progress)
        m_env.progress(total, total);
    return ok ? ExportResult::Written : ExportResult::Failed;
}

void PreformattedExport::reset()
{
    m_grouped = m_settings.isGrouped();
    m_frame = m_settings.type == u"Frame"_s;
    m_ending = m_grouped ? u"_cat.htm"_s : u".htm"_s;
    m_names = ExportFileNames::of(m_settings.file);
    m_header.clear();
    m_categoryHeader.clear();
    m_detail.clear();
    m_categoryFooter.clear();
    m_footer.clear();
    m_categories.clear();
    m_pages.clear();
    m_contents.clear();
    m_pageOpen = false;
    m_categoryOpen = false;
    m_written = 0;
    m_categoryRows.clear();
}

bool PreformattedExport::framesetWouldOverwriteList() const
{
    if (!m_frame || m_grouped || m_names.basePath + u".htm"_s != m_settings.file)
        return false;
    // The frameset would overwrite the one list page it shows.
    if (m_env.ui)
        m_env.ui->message(u"Export"_s,
                          u"The frame page and the list page would both be "_s + m_settings.file
                              + u". Choose a file name ending in \".html\" or another name."_s,
                          UserInterface::Icon::Warning);
    return true;
}

void PreformattedExport::loadTemplate()
{
    UserInterface *ui = m_env.ui;
    const QString name = templateName(u"Default_"_s, m_settings.type, m_grouped);
    QStringList pieces;
    DefaultHtmlReader::read(path(name), pieces);
    if (pieces.isEmpty() && ui)
        ui->message(u"Pre-formatted HTML"_s, u"No pre-formatted HTML in "_s + name);
    distribute(pieces);
    if (m_detail.isEmpty() && ui)
        ui->message(u"Pre-formatted HTML"_s, u"No detail area defined in "_s + name);
}

ExportResult PreformattedExport::readLocations(ExportReader &reader,
                                               LocationRecord &record,
                                               qint64 total)
{
    if (!(m_grouped && m_frame))
        openPage(record);
    qint64 done = 0;
    while (reader.next(record)) {
        ++done;
        if (!m_categories.contains(record.Category)) {
            m_categories.emplace(record.Category, int(m_categories.size()) + 1);
            if (m_grouped) {
                closeCategory(record);
                if (m_frame) {
                    closePage(record);
                    openPage(record);
                }
                append(filled(m_categoryHeader, record));
                m_categoryOpen = true;
            }
        }
        if (m_pages.empty())
            openPage(record);
        append(filled(m_detail, record));
        ++m_written;
        if (m_env.progress && (done % 256) == 0 && !m_env.progress(done, total))
            return ExportResult::Cancelled;
    }
    if (!reader.status()) {
        if (m_env.ui)
            m_env.ui->message(u"Export"_s,
                              u"Error reading Locations: "_s + reader.status().text,
                              UserInterface::Icon::Critical);
        return ExportResult::Failed;
    }
    return ExportResult::Written;
}

void PreformattedExport::collectContents()
{
    m_contents.clear();
    for (const auto &[c, number] : m_categories) {
        if (m_frame) {
            m_contents << u"<a href=\""_s + escaped(m_names.baseName) + QString::number(number)
                              + u".htm\">"_s + (c.isEmpty() ? u"No Category"_s : escaped(c))
                              + u"</a><br>"_s;
        } else if (!c.isEmpty()) {
            m_contents << u"<a href=\"#"_s + anchorOf(c) + u"\">"_s + escaped(c) + u"</a>"_s;
        }
    }
}

bool PreformattedExport::writeReported(const QStringList &pieces, const QString &target) const
{
    QString error;
    if (writePage(pieces, target, error))
        return true;
    if (m_env.ui)
        m_env.ui->message(u"Export"_s,
                          u"Error adding to "_s + target + u": "_s + error,
                          UserInterface::Icon::Critical);
    return false;
}

bool PreformattedExport::writePages(const LocationRecord &record)
{
    bool ok = true;
    for (Page &page : m_pages) {
        fill(page.pieces, record, true);
        ok = writeReported(page.pieces, page.file) && ok;
    }
    return ok;
}

bool PreformattedExport::writeFramePages(const LocationRecord &record)
{
    const std::pair<QString, QString> frameFiles[]
        = {{u"Default_base_"_s, m_settings.file},
           {u"Default_banner_"_s, m_names.basePath + u"_banner.htm"_s},
           {u"Default_contents_"_s, m_names.basePath + u"_contents.htm"_s}};
    bool ok = true;
    for (const auto &[prefix, target] : frameFiles) {
        const QString extra = templateName(prefix, m_settings.type, m_grouped);
        QStringList extraPieces;
        if (!DefaultHtmlReader::read(path(extra), extraPieces) || extraPieces.isEmpty()) {
            if (m_env.ui)
                m_env.ui->message(u"Pre-formatted HTML"_s, u"No pre-formatted HTML in "_s + extra);
            continue;
        }
        fill(extraPieces, record, false);
        ok = writeReported(extraPieces, target) && ok;
    }
    return ok;
}

void PreformattedExport::distribute(const QStringList &pieces)
{
    enum class Section { Header, CategoryHeader, Detail, CategoryFooter, Footer };
    Section state = Section::Header;
    auto holds = [](const QString &piece, const char *marker) {
        return piece.contains(QLatin1String(marker), Qt::CaseInsensitive);
    };
    for (const QString &piece : pieces) {
        if (!m_grouped) {
            if (holds(piece, "<!--URL:BEGIN-->"))
                state = Section::Detail;
            else if (holds(piece, "<!--URL:END-->"))
                state = Section::Footer;
        } else {
            if (holds(piece, "<!--URL:BEGINCAT-->")) {
                state = Section::CategoryHeader;
            } else if (holds(piece, "<!--URL:BEGIN-->")) {
                state = Section::Detail;
                continue;
            } else if (holds(piece, "<!--URL:END-->")) {
                state = Section::CategoryFooter;
                continue;
            } else if (holds(piece, "<!--URL:ENDCAT-->")) {
                state = Section::Footer;
            }
        }
        switch (state) {
        case Section::Header:
            m_header << piece;
            break;
        case Section::CategoryHeader:
            m_categoryHeader << piece;
            break;
        case Section::Detail:
            m_detail << piece;
            break;
        case Section::CategoryFooter:
            m_categoryFooter << piece;
            break;
        case Section::Footer:
            m_footer << piece;
            break;
        }
    }
}

void PreformattedExport::openPage(const LocationRecord &record)
{
    Page page;
    if (!m_frame)
        page.file = m_settings.file;
    else if (!m_grouped)
        page.file = m_names.basePath + u".htm"_s;
    else
        page.file = m_names.basePath + QString::number(m_categories[record.Category]) + u".htm"_s;
    m_pages.push_back(Page{page.file, filled(m_header, record)});
    m_pageOpen = true;
}

void PreformattedExport::closePage(const LocationRecord &record)
{
    if (!m_pageOpen || m_pages.empty())
        return;
    append(filled(m_footer, record));
    m_pageOpen = false;
}

void PreformattedExport::closeCategory(const LocationRecord &record)
{
    if (!m_categoryOpen || m_pages.empty())
        return;
    m_pages.back().pieces.push_back(u"<!--URL:EndCat-->"_s);
    append(filled(m_categoryFooter, record));
    m_categoryOpen = false;
}

void PreformattedExport::append(QStringList pieces)
{
    // One at a time: the list grows geometrically, where appending a whole list may not.
    QStringList &page = m_pages.back().pieces;
    for (QString &piece : pieces)
        page.push_back(std::move(piece));
}

QStringList PreformattedExport::filled(const QStringList &section, const LocationRecord &record)
{
    QStringList copy = section;
    fill(copy, record, false);
    return copy;
}

/// The tokens (other than the contents list) a piece holds, one bit each.
static quint64 tokensIn(QStringView piece)
{
    static const QString marker = u"URL:"_s;
    const QStringList &list = PreformattedExport::tokens();
    quint64 found = 0;
    for (qsizetype at = piece.indexOf(marker, 0, Qt::CaseInsensitive); at >= 0;
         at = piece.indexOf(marker, at + 1, Qt::CaseInsensitive)) {
        const qsizetype starts[] = {at - 1, at - 4};
        for (const qsizetype start : starts) {
            if (start < 0)
                continue;
            for (int t = 0; t < Toc; ++t) {
                if (piece.mid(start).startsWith(list[t], Qt::CaseInsensitive))
                    found |= quint64(1) << t;
            }
        }
    }
    return found;
}

void PreformattedExport::fill(QStringList &pieces, const LocationRecord &record, bool contentsOnly)
{
    const QStringList &list = tokens();
    for (qsizetype i = pieces.size() - 1; i >= 0; --i) {
        if (!pieces[i].contains(u"URL:"_s, Qt::CaseInsensitive))
            continue;
        // Values never hold tokens (see HtmlText), so the tokens present are known up front.
        const quint64 present = contentsOnly ? 0 : tokensIn(pieces[i]);
        for (int t = 0; present != 0 && t < Toc; ++t) {
            if (!(present & (quint64(1) << t)))
                continue;
            const qsizetype at = pieces[i].indexOf(list[t], 0, Qt::CaseInsensitive);
            if (at >= 0)
                pieces[i].replace(at, list[t].size(), value(t, record));
        }
        if (m_contents.isEmpty())
            continue;
        const qsizetype at = pieces[i].indexOf(tocToken, 0, Qt::CaseInsensitive);
        if (at >= 0)
            expandContents(pieces, i, at);
    }
}

void PreformattedExport::expandContents(QStringList &pieces, qsizetype at, qsizetype tokenAt)
{
    const QString after = pieces[at].mid(tokenAt + tocToken.size());
    pieces[at].truncate(tokenAt);
    if (!after.trimmed().isEmpty())
        pieces.insert(at + 1, after);
    QString prefix;
    QString suffix;
    if (at > 0) {
        const QString &before = pieces[at - 1];
        const QString tag = before.mid(1, 2).toUpper();
        if (before.startsWith(u'<') && tag == u"TD"_s)
            prefix = u"<TR>"_s + before;
        else if (before.startsWith(u'<') && tag == u"BR"_s)
            prefix = before;
    }
    if (at + 1 < pieces.size()) {
        const QString &next = pieces[at + 1];
        const QString tag = next.mid(2, 2).toUpper();
        if (next.startsWith(u"</"_s) && tag == u"TD"_s)
            suffix = next + u"</TR>"_s;
        else if (next.startsWith(u"</"_s) && (tag == u"LI"_s || tag == u"UL"_s))
            suffix = next;
    }
    QStringList inserted;
    for (qsizetype k = 0; k < m_contents.size(); ++k) {
        if (k > 0 && !prefix.isEmpty())
            inserted << prefix;
        inserted << m_contents[k];
        if (k + 1 < m_contents.size() && !suffix.isEmpty())
            inserted << suffix;
    }
    // Rebuilt in one pass: inserting one by one would move the rest of a big page each time.
    QStringList result;
    result.reserve(pieces.size() + inserted.size());
    for (qsizetype k = 0; k <= at; ++k)
        result.push_back(std::move(pieces[k]));
    for (QString &entry : inserted)
        result.push_back(std::move(entry));
    for (qsizetype k = at + 1; k < pieces.size(); ++k)
        result.push_back(std::move(pieces[k]));
    pieces = std::move(result);
}

QString PreformattedExport::bookmark(const QString &category)
{
    if (category.isEmpty())
        return {};
    const QString anchor = anchorOf(category);
    const QString entry = u"<a href=\"#"_s + anchor + u"\">"_s + escaped(category) + u"</a>"_s;
    if (!m_contents.contains(entry))
        m_contents << entry;
    return u"<a name=\""_s + anchor + u"\"></a>"_s;
}

const CategoryRecord &PreformattedExport::categoryOf(const QString &name)
{
    const QString key = name.toUpper();
    auto it = m_categoryRows.find(key);
    if (it == m_categoryRows.end()) {
        CategoryRecord row;
        // A category that cannot be read exports with empty fields.
        if (m_env.collection && !name.isEmpty() && !m_env.collection->categories().get(name, row))
            row = {};
        it = m_categoryRows.insert(key, row);
    }
    return *it;
}

QString PreformattedExport::shortDate(qint32 day) const
{
    return Picture(u"@d17b"_s, m_env.locale).format(day);
}

QString PreformattedExport::value(int token, const LocationRecord &r)
{
    const QString l = escaped(r.Location);
    switch (token) {
    case SiteInfo:
        return escaped(r.SiteInfo);
    case Base:
        return escaped(m_names.baseName);
    case GenDate:
        return shortDate(DayNumber::fromDate(m_env.today));
    case Location:
        return u"<a href=\""_s + l + u"\">"_s + l + u"</a>"_s;
    case Url:
        return l;
    case Description:
        return r.Description.isEmpty()
                   ? u"No description"_s
                   : u"<a href=\""_s + l + u"\">"_s + escaped(r.Description) + u"</a>"_s;
    case Desc:
        return escaped(r.Description);
    case Category:
    case Cat:
        return escaped(r.Category);
    case Rating:
    case Rank:
        return r.Rating == 0 ? QString() : QString::number(r.Rating).rightJustified(2, u' ');
    case Keyword:
        return escaped(r.Keyword);
    case LastVisit:
        return shortDate(r.LastVisit);
    case LastValidated:
        return shortDate(r.LastValidated);
    case Validated:
        switch (r.Validated) {
        case 0:
            return u"Unknown"_s;
        case 1:
            return u"Pass"_s;
        case 2:
            return u"Failed"_s;
        default:
            return {};
        }
    case MovedTo:
        return escaped(r.MovedTo);
    case Comments:
        return escaped(r.Comments);
    case UserName:
        return escaped(r.UserName);
    case Password:
        return escaped(r.Password);
    case Expires:
        return shortDate(r.Expires);
    case PageSize:
        return QString::number(r.PageSize);
    case EmailAddress: {
        if (r.EmailAddress.isEmpty())
            return {};
        const QString a = escaped(r.EmailAddress);
        if (r.EmailAddress.startsWith(u"mailto:"_s, Qt::CaseInsensitive))
            return u"<a href=\""_s + a + u"\">"_s + a + u"</a>"_s;
        return u"<a href=\"mailto:"_s + a + u"\">"_s + a + u"</a>"_s;
    }
    case Custom1:
        return escaped(r.Custom1);
    case Custom2:
        return escaped(r.Custom2);
    case Custom3:
        return escaped(r.Custom3);
    case CatDesc:
        return escaped(categoryOf(r.Category).Description);
    case Title:
        return escaped(m_settings.pageTitle);
    case Filename:
        return escaped(m_settings.file);
    case Product:
        return QLatin1String(ExportFile::Product);
    case MetaKeywords:
        return m_settings.metaKeywords.isEmpty() ? QString()
                                                 : u"<META NAME=\"keywords\" CONTENT=\""_s
                                                       + escaped(m_settings.metaKeywords) + u"\">"_s;
    case MetaDescription:
        return m_settings.metaDescription.isEmpty()
                   ? QString()
                   : u"<META NAME=\"description\" CONTENT=\""_s + escaped(m_settings.metaDescription)
                         + u"\">"_s;
    case Order:
        if (m_settings.order == u"CatDesc"_s)
            return u"Category/Description"_s;
        if (m_settings.order == u"CatLoc"_s)
            return u"Category/Location"_s;
        return escaped(m_settings.order);
    case ExportType:
        return escaped(m_settings.type);
    case Bookmark:
        return bookmark(r.Category);
    default:
        return {};
    }
}

bool PreformattedExport::writePage(const QStringList &pieces, const QString &path, QString &error)
{
    TextLineWriter file;
    file.setMaxLine(0);
    if (!file.open(path)) {
        error = file.error();
        return false;
    }
    QString buffer;
    auto writeOut = [&file, &buffer] {
        if (!buffer.trimmed().isEmpty())
            file.writeLine(buffer);
        buffer.clear();
    };
    for (const QString &piece : pieces) {
        if (buffer.size() + 1 + piece.size() >= TextLineWriter::MaxLine || buffer.size() > 512)
            writeOut();
        buffer += trimTrailingSpaces(piece);
        const QString start = piece.left(2).toLower();
        if (start == u"</"_s || start == u"<f"_s || start == u"<m"_s)
            writeOut();
    }
    writeOut();
    if (file.close())
        return true;
    error = file.error();
    return false;
}

} // namespace pk
