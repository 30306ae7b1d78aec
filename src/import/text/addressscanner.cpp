#include "import/text/addressscanner.h"

#include "store/fieldtext.h"

using namespace Qt::StringLiterals;

namespace pk {

namespace {

struct Marker
{
    qsizetype at = -1;
    bool href = false;
};

Marker earliestMarker(QStringView line, qsizetype from)
{
    static const QString schemes[]
        = {u"http://"_s, u"https://"_s, u"ftp://"_s, u"telnet://"_s, u"news://"_s, u"gopher://"_s};
    Marker best;
    for (const QString &s : schemes) {
        const qsizetype at = line.indexOf(s, from);
        if (at >= 0 && (best.at < 0 || at < best.at))
            best = {at, false};
    }
    const qsizetype href = line.indexOf(u"a href"_s, from, Qt::CaseInsensitive);
    if (href >= 0 && (best.at < 0 || href < best.at))
        best = {href, true};
    return best;
}

QString leftTrimmed(QStringView s)
{
    qsizetype i = 0;
    while (i < s.size() && s[i].isSpace())
        ++i;
    return s.mid(i).toString();
}

} // namespace

bool AddressScanner::continuesAddress(QChar c)
{
    if (c.unicode() >= 0x80)
        return false;
    if (c.isLetterOrNumber())
        return true;
    static const QString allowed = u"-._~:/?#[]@!$&'()*+;=%"_s;
    return allowed.contains(c);
}

QList<ScannedAddress> AddressScanner::scan(QStringView line)
{
    QList<ScannedAddress> found;
    qsizetype pos = 0;
    while (pos < line.size()) {
        const Marker marker = earliestMarker(line, pos);
        if (marker.at < 0)
            break;
        qsizetype start = marker.at;
        qsizetype end;
        if (marker.href) {
            // a href = "value" / 'value' / value
            qsizetype i = marker.at + 6;
            while (i < line.size() && line[i].isSpace())
                ++i;
            if (i >= line.size() || line[i] != u'=') {
                pos = marker.at + 6;
                continue;
            }
            ++i;
            while (i < line.size() && line[i].isSpace())
                ++i;
            if (i < line.size() && (line[i] == u'"' || line[i] == u'\'')) {
                const QChar quote = line[i];
                start = i + 1;
                end = line.indexOf(quote, start);
                if (end < 0)
                    end = line.size();
            } else {
                start = i;
                end = start;
                while (end < line.size() && continuesAddress(line[end]))
                    ++end;
            }
        } else {
            end = start;
            while (end < line.size() && continuesAddress(line[end]))
                ++end;
        }
        // Kept whole: the import refuses (and counts) an address too long to store.
        const QString location = trimTrailingSpaces(leftTrimmed(line.mid(start, end - start)));
        pos = std::min(end + 1, line.size());
        if (!location.isEmpty())
            found.append({location, leftTrimmed(line.mid(pos))});
        if (pos <= marker.at)
            pos = marker.at + 1;
    }
    return found;
}

} // namespace pk
