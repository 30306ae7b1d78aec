#pragma once

#include "browse/forms/categorylist.h"
#include "shell/procedurerequests.h"
#include "browse/forms/widgets/formscontext.h"

#include <QWidget>

class QLineEdit;
class QPushButton;
class QTableView;

namespace pk {

class CategoryTable;

/**
 * @brief "Browse Categories": the category list with its locator, Ctrl+F/F3 search and the
 * buttons that open the category form and the locations of a category.
 */
class CategoryBrowseWindow final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CategoryBrowseWindow)

public:
    explicit CategoryBrowseWindow(FormsContext context, QWidget *parent = nullptr);

    CategoryList &list() { return m_list; }
    QTableView *table() const;
    QLineEdit *locator() const;
    int currentRow() const;
    void selectRow(int row);

public slots:
    void refresh();
    void insert();
    void change();
    void remove();
    void showLocations();
    void find();
    void findAgain();

private:
    void openForm(FormRequest request);

    FormsContext m_context;
    CategoryList m_list;
    CategoryTable *m_categories = nullptr;
};

} // namespace pk
