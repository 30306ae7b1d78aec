#pragma once

#include "import/widgets/importstepwindow.h"

#include <memory>

class QLabel;
class QProgressBar;
class QPushButton;

namespace pk {

class WebPageImport;

/**
 * @brief The progress window of "From web site" with "Follow embedded links": "Fetching" while
 * the page arrives, then the HTML import's passes over it. "Cancel" ends the fetch or the
 * current pass; what was added stays.
 */
class WebPageImportWindow final : public ImportStepWindow
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(WebPageImportWindow)

public:
    explicit WebPageImportWindow(std::unique_ptr<WebPageImport> import, QWidget *parent = nullptr);
    ~WebPageImportWindow() override;

    WebPageImport &import() { return *m_import; }
    QPushButton *cancelButton() const { return m_cancel; }

private:
    void showProgress();

    std::unique_ptr<WebPageImport> m_import;
    QLabel *m_text = nullptr;
    QProgressBar *m_progress = nullptr;
    QPushButton *m_cancel = nullptr;
};

} // namespace pk
