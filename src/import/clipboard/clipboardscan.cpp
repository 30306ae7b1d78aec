#include "import/clipboard/clipboardscan.h"

#include "import/characterreferences.h"
#include "store/fieldtext.h"

#include <limits>

using namespace Qt::StringLiterals;

namespace pk {

namespace {

QString leftTrimmed(QStringView s)
{
    qsizetype i = 0;
    while (i < s.size() && s[i].isSpace())
        ++i;
    return s.mid(i).toString();
}

QString field(QStringView s, int width)
{
    return truncateToWidth(trimTrailingSpaces(leftTrimmed(s)), width);
}

/// A heading tag starting at `g` ("<h1>".."<h6>", or "<h3 ADD_DATE=..." of a bookmark file).
bool isHeading(QStringView lower, qsizetype g)
{
    if (g + 3 >= lower.size())
        return false;
    const QChar level = lower[g + 2];
    if (level < u'1' || level > u'6')
        return false;
    return lower[g + 3] == u'>' || lower.mid(g + 3, 4) == u" add";
}

/// The earliest plain-text address marker in `lower` at or after `from`; -1 when none.
qsizetype firstMarker(QStringView lower)
{
    static const QString markers[]
        = {u"http://"_s, u"https://"_s, u"ftp://"_s, u"telnet://"_s, u"mailto:"_s};
    qsizetype best = -1;
    for (const QString &m : markers) {
        const qsizetype at = lower.indexOf(m);
        if (at >= 0 && (best < 0 || at < best))
            best = at;
    }
    return best;
}

qsizetype firstSpace(QStringView s)
{
    for (qsizetype i = 0; i < s.size(); ++i) {
        if (s[i].isSpace())
            return i;
    }
    return -1;
}

} // namespace

QList<ClipboardEntry> ClipboardScan::scan(const QString &text, Format format)
{
    constexpr int Whole = std::numeric_limits<int>::max();
    const bool html = format == Format::Html;
    // HTML text stands for the characters its references name.
    auto plain = [html](const QString &s) { return html ? CharacterReferences::decode(s) : s; };
    const bool cut = text.size() > MaxText;
    QList<ClipboardEntry> found;
    QString t = text.left(MaxText);
    while (!t.isEmpty()) {
        const QString lower = t.toLower();
        const qsizetype h = lower.indexOf(u"href"_s);
        // The first heading tag ("<h" alone also starts "<html>" or "<hr>").
        qsizetype g = lower.indexOf(u"<h"_s);
        while (g >= 0 && (h < 0 || g < h) && !isHeading(lower, g))
            g = lower.indexOf(u"<h"_s, g + 2);

        ClipboardEntry entry;
        entry.category = QString::fromLatin1(DefaultCategory);
        if (g >= 0 && (h < 0 || g < h) && isHeading(lower, g)) {
            const qsizetype open = t.indexOf(u'>', g);
            if (open >= 0) {
                const qsizetype limit = std::min<qsizetype>(t.size(), g + 255);
                qsizetype close = t.indexOf(u'<', open + 1);
                if (close < 0 || close > limit)
                    close = limit;
                if (close > open) {
                    const QString heading = field(plain(t.mid(open + 1, close - open - 1)), 50);
                    if (!heading.isEmpty())
                        entry.category = heading;
                }
            }
        }

        const qsizetype before = t.size();
        QString address;
        bool runsToCut = false; // the address ends where the text was cut: its end is unknown
        if (h >= 0) {
            // href = "value", 'value' or value
            qsizetype i = h + 4;
            while (i < t.size() && t[i].isSpace())
                ++i;
            if (i >= t.size() || t[i] != u'=') {
                t = t.mid(h + 4);
                continue;
            }
            ++i;
            while (i < t.size() && t[i].isSpace())
                ++i;
            qsizetype end;
            if (i < t.size() && (t[i] == u'"' || t[i] == u'\'')) {
                const QChar quote = t[i++];
                end = t.indexOf(quote, i);
                if (end < 0) {
                    end = t.size();
                    runsToCut = cut;
                }
            } else {
                end = i;
                while (end < t.size() && !t[end].isSpace() && t[end] != u'>')
                    ++end;
                runsToCut = cut && end == t.size();
            }
            address = field(plain(t.mid(i, end - i)), Whole);
            t = t.mid(std::min(end + 1, t.size()));
            const qsizetype tagEnd = t.indexOf(u'>');
            if (tagEnd >= 0)
                t = t.mid(tagEnd + 1);
        } else {
            const qsizetype marker = firstMarker(lower);
            if (marker >= 0) {
                t = t.mid(marker);
            } else {
                const qsizetype www = lower.indexOf(u"www."_s);
                if (www < 0)
                    break;
                t = u"http://"_s + t.mid(www);
            }
            qsizetype end = firstSpace(t);
            if (end < 0)
                end = t.indexOf(u',');
            if (end < 0)
                end = t.size();
            if (html) {
                const qsizetype tag = t.indexOf(u'<');
                if (tag >= 0 && tag < end)
                    end = tag;
            }
            runsToCut = cut && end == t.size();
            address = field(plain(t.left(end)), Whole);
            t = t.mid(std::min(end + 1, t.size()));
        }

        const qsizetype anchorEnd = t.toLower().indexOf(u"</a>"_s);
        if (anchorEnd >= 0) {
            entry.description = field(plain(t.left(anchorEnd)), 255);
            // Enough text for the field; only a run of references would fill it less.
            entry.siteInfo = field(plain(t.mid(anchorEnd + 4, 4 * 2048)), 2048);
            if (entry.siteInfo.startsWith(u'<'))
                entry.siteInfo.clear();
            t = t.mid(anchorEnd + 4);
        } else {
            entry.description = field(plain(t.left(4 * 255)), 255);
        }

        if (!address.isEmpty() && address.contains(u':') && !address.startsWith(u'#')
            && !runsToCut) {
            entry.location = address;
            found.append(entry);
        }
        if (t.size() >= before && h < 0)
            break; // nothing consumed: no further address can follow
    }
    return found;
}

} // namespace pk
