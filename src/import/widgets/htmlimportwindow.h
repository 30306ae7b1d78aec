#pragma once

#include "import/widgets/importstepwindow.h"

#include <memory>

class QLabel;
class QProgressBar;
class QPushButton;

namespace pk {

class HtmlImport;

/**
 * @brief The progress window of the bookmark-file and HTML imports: "Processing Records" while
 * the file is read, then "Analyzing HTML..." while the links of a document are gathered.
 * "Cancel" ends the current pass; what was added stays.
 */
class HtmlImportWindow final : public ImportStepWindow
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(HtmlImportWindow)

public:
    explicit HtmlImportWindow(std::unique_ptr<HtmlImport> import, QWidget *parent = nullptr);
    ~HtmlImportWindow() override;

    HtmlImport &import() { return *m_import; }
    QLabel *text() const { return m_text; }
    QLabel *percent() const { return m_percent; }
    QProgressBar *progress() const { return m_progress; }
    QPushButton *cancelButton() const { return m_cancel; }

private:
    void showProgress();

    std::unique_ptr<HtmlImport> m_import;
    QLabel *m_text = nullptr;
    QProgressBar *m_progress = nullptr;
    QLabel *m_percent = nullptr;
    QPushButton *m_cancel = nullptr;
};

} // namespace pk
