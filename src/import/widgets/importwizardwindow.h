#pragma once

#include "browse/forms/widgets/formscontext.h"
#include "import/importsettings.h"

#include <QWidget>

#include <functional>

class QButtonGroup;
class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTabWidget;

namespace pk {

/**
 * @brief The "Import Wizard" window: the pages Type, Category, File, IE Favorites and URL over
 * ImportWizard, with "&Back", "&Next", "&Finish", "Cancel" and "Help".
 *
 * The settings come in when it opens and are written back to PATHKEEP.INI however it closes.
 * It is a window of its own beside the frame, so its Alt letters are never taken by the frame's
 * menus ("&Back" and "&Browse", "&Finish" and "&File"); it takes the collection from `context`
 * each time it needs it, so a collection switch leaves it working on the new one.
 */
class ImportWizardWindow final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ImportWizardWindow)

public:
    enum Page { TypePage, CategoryPage, FilePage, FavoritesPage, UrlPage, PageCount };

    /// Saves the settings (PATHKEEP.INI) when the window closes.
    using Saver = std::function<void(const ImportSettings &)>;

    /// The program around the wizard, as it stands when asked.
    using ContextProvider = std::function<FormsContext()>;

    ImportWizardWindow(ContextProvider context,
                       ImportSettings settings,
                       Saver save,
                       QWidget *parent = nullptr);
    ~ImportWizardWindow() override;

    /// The settings as the pages show them now.
    ImportSettings settings() const;
    QTabWidget *pages() const { return m_tabs; }
    bool isPageShown(Page page) const;
    QLineEdit *categoryEdit() const { return m_category; }
    QPushButton *categoryButton() const { return m_categoryButton; }
    QLineEdit *fileEdit() const { return m_file; }
    QLineEdit *folderEdit() const { return m_folder; }
    QLineEdit *urlEdit() const { return m_url; }
    QPushButton *finishButton() const { return m_finish; }
    QString fileFilter() const { return m_filter; }

    void setType(const QString &type);
    void setAssignment(const QString &assignment);

public slots:
    void next();
    void back();
    void finish();
    void help();
    /// The category entry was accepted: looked up, the list opens when the name is missing.
    bool acceptCategory();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void showPages();
    void showButtons();
    void closeWindow();
    QWidget *typePage();
    QWidget *categoryPage();
    QWidget *filePage();
    QWidget *favoritesPage();
    QWidget *urlPage();

    ContextProvider m_context;
    ImportSettings m_settings;
    Saver m_save;
    QString m_filter;
    QTabWidget *m_tabs = nullptr;
    QButtonGroup *m_types = nullptr;
    QButtonGroup *m_modes = nullptr;
    QLineEdit *m_category = nullptr;
    QPushButton *m_categoryButton = nullptr;
    QLineEdit *m_file = nullptr;
    QLineEdit *m_folder = nullptr;
    QLineEdit *m_url = nullptr;
    QCheckBox *m_followLinks = nullptr;
    QCheckBox *m_nestedFolders = nullptr;
    QLabel *m_fileHint = nullptr;
    QPushButton *m_back = nullptr;
    QPushButton *m_next = nullptr;
    QPushButton *m_finish = nullptr;
    bool m_saved = false;
};

} // namespace pk
