#include "linkcheck/analysis/downloadurlsprocess.h"

#include "framework/userinterface.h"
#include "store/picture.h"

#include <QDir>
#include <QFileInfo>

namespace pk {

DownloadUrlsProcess::DownloadUrlsProcess(LocationBatchEnvironment environment,
                                         Download download,
                                         QObject *parent)
    : LocationBatch(std::move(environment), parent)
    , m_download(std::move(download))
{}

bool DownloadUrlsProcess::chooseFolder()
{
    const std::optional<QString> folder = m_env.ui
                                              ? m_env.ui->existingFolder(QLatin1String(FolderTitle),
                                                                         QDir::currentPath())
                                              : std::nullopt;
    if (!folder || folder->trimmed().isEmpty())
        return false;
    m_folder = *folder;
    return true;
}

bool DownloadUrlsProcess::handle(LocationRecord &record)
{
    emit progressText(QStringLiteral("Downloading ") + QString::number(counter())
                      + QStringLiteral(" of up to ") + QString::number(total())
                      + QStringLiteral(" URLs"));
    emit secondText(QStringLiteral("Downloading ") + record.Location);
    countHandled();
    QString target = m_folder;
    if (!target.endsWith(QLatin1Char('/')))
        target += QLatin1Char('/');
    // Only this download's file counts: an earlier one must not be credited to this record.
    const QString written = m_download ? m_download(target + QLatin1Char('*'), record.Location)
                                       : QString();
    if (written.trimmed().isEmpty() || !QFileInfo::exists(written))
        return true;
    const QString original = record.Location;
    const qint32 today = DayNumber::today();
    record.LastVisit = today;
    record.LastValidated = today;
    record.Validated = 1;
    record.OriginalFilename = written.left(255);
    return writeBack(original, record);
}

} // namespace pk
