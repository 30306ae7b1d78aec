#pragma once

#include "browse/forms/categoryform.h"
#include "browse/forms/categorylocations.h"
#include "browse/forms/widgets/formscontext.h"

#include <QDialog>

#include <vector>

class QLineEdit;
class QPlainTextEdit;
class QTabWidget;
class QTableView;

namespace pk {

class TextTableModel;

/**
 * @brief "Update the Categories File": the category form with the tabs General, HTML and
 * Locations (`UpdateCategories`), or General alone (`UpdateCategoriesNoMDI`).
 */
class CategoryFormDialog final : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CategoryFormDialog)

public:
    CategoryFormDialog(FormsContext context,
                       FormRequest request,
                       CategoryForm::Variant variant,
                       const QString &category,
                       QWidget *parent = nullptr);

    /// Runs the form modally; true when the request completed. `saved` receives the name stored.
    static bool run(FormsContext context,
                    FormRequest request,
                    CategoryForm::Variant variant,
                    const QString &category,
                    QWidget *parent = nullptr,
                    QString *saved = nullptr);

    CategoryForm &form() { return m_form; }
    bool isLoaded() const { return m_loaded; }
    QLineEdit *categoryEdit() const { return m_category; }
    QPlainTextEdit *descriptionEdit() const { return m_description; }
    QTabWidget *tabs() const { return m_tabs; }
    QTableView *snippetTable() const { return m_snippetTable; }
    QTableView *locationTable() const { return m_locationTable; }

public slots:
    void accept() override;

private:
    void takeEntries();
    void showRecord();
    void refreshSnippets();
    void refreshLocations();
    void snippet(FormRequest request);
    void location(FormRequest request);
    bool saveBeforeAddingLocations();
    QString currentName() const;

    FormsContext m_context;
    CategoryForm m_form;
    CategoryLocations m_locations;
    std::vector<CatHtmlRecord> m_snippets;
    bool m_loaded = false;
    QTabWidget *m_tabs = nullptr;
    QLineEdit *m_category = nullptr;
    QPlainTextEdit *m_description = nullptr;
    QTableView *m_snippetTable = nullptr;
    QTableView *m_locationTable = nullptr;
    TextTableModel *m_snippetModel = nullptr;
    TextTableModel *m_locationModel = nullptr;
};

} // namespace pk
