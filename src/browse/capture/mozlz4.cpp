#include "browse/capture/mozlz4.h"

#include <QtEndian>

#include <lz4.h>

#include <cstring>
#include <limits>

using namespace Qt::StringLiterals;

namespace pk {

namespace {

constexpr char kMagic[] = "mozLz40"; // with its terminating zero: 8 bytes
constexpr qsizetype kMagicSize = sizeof(kMagic);
constexpr qsizetype kHeaderSize = kMagicSize + 4;

void setError(QString *error, const QString &text)
{
    if (error)
        *error = text;
}

} // namespace

std::optional<QByteArray> MozLz4::decompress(const QByteArray &data, QString *error)
{
    if (data.size() < kHeaderSize || !data.startsWith(QByteArrayView(kMagic, kMagicSize))) {
        setError(error, u"not a mozLz4 file"_s);
        return std::nullopt;
    }
    const quint32 size = qFromLittleEndian<quint32>(data.constData() + kMagicSize);
    if (size > MaxDecompressed || data.size() - kHeaderSize > std::numeric_limits<int>::max()) {
        setError(error, u"too large"_s);
        return std::nullopt;
    }
    QByteArray out(qsizetype(size), Qt::Uninitialized);
    const int written = LZ4_decompress_safe(data.constData() + kHeaderSize,
                                            out.data(),
                                            int(data.size() - kHeaderSize),
                                            int(size));
    if (written < 0 || quint32(written) != size) {
        setError(error, u"damaged compressed data"_s);
        return std::nullopt;
    }
    return out;
}

QByteArray MozLz4::compress(const QByteArray &plain)
{
    const int bound = LZ4_compressBound(int(plain.size()));
    QByteArray out(kHeaderSize + bound, Qt::Uninitialized);
    memcpy(out.data(), kMagic, kMagicSize);
    qToLittleEndian<quint32>(quint32(plain.size()), out.data() + kMagicSize);
    const int written = LZ4_compress_default(plain.constData(),
                                             out.data() + kHeaderSize,
                                             int(plain.size()),
                                             bound);
    out.truncate(kHeaderSize + qMax(written, 0));
    return out;
}

} // namespace pk
