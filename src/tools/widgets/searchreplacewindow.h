#pragma once

#include <QDialog>

#include <functional>
#include <optional>

class QLineEdit;
class QListWidget;
class QPushButton;

namespace pk {

class Collection;
class ErrorManager;
class UserInterface;

/// What the search and replace window works with.
struct SearchReplaceEnvironment
{
    std::function<Collection *()> collection;
    UserInterface *ui = nullptr;
    ErrorManager *errors = nullptr;
    /// The query wizard: the condition chosen, or nothing when the user cancelled it.
    std::function<std::optional<QString>()> queryWizard;
    /// Tells every open location list to refresh after a run.
    std::function<void()> refreshLists;
};

/**
 * @brief "Global Search and Replace": a field, a search text and a replacement; OK replaces
 * across the locations (optionally through a query) and the window stays open for the next.
 */
class SearchReplaceWindow final : public QDialog
{
    Q_OBJECT

public:
    explicit SearchReplaceWindow(SearchReplaceEnvironment environment, QWidget *parent = nullptr);

    /// Runs the replacement with the current choices (OK).
    void accept() override;

signals:
    void closeRequested();

private:
    void fieldChosen();

    SearchReplaceEnvironment m_env;
    QListWidget *m_fields = nullptr;
    QLineEdit *m_search = nullptr;
    QLineEdit *m_replacement = nullptr;
    QPushButton *m_ok = nullptr;
};

} // namespace pk
