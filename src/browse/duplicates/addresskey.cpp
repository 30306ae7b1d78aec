#include "browse/duplicates/addresskey.h"

using namespace Qt::StringLiterals;

namespace pk {

namespace {

bool isSchemeChar(QChar c, bool first)
{
    const char16_t u = c.unicode();
    const bool letter = (u >= u'a' && u <= u'z') || (u >= u'A' && u <= u'Z');
    if (first)
        return letter;
    return letter || (u >= u'0' && u <= u'9') || u == u'+' || u == u'-' || u == u'.';
}

/// The length of the scheme before "://", 0 when the address has none.
qsizetype schemeLength(QStringView s)
{
    const qsizetype sep = s.indexOf(u"://");
    if (sep <= 0)
        return 0;
    for (qsizetype i = 0; i < sep; ++i) {
        if (!isSchemeChar(s[i], i == 0))
            return 0;
    }
    return sep;
}

/// Whether the text before the first ':' looks like a scheme of a non-hierarchical address.
bool isOpaque(QStringView s)
{
    const qsizetype colon = s.indexOf(u':');
    if (colon <= 0)
        return false;
    for (qsizetype i = 0; i < colon; ++i) {
        if (!isSchemeChar(s[i], i == 0))
            return false;
    }
    // "host:8080/path" names a port, not a scheme.
    const QStringView after = s.sliced(colon + 1);
    return after.isEmpty() || !after[0].isDigit();
}

} // namespace

bool AddressKey::isTrackingParameter(QStringView name)
{
    return name.startsWith(u"utm_", Qt::CaseInsensitive)
           || name.compare(u"fbclid", Qt::CaseInsensitive) == 0
           || name.compare(u"gclid", Qt::CaseInsensitive) == 0;
}

QString AddressKey::of(QStringView address)
{
    const QStringView s = address.trimmed();
    const qsizetype schemeLen = schemeLength(s);
    if (schemeLen == 0 && isOpaque(s))
        return s.toString();
    QString scheme = schemeLen > 0 ? s.left(schemeLen).toString().toLower() : QString();
    QStringView rest = schemeLen > 0 ? s.sliced(schemeLen + 3) : s;
    if (scheme.isEmpty() || scheme == u"https"_s)
        scheme = u"http"_s;

    // Authority: up to the path, query or fragment.
    qsizetype end = 0;
    while (end < rest.size() && rest[end] != u'/' && rest[end] != u'?' && rest[end] != u'#')
        ++end;
    QStringView authority = rest.left(end);
    rest = rest.sliced(end);

    QString key;
    key.reserve(s.size() + 8);
    key += scheme;
    key += u"://";
    if (const qsizetype at = authority.lastIndexOf(u'@'); at >= 0) {
        key += authority.left(at + 1);
        authority = authority.sliced(at + 1);
    }
    QStringView host = authority;
    QStringView port;
    // A port follows the last ':' unless that one is inside an IPv6 literal.
    if (const qsizetype colon = authority.lastIndexOf(u':');
        colon >= 0 && authority.indexOf(u']', colon) < 0) {
        host = authority.left(colon);
        port = authority.sliced(colon + 1);
    }
    QString lowerHost = host.toString().toLower();
    if (lowerHost.startsWith(u"www."_s))
        lowerHost.remove(0, 4);
    key += lowerHost;
    const bool defaultPort = port.isEmpty()
                             || (scheme == u"http"_s && (port == u"80" || port == u"443"))
                             || (scheme == u"ftp"_s && port == u"21");
    if (!defaultPort) {
        key += u':';
        key += port;
    }

    // Path, then query; the fragment goes.
    if (const qsizetype hash = rest.indexOf(u'#'); hash >= 0)
        rest = rest.left(hash);
    QStringView path = rest;
    QStringView query;
    if (const qsizetype q = rest.indexOf(u'?'); q >= 0) {
        path = rest.left(q);
        query = rest.sliced(q + 1);
    }
    if (path.endsWith(u'/'))
        path.chop(1);
    key += path;
    bool first = true;
    for (const QStringView param : query.tokenize(u'&')) {
        if (param.isEmpty())
            continue;
        const qsizetype eq = param.indexOf(u'=');
        if (isTrackingParameter(eq >= 0 ? param.left(eq) : param))
            continue;
        key += first ? u'?' : u'&';
        key += param;
        first = false;
    }
    return key;
}

} // namespace pk
