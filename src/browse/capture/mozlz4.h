#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

namespace pk {

/**
 * @brief The compressed files of the Firefox family (`*.jsonlz4`, `*.baklz4`): the magic
 * "mozLz40\0", the decompressed size as 4 bytes little-endian, then one LZ4 block.
 */
class MozLz4 final
{
public:
    static constexpr qint64 MaxDecompressed = 256 * 1024 * 1024;

    /// The decompressed content; nullopt with `error` set when `data` is no such file or the
    /// block does not decompress to the size the header gives.
    static std::optional<QByteArray> decompress(const QByteArray &data, QString *error = nullptr);
    /// `plain` in the same format (as the browsers write it).
    static QByteArray compress(const QByteArray &plain);
};

} // namespace pk
