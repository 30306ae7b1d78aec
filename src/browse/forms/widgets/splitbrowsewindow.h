#pragma once

#include "browse/forms/categorylist.h"
#include "shell/procedurerequests.h"
#include "browse/forms/widgets/formscontext.h"
#include "browse/widgets/locationbrowsewindow.h"

#include <QWidget>

namespace pk {

class CategoryTable;

/**
 * @brief "Browse Locations by Category": the categories on the left, the locations of the
 * highlighted one on the right, a member of the location-list family.
 */
class SplitBrowseWindow final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SplitBrowseWindow)

public:
    static constexpr const char *CategoryLayoutKey = "SRCF?Browse:2";

    SplitBrowseWindow(FormsContext context,
                      LocationBrowseWindow::Environment locations,
                      QWidget *parent = nullptr);

    CategoryList &categories() { return m_list; }
    CategoryTable *categoryTable() const { return m_categories; }
    LocationBrowseWindow *locations() const { return m_locations; }
    void selectCategory(int row);

    /// The location side's layout: no sort tabs, the description locator, no category column.
    static LocationBrowseWindow::Layout locationLayout();

public slots:
    void refresh();

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void openCategoryForm(FormRequest request);
    /// Shows the locations of the highlighted category, reading them only when it changed.
    void followCategory();

    FormsContext m_context;
    CategoryList m_list;
    CategoryTable *m_categories = nullptr;
    LocationBrowseWindow *m_locations = nullptr;
    bool m_restored = false;
};

} // namespace pk
