#include "linkcheck/fetchlimits.h"

#include "platform/appfolders.h"
#include "platform/inifile.h"

#include <algorithm>

namespace pk {

namespace {

QString limitsSection()
{
    return QLatin1String(FetchLimits::Section);
}

qint64 kilobytes(const IniFile &ini, const char *key, qint64 bytes)
{
    const int value = ini.intValue(limitsSection(), QLatin1String(key), int(bytes / 1024));
    return qint64(std::clamp(value, 0, FetchLimits::MaxKilobytes)) * 1024;
}

int seconds(const IniFile &ini, const char *key, int value)
{
    return std::clamp(ini.intValue(limitsSection(), QLatin1String(key), value),
                      0,
                      FetchLimits::MaxSeconds);
}

} // namespace

QString FetchLimits::sizeText(qint64 bytes)
{
    if (bytes >= (qint64(1) << 20) && bytes % (qint64(1) << 20) == 0)
        return QString::number(bytes >> 20) + QStringLiteral(" MB");
    if (bytes >= 1024 && bytes % 1024 == 0)
        return QString::number(bytes / 1024) + QStringLiteral(" KB");
    return QString::number(bytes) + QStringLiteral(" bytes");
}

FetchLimits FetchLimits::none()
{
    FetchLimits limits;
    limits.pageBytes = 0;
    limits.unpackedBytes = 0;
    limits.unpackRatio = 0;
    limits.requestSeconds = 0;
    limits.silenceSeconds = 0;
    return limits;
}

FetchLimits FetchLimits::load(const IniFile &ini)
{
    FetchLimits limits;
    limits.pageBytes = kilobytes(ini, "LargestPageKB", limits.pageBytes);
    limits.unpackedBytes = kilobytes(ini, "LargestUnpackedKB", limits.unpackedBytes);
    limits.unpackRatio = std::clamp(ini.intValue(limitsSection(),
                                                 QStringLiteral("LargestUnpackRatio"),
                                                 limits.unpackRatio),
                                    0,
                                    1 << 20);
    limits.requestSeconds = seconds(ini, "PageTimeLimit", limits.requestSeconds);
    limits.silenceSeconds = seconds(ini, "SilenceTimeLimit", limits.silenceSeconds);
    return limits;
}

FetchLimits FetchLimits::current()
{
    IniFile ini(AppFolders::pathkeepIni());
    if (!ini.load())
        return {};
    return load(ini);
}

void FetchLimits::save(IniFile &ini) const
{
    ini.setValue(limitsSection(), QStringLiteral("LargestPageKB"), int(pageBytes / 1024));
    ini.setValue(limitsSection(), QStringLiteral("LargestUnpackedKB"), int(unpackedBytes / 1024));
    ini.setValue(limitsSection(), QStringLiteral("LargestUnpackRatio"), unpackRatio);
    ini.setValue(limitsSection(), QStringLiteral("PageTimeLimit"), requestSeconds);
    ini.setValue(limitsSection(), QStringLiteral("SilenceTimeLimit"), silenceSeconds);
}

QString FetchLimits::pageText() const
{
    return QStringLiteral("The page is larger than the largest page allowed (")
           + sizeText(pageBytes) + QLatin1Char(')');
}

QString FetchLimits::unpackedText() const
{
    return QStringLiteral("The page unpacks to more than the largest size allowed (")
           + sizeText(unpackedBytes) + QLatin1Char(')');
}

QString FetchLimits::ratioText() const
{
    return QStringLiteral("The page unpacks to more than ") + QString::number(unpackRatio)
           + QStringLiteral(" times its packed size");
}

QString FetchLimits::requestTimeText() const
{
    return QStringLiteral("The page took longer than the ") + QString::number(requestSeconds)
           + QStringLiteral(" seconds allowed for a whole request");
}

QString FetchLimits::silenceText() const
{
    return QStringLiteral("No data arrived for ") + QString::number(silenceSeconds)
           + QStringLiteral(" seconds");
}

} // namespace pk
