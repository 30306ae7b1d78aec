#pragma once

#include "import/clipboard/clipboardscan.h"

#include <QDateTime>
#include <QString>

#include <functional>

class QMimeData;

namespace pk {

class Collection;
class ImportInsert;

/**
 * @brief The logic of "Monitor Clipboard": which clipboard texts are new, and the locations
 * their addresses give.
 *
 * Every address not yet in the collection (letter case ignored) is added through the import
 * insert, under its heading's category or "Clipboard" (added to Categories when missing).
 */
class ClipboardMonitor final
{
public:
    /// What the clipboard holds, in the flavour the monitor reads.
    struct Content
    {
        QString text;
        ClipboardScan::Format format = ClipboardScan::Format::Text;
    };

    /**
     * The clipboard's HTML when it offers HTML with a link in it (a selection copied from a web
     * page, whose link texts need not be their targets), else its plain text.
     */
    static Content contentOf(const QMimeData &data);

    ClipboardMonitor(Collection &collection, ImportInsert &insert);

    /// Called after every addition (the lists refresh).
    void setAddedHandler(std::function<void()> handler) { m_added = std::move(handler); }
    /// The clock for the "Added from clipboard " description (tests fix it).
    void setClock(std::function<QDateTime()> clock) { m_clock = std::move(clock); }

    /// Whether `clipboardText` is non-blank and differs from the text last seen; if so it
    /// becomes the text last seen.
    bool takeIfNew(const QString &clipboardText);
    /// Scans a text and adds its addresses; returns how many were added.
    int scan(const QString &text, ClipboardScan::Format format = ClipboardScan::Format::Text);
    /// The last text taken by takeIfNew() in the format it came in.
    int scanLastSeen() { return scan(m_lastSeen, m_lastFormat); }
    /// takeIfNew() for content read by contentOf().
    bool takeIfNew(const Content &content);

    int count() const { return m_count; }
    const QString &status() const { return m_status; }
    const QString &lastSeen() const { return m_lastSeen; }

    /// "Added from clipboard Dec 8, 2026 5:18PM http://..." for a location without description.
    static QString addedDescription(const QDateTime &when, const QString &address);

private:
    bool known(const QString &address);

    Collection &m_collection;
    ImportInsert &m_insert;
    std::function<void()> m_added;
    std::function<QDateTime()> m_clock;
    QString m_lastSeen;
    ClipboardScan::Format m_lastFormat = ClipboardScan::Format::Text;
    QString m_status;
    int m_count = 0;
};

} // namespace pk
