#include "browse/forms/widgets/askcategorydialog.h"

#include "browse/forms/widgets/categoryformdialog.h"
#include "browse/forms/widgets/categorytable.h"
#include "shell/procedurenames.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

namespace pk {

AskCategoryDialog::AskCategoryDialog(FormsContext context,
                                     const LocationRecord &location,
                                     const QString &guess,
                                     QWidget *parent)
    : QDialog(parent)
    , m_context(std::move(context))
    , m_logic(m_context.collection, m_context.ui, m_context.errors, location, guess)
{
    setWindowTitle(QStringLiteral("Category Assignment"));
    setObjectName(QLatin1String(Procedure::AskCategory));

    auto *form = new QFormLayout;
    auto *locationEdit = new QLineEdit(location.Location.left(60), this);
    locationEdit->setReadOnly(true);
    auto *descriptionEdit = new QLineEdit(location.Description.left(100), this);
    descriptionEdit->setReadOnly(true);
    form->addRow(QStringLiteral("&Location:"), locationEdit);
    form->addRow(QStringLiteral("&Description:"), descriptionEdit);

    auto *tabs = new QTabWidget(this);
    m_table = new CategoryTable(m_logic.list(), m_context.ui, 123, tabs);
    tabs->addTab(m_table, QStringLiteral("Select Category"));
    m_bestGuess = new QLabel(m_logic.bestGuessText(), this);
    m_bestGuess->setObjectName(QStringLiteral("bestGuess"));

    auto *insertButton = new QPushButton(QStringLiteral("&Insert"), this);
    auto *selectButton = new QPushButton(QStringLiteral("&Select"), this);
    auto *guessButton = new QPushButton(QStringLiteral("&Use Best Guess"), this);
    insertButton->setObjectName(QStringLiteral("insert"));
    selectButton->setObjectName(QStringLiteral("select"));
    guessButton->setObjectName(QStringLiteral("useBestGuess"));
    selectButton->setDefault(true);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(insertButton);
    buttons->addStretch();
    buttons->addWidget(selectButton);
    buttons->addWidget(guessButton);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(tabs, 1);
    layout->addWidget(m_bestGuess);
    layout->addLayout(buttons);

    connect(insertButton, &QPushButton::clicked, this, &AskCategoryDialog::insert);
    connect(selectButton, &QPushButton::clicked, this, &AskCategoryDialog::select);
    connect(guessButton, &QPushButton::clicked, this, &AskCategoryDialog::useBestGuess);
    connect(m_table, &CategoryTable::activated, this, &AskCategoryDialog::select);
    resize(520, 420);
    FormsUi::keepPosition(this, m_context.positionIni, QLatin1String(Procedure::AskCategory));
}

QString AskCategoryDialog::ask(FormsContext context,
                               const LocationRecord &location,
                               const QString &guess,
                               QWidget *parent)
{
    AskCategoryDialog dialog(std::move(context), location, guess, parent);
    dialog.exec();
    return dialog.logic().category();
}

void AskCategoryDialog::select()
{
    if (m_logic.select(m_table->currentRow()))
        QDialog::accept();
}

void AskCategoryDialog::useBestGuess()
{
    m_logic.useBestGuess();
    QDialog::accept();
}

void AskCategoryDialog::insert()
{
    QString added;
    if (!CategoryFormDialog::run(m_context,
                                 FormRequest::Insert,
                                 CategoryForm::Variant::NoMdi,
                                 {},
                                 this,
                                 &added))
        return;
    const int row = m_logic.inserted(added);
    m_table->refresh();
    m_table->selectRow(row);
}

} // namespace pk
