#pragma once

#include "browse/forms/categorylocations.h"
#include "shell/procedurerequests.h"
#include "browse/forms/widgets/formscontext.h"

#include <QWidget>

class QLineEdit;
class QTableView;

namespace pk {

class TextTableModel;

/// @brief "Browse Location by Category": the locations of one category, by description.
class CategoryLocationsWindow final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CategoryLocationsWindow)

public:
    CategoryLocationsWindow(FormsContext context,
                            const QString &category,
                            QWidget *parent = nullptr);

    CategoryLocations &locations() { return m_locations; }
    QTableView *table() const { return m_table; }
    int currentRow() const;
    void selectRow(int row);

public slots:
    void refresh();

private:
    void open(FormRequest request);

    FormsContext m_context;
    CategoryLocations m_locations;
    TextTableModel *m_model = nullptr;
    QTableView *m_table = nullptr;
    QLineEdit *m_locator = nullptr;
};

} // namespace pk
