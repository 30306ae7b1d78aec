#pragma once

#include <QString>
#include <QtGlobal>

namespace pk {

class IniFile;

/**
 * @brief How far page analysis and page download go with one page, kept in section "Testing"
 * of PATHKEEP.INI beside the link-check settings.
 *
 * A download that reaches a limit fails with a message naming it; analysis reads at most the
 * largest page (it needs the head and the links) and fails only on the time limits and an
 * unpacking ratio that gives a compression bomb away. A value of 0 switches that limit off.
 */
struct FetchLimits
{
    static constexpr const char *Section = "Testing";

    qint64 pageBytes = qint64(256) << 20;     ///< "LargestPageKB": bytes received for one page
    qint64 unpackedBytes = qint64(256) << 20; ///< "LargestUnpackedKB": bytes once unpacked
    int unpackRatio = 100;                    ///< "LargestUnpackRatio": unpacked per packed byte
    int requestSeconds = 600;                 ///< "PageTimeLimit": seconds for a whole request
    int silenceSeconds = 60;                  ///< "SilenceTimeLimit": seconds without a byte

    /// The ratio is judged only once this much has been unpacked: a small page of blanks
    /// packs far better than any limit, and costs nothing.
    static constexpr qint64 RatioGraceBytes = qint64(1) << 20;
    static constexpr int MaxKilobytes = 1 << 30; ///< 1 TB, the most an INI value holds here
    static constexpr int MaxSeconds = 24 * 3600;

    /// No limit at all.
    static FetchLimits none();
    /// The values in `ini`, defaults for missing keys, numbers out of range brought in range.
    static FetchLimits load(const IniFile &ini);
    /// The values in PATHKEEP.INI now (defaults when it cannot be read).
    static FetchLimits current();
    void save(IniFile &ini) const;

    /// A byte count for a message: "256 MB", "64 KB", "1000 bytes".
    static QString sizeText(qint64 bytes);
    /// The messages that end a request at each limit.
    QString pageText() const;
    QString unpackedText() const;
    QString ratioText() const;
    QString requestTimeText() const;
    QString silenceText() const;

    bool operator==(const FetchLimits &) const = default;
};

} // namespace pk
