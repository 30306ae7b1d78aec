#include "browse/query/widgets/fieldsearchdialog.h"

#include "framework/userinterface.h"

#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace pk {

namespace {
const QString HelpText = QStringLiteral("Search for this value (wildcards accepted)");
}

FieldSearchDialog::FieldSearchDialog(const QString &description,
                                     FieldSearchMemory &memory,
                                     UserInterface &ui,
                                     QWidget *parent)
    : QDialog(parent)
    , m_search(description)
    , m_memory(memory)
    , m_ui(ui)
{
    setWindowTitle(QStringLiteral("Find..."));
    setObjectName(QLatin1String(PlacementName));

    m_field = new QComboBox(this);
    m_field->setObjectName(QStringLiteral("field"));
    m_field->addItems(m_search.labels());
    m_value = new QLineEdit(this);
    m_value->setObjectName(QStringLiteral("value"));
    m_value->setMaxLength(FieldSearch::MaxValue);
    m_value->setToolTip(HelpText);
    m_value->setStatusTip(HelpText);
    m_expression = new QLineEdit(this);
    m_expression->setObjectName(QStringLiteral("expression"));
    m_expression->setReadOnly(true);
    m_expression->setFocusPolicy(Qt::NoFocus);
    m_expression->setAccessibleName(QStringLiteral("Query"));

    auto *fieldLabel = new QLabel(QStringLiteral("Fi&eld to search:"), this);
    fieldLabel->setBuddy(m_field);
    auto *valueLabel = new QLabel(QStringLiteral("&Search for:"), this);
    valueLabel->setBuddy(m_value);
    auto *help = new QLabel(HelpText + QStringLiteral("\n(Eg. *computer*, Computer, Co??uter)"),
                            this);
    help->setObjectName(QStringLiteral("help"));

    auto *form = new QFormLayout;
    form->addRow(fieldLabel, m_field);
    form->addRow(valueLabel, m_value);
    form->addRow(help);
    form->addRow(m_expression);

    m_find = new QPushButton(QStringLiteral("&Find"), this);
    m_find->setObjectName(QStringLiteral("find"));
    m_find->setDefault(true);
    m_findNext = new QPushButton(QStringLiteral("Find &Next"), this);
    m_findNext->setObjectName(QStringLiteral("findNext"));
    m_cancel = new QPushButton(QStringLiteral("Cancel"), this);
    m_cancel->setObjectName(QStringLiteral("cancel"));
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_find);
    buttons->addWidget(m_findNext);
    buttons->addWidget(m_cancel);

    auto *main = new QVBoxLayout(this);
    main->addLayout(form);
    main->addLayout(buttons);

    m_search.open(memory);
    m_field->setCurrentIndex(m_search.currentField());
    m_value->setText(m_search.value());
    m_expression->setText(m_search.expression());
    m_value->setFocus();

    connect(m_field, &QComboBox::currentIndexChanged, this, [this](int row) {
        m_search.setCurrentField(row);
        m_expression->setText(m_search.expression());
    });
    connect(m_value, &QLineEdit::textEdited, this, [this](const QString &text) {
        m_search.setValue(text);
        m_expression->setText(m_search.expression());
    });
    connect(m_find, &QPushButton::clicked, this, [this] { find(false); });
    connect(m_findNext, &QPushButton::clicked, this, [this] { find(true); });
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);
}

void FieldSearchDialog::find(bool next)
{
    if (const std::optional<QString> expression = m_search.find(next, m_memory, m_ui)) {
        m_result = *expression;
        accept();
    }
}

QString FieldSearchDialog::vsFind(const QString &description,
                                  QString &label,
                                  QString &value,
                                  bool &findNext,
                                  UserInterface &ui,
                                  QWidget *parent,
                                  const WindowPlacement &placement)
{
    FieldSearchMemory memory{label, value, findNext};
    FieldSearchDialog dialog(description, memory, ui, parent);
    if (placement.restore)
        placement.restore(QLatin1String(PlacementName), dialog);
    const bool accepted = dialog.exec() == QDialog::Accepted;
    if (placement.save)
        placement.save(QLatin1String(PlacementName), dialog);
    if (!accepted)
        return {};
    label = memory.label;
    value = memory.value;
    findNext = memory.findNext;
    return dialog.expression();
}

} // namespace pk
