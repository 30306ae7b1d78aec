#pragma once

#include "browse/query/querywizardmodel.h"

#include <QDialog>

#include <optional>

class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QStackedWidget;

namespace pk {

class UserInterface;

/**
 * @brief The query wizard: builds a filter expression one condition at a time.
 *
 * Two pages: the condition page (field, operator, value) and the list of conditions with the
 * resulting expression. All rules live in QueryWizardModel; messages go through UserInterface.
 */
class QueryWizardDialog final : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(QueryWizardDialog)

public:
    QueryWizardDialog(const QueryFieldTable &fields,
                      const QueryTexts &texts,
                      UserInterface &ui,
                      QWidget *parent = nullptr);

    /**
     * Loads the query being edited. A query the wizard cannot show as conditions is reported
     * (invalid, no longer valid) or, when it is valid but too elaborate, the user is asked
     * whether to overwrite it; returns false when the user declines (the wizard should not run).
     */
    bool setQuery(const QString &expression);

    /// The expression the user finished with (empty means no query).
    QString query() const { return m_result; }

    QueryWizardModel &model() { return m_model; }

    /// Runs the wizard modally; returns the new query when the user finished, nothing on cancel.
    static std::optional<QString> run(const QueryFieldTable &fields,
                                      const QueryTexts &texts,
                                      UserInterface &ui,
                                      const QString &current,
                                      QWidget *parent = nullptr);

    void reject() override;

private:
    enum Page { ConditionPage, ListPage };

    void buildUi();
    void startCondition(QueryCondition::Join join, int editIndex);
    void showList();
    void fieldChanged();
    void operatorChanged();
    QueryCondition editedCondition() const;
    bool applyCondition();
    void finish();
    void showInvalid(const QString &reason);
    void refreshList();
    void updateButtons();

    QueryWizardModel m_model;
    UserInterface &m_ui;
    QString m_result;

    QueryCondition::Join m_join = QueryCondition::Join::And;
    int m_editIndex = -1;

    QStackedWidget *m_pages = nullptr;
    QLabel *m_conditionTitle = nullptr;
    QComboBox *m_field = nullptr;
    QComboBox *m_operator = nullptr;
    QLineEdit *m_value = nullptr;
    QComboBox *m_choice = nullptr;
    QLabel *m_valueLabel = nullptr;
    QListWidget *m_list = nullptr;
    QLineEdit *m_expression = nullptr;
    QPushButton *m_and = nullptr;
    QPushButton *m_or = nullptr;
    QPushButton *m_change = nullptr;
    QPushButton *m_remove = nullptr;
    QPushButton *m_back = nullptr;
    QPushButton *m_next = nullptr;
    QPushButton *m_finish = nullptr;
    QPushButton *m_cancel = nullptr;
};

} // namespace pk
