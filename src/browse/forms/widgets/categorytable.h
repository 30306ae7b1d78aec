#pragma once

#include "browse/forms/categorylist.h"

#include <QWidget>

class QLineEdit;
class QTableView;

namespace pk {

class TextTableModel;

/**
 * @brief A category list with its locator and Ctrl+F/F3, as the choice windows show it:
 * columns "Category" and "Description".
 */
class CategoryTable final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CategoryTable)

public:
    CategoryTable(CategoryList &list,
                  UserInterface &ui,
                  int categoryWidthUnits,
                  QWidget *parent = nullptr);

    QTableView *table() const { return m_table; }
    QLineEdit *locator() const { return m_locator; }
    int currentRow() const;
    void selectRow(int row);
    /// Reads the list again and keeps the highlighted category when it is still there.
    void refresh();

public slots:
    void find();
    void findAgain();

signals:
    void activated(int row);

private:
    CategoryList &m_list;
    UserInterface &m_ui;
    TextTableModel *m_model = nullptr;
    QTableView *m_table = nullptr;
    QLineEdit *m_locator = nullptr;
    QString m_findLabel;
    QString m_findValue;
};

} // namespace pk
