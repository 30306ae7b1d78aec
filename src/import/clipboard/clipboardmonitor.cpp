#include "import/clipboard/clipboardmonitor.h"

#include "browse/forms/keywordguess.h"
#include "import/importinsert.h"
#include "store/fieldtext.h"
#include "store/fields.h"
#include "store/view.h"

#include <QLocale>
#include <QMimeData>

using namespace Qt::StringLiterals;

namespace pk {

namespace {

constexpr int kStatusWidth = 80;

} // namespace

ClipboardMonitor::ClipboardMonitor(Collection &collection, ImportInsert &insert)
    : m_collection(collection)
    , m_insert(insert)
    , m_clock([] { return QDateTime::currentDateTime(); })
{}

bool ClipboardMonitor::takeIfNew(const QString &clipboardText)
{
    // Kept whole: the scan knows where it stops looking, and drops an address cut there.
    if (clipboardText.trimmed().isEmpty() || clipboardText == m_lastSeen)
        return false;
    m_lastSeen = clipboardText;
    m_lastFormat = ClipboardScan::Format::Text;
    return true;
}

ClipboardMonitor::Content ClipboardMonitor::contentOf(const QMimeData &data)
{
    if (data.hasHtml()) {
        QString html = data.html();
        if (html.contains(u"href"_s, Qt::CaseInsensitive))
            return {std::move(html), ClipboardScan::Format::Html};
    }
    return {data.text(), ClipboardScan::Format::Text};
}

bool ClipboardMonitor::takeIfNew(const Content &content)
{
    if (!takeIfNew(content.text))
        return false;
    m_lastFormat = content.format;
    return true;
}

QString ClipboardMonitor::addedDescription(const QDateTime &when, const QString &address)
{
    const QLocale c = QLocale::c();
    const QString text = u"Added from clipboard "_s + c.toString(when.date(), u"MMM d, yyyy"_s)
                         + u' ' + c.toString(when.time(), u"h:mmAP"_s) + u' ' + address;
    return truncateToWidth(text, 255);
}

bool ClipboardMonitor::known(const QString &address)
{
    // The key orders addresses without regard to letter case: the row at or after this
    // address is the one that could differ from it only in case.
    View view(m_collection, Keys::urlLocation());
    ViewPosition at;
    if (!view.locate({address}, at))
        return false;
    ViewPage page;
    if (!view.forward(at, 1, true, page) || page.rows.empty())
        return false;
    return page.rows.front().location().Location.compare(address, Qt::CaseInsensitive) == 0;
}

int ClipboardMonitor::scan(const QString &text, ClipboardScan::Format format)
{
    int added = 0;
    for (const ClipboardEntry &entry : ClipboardScan::scan(text, format)) {
        m_insert.offerCategory(entry.category);
        LocationRecord r;
        r.Location = entry.location;
        r.Category = entry.category;
        r.Description = entry.description;
        r.SiteInfo = entry.siteInfo;
        r.Keyword = KeywordGuess::fromLocation(entry.location);
        if (r.Description.isEmpty())
            r.Description = addedDescription(m_clock(), entry.location);
        if (known(r.Location)) {
            m_insert.countDuplicate();
            continue;
        }
        if (m_insert.insert(r) != ImportInsert::Outcome::Added)
            continue;
        ++m_count;
        ++added;
        const QString status = u"Added "_s + QString::number(m_count) + u":  "_s + r.Location;
        m_status = truncateToWidth(status, kStatusWidth);
        if (m_added)
            m_added();
    }
    return added;
}

} // namespace pk
