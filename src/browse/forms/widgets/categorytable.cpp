#include "browse/forms/widgets/categorytable.h"

#include "browse/forms/widgets/formscontext.h"
#include "browse/forms/widgets/texttablemodel.h"
#include "browse/query/widgets/fieldsearchdialog.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QTableView>
#include <QVBoxLayout>

#include <algorithm>

namespace pk {

CategoryTable::CategoryTable(CategoryList &list,
                             UserInterface &ui,
                             int categoryWidthUnits,
                             QWidget *parent)
    : QWidget(parent)
    , m_list(list)
    , m_ui(ui)
{
    m_model = new TextTableModel(
        {QStringLiteral("Category"), QStringLiteral("Description")},
        [this] { return m_list.count(); },
        [this](int row, int column) {
            const CategoryList::Row *r = m_list.rowAt(row);
            if (!r)
                return QString();
            return column == 0 ? r->record.Category : r->record.Description.left(255);
        },
        this);
    m_table = new QTableView(this);
    FormsUi::setUpTable(m_table);
    m_table->setModel(m_model);
    m_table->setColumnWidth(0, FormsUi::dialogUnits(categoryWidthUnits, fontMetrics()));
    m_locator = new QLineEdit(this);
    m_locator->setToolTip(QStringLiteral("Category"));

    auto *locate = new QHBoxLayout;
    auto *locateLabel = new QLabel(QStringLiteral("Locate:"), this);
    locateLabel->setBuddy(m_locator);
    locate->addWidget(locateLabel);
    locate->addWidget(m_locator);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addLayout(locate);
    layout->addWidget(m_table, 1);

    connect(m_locator, &QLineEdit::textEdited, this, [this](const QString &typed) {
        selectRow(m_list.locate(typed));
    });
    connect(m_table, &QTableView::doubleClicked, this, [this](const QModelIndex &index) {
        emit activated(index.row());
    });
    FormsUi::addFindShortcuts(
        this, [this] { find(); }, [this] { findAgain(); });
    m_model->reload();
    selectRow(0);
}

int CategoryTable::currentRow() const
{
    const QModelIndex index = m_table->currentIndex();
    return index.isValid() ? index.row() : -1;
}

void CategoryTable::selectRow(int row)
{
    if (row < 0 || row >= m_list.count())
        return;
    m_table->selectRow(row);
    m_table->setCurrentIndex(m_model->index(row, 0));
    m_table->scrollTo(m_model->index(row, 0));
}

void CategoryTable::refresh()
{
    const int previous = currentRow();
    const CategoryList::Row *r = m_list.rowAt(previous);
    const QString current = r ? r->record.Category : QString();
    m_list.reload();
    m_model->reload();
    // A deleted category leaves the highlight on its neighbour.
    const int row = m_list.indexOf(current);
    selectRow(row >= 0 ? row : std::min(std::max(previous, 0), m_list.count() - 1));
}

void CategoryTable::find()
{
    bool next = false;
    const QString condition = FieldSearchDialog::vsFind(CategoryList::findFields(),
                                                        m_findLabel,
                                                        m_findValue,
                                                        next,
                                                        m_ui,
                                                        this);
    if (condition.isEmpty())
        return;
    selectRow(m_list.find(condition, !next, currentRow()));
}

void CategoryTable::findAgain()
{
    selectRow(m_list.findAgain(currentRow()));
}

} // namespace pk
