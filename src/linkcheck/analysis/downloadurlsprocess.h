#pragma once

#include "linkcheck/analysis/locationbatch.h"

namespace pk {

/**
 * @brief The multiple download: saves each chosen location into a folder and records the file
 * on the location.
 *
 * Each location is fetched through `download` (the "Retrieve Web Document" window in the
 * program), which returns the file it wrote, or nothing when the download failed; a failed
 * download changes nothing on its record.
 */
class DownloadUrlsProcess final : public LocationBatch
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(DownloadUrlsProcess)

public:
    using Download = std::function<QString(const QString &target, const QString &url)>;

    static constexpr const char *Title = "Downloading...";
    static constexpr const char *FolderTitle = "Save to folder...";

    DownloadUrlsProcess(LocationBatchEnvironment environment,
                        Download download,
                        QObject *parent = nullptr);

    /// Asks for the folder and, without a condition, about the query wizard, then starts.
    /// False when it ended at once.
    bool run(const QString &condition) { return chooseFolder() && start(condition); }
    /// The folder dialog; false when cancelled.
    bool chooseFolder();
    /// Counts, asks about the query wizard when there is no condition, and starts.
    bool start(const QString &condition) { return begin(condition, true); }
    QString folder() const { return m_folder; }

protected:
    bool handle(LocationRecord &record) override;

private:
    Download m_download;
    QString m_folder;
};

} // namespace pk
