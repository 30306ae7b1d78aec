#pragma once

#include "browse/forms/widgets/formscontext.h"
#include "export/exportenvironment.h"
#include "export/exportwizardmodel.h"

#include <QDialog>

#include <functional>

class QButtonGroup;
class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QStackedWidget;

namespace pk {

class IniFile;

/// What the export wizard works with besides its settings.
struct ExportWizardContext
{
    FormsContext forms;            ///< collection, dialogs, positions, category selection
    IniFile &pathkeepIni;          ///< section "Export" holds the settings
    ExportEnvironment environment; ///< the base of every export run (progress is the wizard's)
    /// Starts `Export:Advanced` with the wizard's settings.
    std::function<bool(const ExportSettings &)> advanced;
    std::function<void(const QString &)> launch; ///< opens the written file
};

/**
 * @brief "Export Wizard" (`Wizard:Export`): type, order, selection, fields and file on five
 * pages; Finish runs the export that fits the type and offers to open the result.
 */
class ExportWizardDialog final : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ExportWizardDialog)

public:
    explicit ExportWizardDialog(ExportWizardContext context, QWidget *parent = nullptr);
    ~ExportWizardDialog() override;

    ExportWizardModel &model() { return m_model; }
    int pageIndex() const;
    bool isPageShown(int page) const;
    /// Type-dependent and selection-dependent controls, from the model.
    void refreshControls();

public slots:
    void next();
    void back();
    void finish();
    void reject() override;

private:
    QWidget *typePage();
    QWidget *orderPage();
    QWidget *categoryPage();
    QWidget *fieldsPage();
    QWidget *filePage();
    void showPage(int page);
    void toModel();
    void fromModel();
    void checkCategory();
    void lookUpCategory();
    void chooseFile();
    ExportResult runWithProgress(const std::function<ExportResult(ExportEnvironment)> &run);
    void closeWizard();

    ExportWizardContext m_context;
    ExportWizardModel m_model;
    QStackedWidget *m_pages = nullptr;
    QButtonGroup *m_types = nullptr;
    QCheckBox *m_preformatted = nullptr;
    QLineEdit *m_preformattedFile = nullptr;
    QButtonGroup *m_orders = nullptr;
    QButtonGroup *m_assignments = nullptr;
    QLineEdit *m_category = nullptr;
    QPushButton *m_categoryButton = nullptr;
    QCheckBox *m_rating = nullptr;
    QCheckBox *m_keyword = nullptr;
    QCheckBox *m_siteInfo = nullptr;
    QCheckBox *m_otherFields = nullptr;
    QLineEdit *m_file = nullptr;
    QGroupBox *m_webGroup = nullptr;
    QLabel *m_metaKeywordsLabel = nullptr;
    QLineEdit *m_metaKeywords = nullptr;
    QLabel *m_metaDescriptionLabel = nullptr;
    QLineEdit *m_metaDescription = nullptr;
    QLineEdit *m_title = nullptr;
    QPushButton *m_back = nullptr;
    QPushButton *m_next = nullptr;
    bool m_closed = false;
    bool m_updating = false;
};

} // namespace pk
