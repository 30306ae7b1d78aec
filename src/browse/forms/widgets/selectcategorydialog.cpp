#include "browse/forms/widgets/selectcategorydialog.h"

#include "browse/forms/widgets/categorytable.h"
#include "shell/procedurenames.h"

#include <QDialogButtonBox>
#include <QPushButton>
#include <QVBoxLayout>

namespace pk {

SelectCategoryDialog::SelectCategoryDialog(FormsContext context,
                                           const QString &typed,
                                           QWidget *parent)
    : QDialog(parent)
    , m_context(std::move(context))
    , m_list(m_context.collection, m_context.ui, m_context.errors, CategoryList::Mode::All)
{
    setWindowTitle(QStringLiteral("Select Category"));
    setObjectName(QLatin1String(Procedure::SelectCategory));
    m_list.reload();
    m_table = new CategoryTable(m_list, m_context.ui, 120, this);

    auto *buttons = new QDialogButtonBox(this);
    auto *select = buttons->addButton(QStringLiteral("&Select"), QDialogButtonBox::AcceptRole);
    select->setDefault(true);
    buttons->addButton(QStringLiteral("Cancel"), QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &SelectCategoryDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &SelectCategoryDialog::reject);
    connect(m_table, &CategoryTable::activated, this, &SelectCategoryDialog::accept);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_table, 1);
    layout->addWidget(buttons);
    resize(460, 360);
    FormsUi::keepPosition(this, m_context.positionIni, QLatin1String(Procedure::SelectCategory));

    const QString wanted = typed.trimmed();
    const int exact = m_list.indexOf(wanted);
    m_table->selectRow(exact >= 0 ? exact : m_list.locate(wanted));
}

std::optional<QString> SelectCategoryDialog::select(FormsContext context,
                                                    const QString &typed,
                                                    QWidget *parent)
{
    SelectCategoryDialog dialog(std::move(context), typed, parent);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.selected();
}

void SelectCategoryDialog::accept()
{
    const CategoryList::Row *row = m_list.rowAt(m_table->currentRow());
    if (!row)
        return;
    m_selected = row->record.Category;
    QDialog::accept();
}

} // namespace pk
