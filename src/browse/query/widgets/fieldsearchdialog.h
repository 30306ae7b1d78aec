#pragma once

#include "browse/query/fieldsearch.h"

#include <QDialog>

#include <functional>

class QComboBox;
class QLineEdit;
class QPushButton;

namespace pk {

class UserInterface;

/// Restores and saves a window's position under a name ("vsFind"); either may be empty.
struct WindowPlacement
{
    std::function<void(const QString &name, QWidget &window)> restore;
    std::function<void(const QString &name, const QWidget &window)> save;
};

/**
 * @brief The "Find..." dialog of the lists: pick a field, type a value, get a match expression.
 *
 * A thin window over FieldSearch; vsFind() is the entry point the lists call.
 */
class FieldSearchDialog final : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(FieldSearchDialog)

public:
    static constexpr const char *PlacementName = "vsFind";

    FieldSearchDialog(const QString &description,
                      FieldSearchMemory &memory,
                      UserInterface &ui,
                      QWidget *parent = nullptr);

    /// The match expression chosen; empty after Cancel.
    QString expression() const { return m_result; }
    const FieldSearch &search() const { return m_search; }

    /**
     * Shows the dialog. `label` and `value` are the previous search (read, and written on Find);
     * `findNext` is set when the user chose "Find Next". Returns the expression, empty on Cancel.
     */
    static QString vsFind(const QString &description,
                          QString &label,
                          QString &value,
                          bool &findNext,
                          UserInterface &ui,
                          QWidget *parent = nullptr,
                          const WindowPlacement &placement = {});

private:
    void find(bool next);

    FieldSearch m_search;
    FieldSearchMemory &m_memory;
    UserInterface &m_ui;
    QString m_result;

    QComboBox *m_field = nullptr;
    QLineEdit *m_value = nullptr;
    QLineEdit *m_expression = nullptr;
    QPushButton *m_find = nullptr;
    QPushButton *m_findNext = nullptr;
    QPushButton *m_cancel = nullptr;
};

} // namespace pk
