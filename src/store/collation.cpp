#include "store/collation.h"

#include <QString>

#include <algorithm>

#include <sqlite3.h>

namespace pk::Collation {

namespace {

inline unsigned char asciiFold(unsigned char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c + ('a' - 'A')) : c;
}

int unicodeCompare(QByteArrayView a, QByteArrayView b)
{
    const QString sa = QString::fromUtf8(a);
    const QString sb = QString::fromUtf8(b);
    const int c = sa.compare(sb, Qt::CaseInsensitive);
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

int sqliteCompare(void *, int lenA, const void *a, int lenB, const void *b)
{
    return compare(QByteArrayView(static_cast<const char *>(a), lenA),
                   QByteArrayView(static_cast<const char *>(b), lenB));
}

} // namespace

int compare(QByteArrayView a, QByteArrayView b)
{
    const auto *pa = reinterpret_cast<const unsigned char *>(a.data());
    const auto *pb = reinterpret_cast<const unsigned char *>(b.data());
    const qsizetype n = std::min(a.size(), b.size());
    // Identical bytes are equal under any folding: skip the common prefix (addresses share long
    // ones) and resume at the start of the character where the texts part.
    qsizetype start = std::mismatch(pa, pa + n, pb).first - pa;
    while (start > 0 && start < n && (pa[start] & 0xC0) == 0x80)
        --start;
    for (qsizetype i = start; i < n; ++i) {
        const unsigned char ca = pa[i];
        const unsigned char cb = pb[i];
        // Anything beyond ASCII needs Unicode folding; the prefix so far was equal under both.
        if ((ca | cb) & 0x80)
            return unicodeCompare(a.sliced(i), b.sliced(i));
        const unsigned char fa = asciiFold(ca);
        const unsigned char fb = asciiFold(cb);
        if (fa != fb)
            return fa < fb ? -1 : 1;
    }
    if (a.size() == b.size())
        return 0;
    return a.size() < b.size() ? -1 : 1;
}

int version()
{
    // Qt's Unicode tables decide the order of non-ASCII text, so they are part of the version.
    return 1 * 1000 + static_cast<int>(QChar::currentUnicodeVersion());
}

bool registerOn(sqlite3 *db)
{
    return sqlite3_create_collation_v2(db, Name, SQLITE_UTF8, nullptr, &sqliteCompare, nullptr)
           == SQLITE_OK;
}

} // namespace pk::Collation
