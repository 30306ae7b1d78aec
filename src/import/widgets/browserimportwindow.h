#pragma once

#include "import/widgets/importstepwindow.h"

#include <memory>

class QLabel;
class QProgressBar;
class QPushButton;

namespace pk {

class BrowserImport;

/**
 * @brief The progress window of the Firefox and Chromium imports ("Importing Bookmarks").
 * "Cancel" ends the import; what was added stays.
 */
class BrowserImportWindow final : public ImportStepWindow
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(BrowserImportWindow)

public:
    explicit BrowserImportWindow(std::unique_ptr<BrowserImport> import, QWidget *parent = nullptr);
    ~BrowserImportWindow() override;

    BrowserImport &import() { return *m_import; }
    QProgressBar *progress() const { return m_progress; }

private:
    std::unique_ptr<BrowserImport> m_import;
    QLabel *m_text = nullptr;
    QProgressBar *m_progress = nullptr;
    QPushButton *m_cancel = nullptr;
};

} // namespace pk
