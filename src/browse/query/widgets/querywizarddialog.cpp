#include "browse/query/widgets/querywizarddialog.h"

#include "browse/query/queryexpression.h"
#include "browse/query/querytexts.h"
#include "framework/userinterface.h"

#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QStackedWidget>
#include <QVBoxLayout>

namespace pk {

QueryWizardDialog::QueryWizardDialog(const QueryFieldTable &fields,
                                     const QueryTexts &texts,
                                     UserInterface &ui,
                                     QWidget *parent)
    : QDialog(parent)
    , m_model(fields, texts)
    , m_ui(ui)
{
    setWindowTitle(QStringLiteral("Query Wizard"));
    setObjectName(QStringLiteral("QueryWizard"));
    buildUi();
    startCondition(QueryCondition::Join::And, -1);
}

void QueryWizardDialog::buildUi()
{
    const QueryTexts &t = m_model.texts();
    auto button = [&](int tip, int status, int label, const char *name) {
        auto *b = new QPushButton(t.text(label), this);
        b->setToolTip(t.text(tip));
        b->setStatusTip(t.text(status));
        b->setObjectName(QLatin1String(name));
        b->setAutoDefault(false);
        return b;
    };

    m_pages = new QStackedWidget(this);

    // Condition page.
    auto *conditionPage = new QWidget(m_pages);
    auto *form = new QFormLayout;
    m_conditionTitle = new QLabel(conditionPage);
    m_field = new QComboBox(conditionPage);
    m_field->setObjectName(QStringLiteral("field"));
    for (const QueryField &f : m_model.fields().fields())
        m_field->addItem(f.prompt);
    m_operator = new QComboBox(conditionPage);
    m_operator->setObjectName(QStringLiteral("operator"));
    m_value = new QLineEdit(conditionPage);
    m_value->setObjectName(QStringLiteral("value"));
    m_value->setMaxLength(QueryExpression::MaxLength);
    m_choice = new QComboBox(conditionPage);
    m_choice->setObjectName(QStringLiteral("choice"));
    m_valueLabel = new QLabel(QStringLiteral("&Value:"), conditionPage);
    auto *valueBox = new QHBoxLayout;
    valueBox->addWidget(m_value);
    valueBox->addWidget(m_choice);
    m_valueLabel->setBuddy(m_value);
    form->addRow(m_conditionTitle);
    form->addRow(QStringLiteral("Fi&eld:"), m_field); // F is Finish
    form->addRow(QStringLiteral("&Operator:"), m_operator);
    form->addRow(m_valueLabel, valueBox);
    conditionPage->setLayout(form);
    m_pages->addWidget(conditionPage);

    // List page.
    auto *listPage = new QWidget(m_pages);
    auto *listLayout = new QVBoxLayout(listPage);
    m_list = new QListWidget(listPage);
    m_list->setObjectName(QStringLiteral("conditions"));
    auto *listButtons = new QHBoxLayout;
    m_and = button(QueryTexts::AndTip, QueryTexts::AndStatus, QueryTexts::AndButton, "and");
    m_or = button(QueryTexts::OrTip, QueryTexts::OrStatus, QueryTexts::OrButton, "or");
    m_change = button(QueryTexts::ChangeTip,
                      QueryTexts::ChangeStatus,
                      QueryTexts::ChangeButton,
                      "change");
    m_remove = button(QueryTexts::RemoveTip,
                      QueryTexts::RemoveStatus,
                      QueryTexts::RemoveButton,
                      "remove");
    for (QPushButton *b : {m_and, m_or, m_change, m_remove})
        listButtons->addWidget(b);
    listButtons->addStretch();
    m_expression = new QLineEdit(listPage);
    m_expression->setObjectName(QStringLiteral("expression"));
    m_expression->setReadOnly(true);
    listLayout->addWidget(m_list);
    listLayout->addLayout(listButtons);
    listLayout->addWidget(new QLabel(QStringLiteral("Query:"), listPage));
    listLayout->addWidget(m_expression);
    m_pages->addWidget(listPage);

    auto *bottom = new QHBoxLayout;
    m_back = button(QueryTexts::BackTip, QueryTexts::BackStatus, QueryTexts::BackButton, "back");
    m_next = button(QueryTexts::NextTip, QueryTexts::NextStatus, QueryTexts::NextButton, "next");
    m_finish = button(QueryTexts::FinishTip,
                      QueryTexts::FinishStatus,
                      QueryTexts::FinishButton,
                      "finish");
    m_cancel = button(QueryTexts::CancelTip,
                      QueryTexts::CancelStatus,
                      QueryTexts::CancelButton,
                      "cancel");
    bottom->addStretch();
    for (QPushButton *b : {m_back, m_next, m_finish, m_cancel})
        bottom->addWidget(b);

    auto *main = new QVBoxLayout(this);
    main->addWidget(m_pages);
    main->addLayout(bottom);

    connect(m_field, &QComboBox::currentIndexChanged, this, &QueryWizardDialog::fieldChanged);
    connect(m_operator, &QComboBox::currentIndexChanged, this, &QueryWizardDialog::operatorChanged);
    connect(m_and, &QPushButton::clicked, this, [this] {
        startCondition(QueryCondition::Join::And, -1);
    });
    connect(m_or, &QPushButton::clicked, this, [this] {
        startCondition(QueryCondition::Join::Or, -1);
    });
    connect(m_change, &QPushButton::clicked, this, [this] {
        const int row = m_list->currentRow();
        if (row >= 0)
            startCondition(m_model.conditions().at(row).join, row);
    });
    connect(m_remove, &QPushButton::clicked, this, [this] {
        m_model.remove(m_list->currentRow());
        refreshList();
    });
    connect(m_list, &QListWidget::currentRowChanged, this, &QueryWizardDialog::updateButtons);
    connect(m_list, &QListWidget::itemDoubleClicked, m_change, &QPushButton::click);
    connect(m_back, &QPushButton::clicked, this, &QueryWizardDialog::showList);
    connect(m_next, &QPushButton::clicked, this, [this] {
        if (applyCondition())
            showList();
    });
    connect(m_finish, &QPushButton::clicked, this, &QueryWizardDialog::finish);
    connect(m_cancel, &QPushButton::clicked, this, &QueryWizardDialog::reject);
}

bool QueryWizardDialog::setQuery(const QString &expression)
{
    const QueryTexts &t = m_model.texts();
    switch (m_model.load(expression)) {
    case QueryWizardModel::LoadResult::Empty:
        startCondition(QueryCondition::Join::And, -1);
        return true;
    case QueryWizardModel::LoadResult::Loaded:
        showList();
        return true;
    case QueryWizardModel::LoadResult::Invalid:
        m_ui.message(t.text(QueryTexts::ErrorLoadingQueryTitle),
                     t.message(QueryTexts::ErrorLoadingQuery),
                     UserInterface::Icon::Warning);
        break;
    case QueryWizardModel::LoadResult::NoLongerValid:
        m_ui.message(t.text(QueryTexts::QueryNoLongerValidTitle),
                     t.message(QueryTexts::QueryNoLongerValid),
                     UserInterface::Icon::Warning);
        break;
    case QueryWizardModel::LoadResult::NotEditable:
        if (!m_ui.askYesNo(t.text(QueryTexts::OverwriteQueryTitle),
                           t.message(QueryTexts::OverwriteQuery),
                           false))
            return false;
        break;
    }
    startCondition(QueryCondition::Join::And, -1);
    return true;
}

void QueryWizardDialog::startCondition(QueryCondition::Join join, int editIndex)
{
    const QueryTexts &t = m_model.texts();
    m_join = join;
    m_editIndex = editIndex;
    if (editIndex >= 0) {
        const QueryCondition &c = m_model.conditions().at(editIndex);
        m_conditionTitle->setText(t.text(QueryTexts::ChangeStatus));
        m_field->setCurrentIndex(c.field);
        fieldChanged();
        m_operator->setCurrentIndex(static_cast<int>(m_model.operatorsFor(c.field).indexOf(c.op)));
        m_value->setText(c.value);
        const int choice = static_cast<int>(m_model.fields().at(c.field).choices.indexOf(c.value));
        if (choice >= 0)
            m_choice->setCurrentIndex(choice);
    } else {
        m_conditionTitle->setText(m_model.conditions().isEmpty()
                                      ? QStringLiteral("New Condition")
                                      : t.text(join == QueryCondition::Join::And
                                                   ? QueryTexts::AndStatus
                                                   : QueryTexts::OrStatus));
        if (m_field->currentIndex() < 0 && m_field->count() > 0)
            m_field->setCurrentIndex(0);
        fieldChanged();
        m_value->clear();
    }
    m_pages->setCurrentIndex(ConditionPage);
    updateButtons();
    m_field->setFocus();
}

void QueryWizardDialog::showList()
{
    refreshList();
    m_pages->setCurrentIndex(ListPage);
    updateButtons();
}

void QueryWizardDialog::fieldChanged()
{
    const int row = m_field->currentIndex();
    m_operator->blockSignals(true);
    m_operator->clear();
    for (QueryOperator op : m_model.operatorsFor(row))
        m_operator->addItem(m_model.texts().operatorText(op), static_cast<int>(op));
    m_operator->setCurrentIndex(m_operator->count() > 0 ? 0 : -1);
    m_operator->blockSignals(false);
    m_choice->clear();
    if (row >= 0)
        m_choice->addItems(m_model.fields().at(row).choices);
    operatorChanged();
}

void QueryWizardDialog::operatorChanged()
{
    const int row = m_field->currentIndex();
    const bool dropList = row >= 0
                          && m_model.fields().at(row).control == QueryField::Control::DropList;
    const auto op = static_cast<QueryOperator>(m_operator->currentData().toInt());
    const bool check = m_operator->currentIndex() >= 0 && isCheckOperator(op);
    m_value->setVisible(!check && !dropList);
    m_choice->setVisible(!check && dropList);
    m_valueLabel->setVisible(!check);
    m_valueLabel->setBuddy(dropList ? static_cast<QWidget *>(m_choice) : m_value);
}

QueryCondition QueryWizardDialog::editedCondition() const
{
    QueryCondition c;
    c.join = m_join;
    c.field = m_field->currentIndex();
    c.op = static_cast<QueryOperator>(m_operator->currentData().toInt());
    if (!isCheckOperator(c.op)) {
        const bool dropList = c.field >= 0
                              && m_model.fields().at(c.field).control
                                     == QueryField::Control::DropList;
        c.value = dropList ? m_choice->currentText() : m_value->text();
    }
    return c;
}

bool QueryWizardDialog::applyCondition()
{
    const QueryCondition c = editedCondition();
    const QString why = m_model.validate(c);
    if (!why.isEmpty()) {
        showInvalid(why);
        return false;
    }
    if (m_editIndex >= 0)
        m_model.replace(m_editIndex, c);
    else
        m_model.add(c);
    m_editIndex = -1;
    return true;
}

void QueryWizardDialog::finish()
{
    if (m_pages->currentIndex() == ConditionPage) {
        // An untouched new condition page adds nothing; anything typed must be valid.
        const QueryCondition c = editedCondition();
        const bool dropList = c.field >= 0
                              && m_model.fields().at(c.field).control
                                     == QueryField::Control::DropList;
        const bool blank = m_editIndex < 0 && !isCheckOperator(c.op) && !dropList
                           && c.value.trimmed().isEmpty();
        if (!blank && !applyCondition())
            return;
        refreshList();
    }
    QueryError error;
    if (!m_model.check(error)) {
        showInvalid(error.reason);
        showList();
        return;
    }
    m_result = m_model.expression();
    accept();
}

void QueryWizardDialog::reject()
{
    const QueryTexts &t = m_model.texts();
    if (m_model.isModified()
        && m_ui.askYesNo(t.text(QueryTexts::SaveQueryTitle), t.message(QueryTexts::SaveQuery))) {
        finish();
        return;
    }
    QDialog::reject();
}

void QueryWizardDialog::showInvalid(const QString &reason)
{
    const QueryTexts &t = m_model.texts();
    QString text = t.message(QueryTexts::InvalidQuery);
    if (!reason.isEmpty())
        text += QStringLiteral("\n\n") + reason;
    m_ui.message(t.text(QueryTexts::InvalidQueryTitle), text, UserInterface::Icon::Warning);
}

void QueryWizardDialog::refreshList()
{
    const int keep = m_list->currentRow();
    m_list->clear();
    for (int i = 0; i < m_model.conditions().size(); ++i)
        m_list->addItem(m_model.describe(i));
    if (m_list->count() > 0)
        m_list->setCurrentRow(std::clamp(keep, 0, m_list->count() - 1));
    m_expression->setText(m_model.expression());
    updateButtons();
}

void QueryWizardDialog::updateButtons()
{
    const bool onList = m_pages->currentIndex() == ListPage;
    const bool any = !m_model.conditions().isEmpty();
    const bool selected = m_list->currentRow() >= 0;
    m_back->setEnabled(!onList && any);
    m_next->setEnabled(!onList);
    m_change->setEnabled(selected);
    m_remove->setEnabled(selected);
    m_next->setDefault(!onList);
    m_finish->setDefault(onList);
}

std::optional<QString> QueryWizardDialog::run(const QueryFieldTable &fields,
                                              const QueryTexts &texts,
                                              UserInterface &ui,
                                              const QString &current,
                                              QWidget *parent)
{
    QueryWizardDialog dialog(fields, texts, ui, parent);
    if (!dialog.setQuery(current))
        return std::nullopt;
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.query();
}

} // namespace pk
