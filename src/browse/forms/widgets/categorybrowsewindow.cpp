#include "browse/forms/widgets/categorybrowsewindow.h"

#include "browse/forms/categoryform.h"
#include "browse/forms/widgets/categoryformdialog.h"
#include "browse/forms/widgets/texttablemodel.h"
#include "browse/list/browserefresh.h"
#include "browse/query/widgets/fieldsearchdialog.h"

#include <QDialogButtonBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

namespace pk {

CategoryBrowseWindow::CategoryBrowseWindow(FormsContext context, QWidget *parent)
    : QWidget(parent)
    , m_context(std::move(context))
    , m_list(m_context.collection, m_context.ui, m_context.errors, CategoryList::Mode::All)
{
    setWindowTitle(QStringLiteral("Browse Categories"));
    setObjectName(QLatin1String(Procedure));

    m_model = new TextTableModel(
        {QStringLiteral("Category"), QStringLiteral("Description")}, [this] { return m_list.count(); },
        [this](int row, int column) {
            const CategoryList::Row *r = m_list.rowAt(row);
            if (!r)
                return QString();
            return column == 0 ? r->record.Category : r->record.Description.left(255);
        },
        this);

    auto *intro = new QLabel(QStringLiteral("Add, Edit, or Remove URL Categories here."), this);
    auto *tip = new QGroupBox(QStringLiteral("Tip:"), this);
    auto *tipLayout = new QVBoxLayout(tip);
    tipLayout->addWidget(new QLabel(QStringLiteral("You can optionally add HTML code by hand\n"
                                                   "or paste it in from your favorite editor.\n"
                                                   "HTML code can be positioned before or\n"
                                                   "after each category or category title.\n"
                                                   "In addition, if you add a category called\n"
                                                   "\"_Before All\", you can position HTML code\n"
                                                   "before anything is output (great for\n"
                                                   "backgrounds, sounds, frames, etc.)"),
                                    tip));

    m_locator = new QLineEdit(this);
    m_locator->setToolTip(QStringLiteral("Category"));
    m_table = new QTableView(this);
    FormsUi::setUpTable(m_table);
    m_table->setModel(m_model);
    m_table->setColumnWidth(0, FormsUi::dialogUnits(121, fontMetrics()));

    auto *newButton = new QPushButton(QStringLiteral("&New"), this);
    auto *editButton = new QPushButton(QStringLiteral("&Edit"), this);
    auto *deleteButton = new QPushButton(QStringLiteral("&Delete"), this);
    auto *locationsButton = new QPushButton(QStringLiteral("Locations for this Category"), this);
    auto *closeButton = new QPushButton(QStringLiteral("Cl&ose"), this);
    newButton->setObjectName(QStringLiteral("new"));
    editButton->setObjectName(QStringLiteral("edit"));
    deleteButton->setObjectName(QStringLiteral("delete"));
    locationsButton->setObjectName(QStringLiteral("locations"));

    auto *top = new QHBoxLayout;
    auto *left = new QVBoxLayout;
    left->addWidget(intro);
    auto *locate = new QHBoxLayout;
    locate->addWidget(new QLabel(QStringLiteral("Locate:"), this));
    locate->addWidget(m_locator);
    left->addLayout(locate);
    left->addStretch();
    top->addLayout(left, 1);
    top->addWidget(tip);

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(newButton);
    buttons->addWidget(editButton);
    buttons->addWidget(deleteButton);
    buttons->addWidget(locationsButton);
    buttons->addStretch();
    buttons->addWidget(closeButton);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(m_table, 1);
    layout->addLayout(buttons);

    connect(newButton, &QPushButton::clicked, this, &CategoryBrowseWindow::insert);
    connect(editButton, &QPushButton::clicked, this, &CategoryBrowseWindow::change);
    connect(deleteButton, &QPushButton::clicked, this, &CategoryBrowseWindow::remove);
    connect(locationsButton, &QPushButton::clicked, this, &CategoryBrowseWindow::showLocations);
    connect(closeButton, &QPushButton::clicked, this, [this] {
        if (parentWidget())
            parentWidget()->close();
        close();
    });
    connect(m_table, &QTableView::doubleClicked, this, &CategoryBrowseWindow::change);
    connect(m_locator, &QLineEdit::textEdited, this,
            [this](const QString &typed) { selectRow(m_list.locate(typed)); });
    connect(&BrowseRefresh::instance(), &BrowseRefresh::refreshRequested, this, &CategoryBrowseWindow::refresh);
    FormsUi::addFindShortcuts(this, [this] { find(); }, [this] { findAgain(); });

    resize(620, 440);
    refresh();
    selectRow(0);
}

int CategoryBrowseWindow::currentRow() const
{
    const QModelIndex index = m_table->currentIndex();
    return index.isValid() ? index.row() : -1;
}

void CategoryBrowseWindow::selectRow(int row)
{
    if (row < 0 || row >= m_list.count())
        return;
    m_table->selectRow(row);
    m_table->setCurrentIndex(m_model->index(row, 0));
    m_table->scrollTo(m_model->index(row, 0));
}

void CategoryBrowseWindow::refresh()
{
    const CategoryList::Row *r = m_list.rowAt(currentRow());
    const QString current = r ? r->record.Category : QString();
    m_list.refresh();
    m_model->reload();
    const int row = m_list.indexOf(current);
    selectRow(row >= 0 ? row : std::min(currentRow(), m_list.count() - 1));
}

void CategoryBrowseWindow::openForm(FormRequest request)
{
    const CategoryList::Row *r = m_list.rowAt(currentRow());
    if (request != FormRequest::Insert && !r)
        return;
    CategoryFormDialog::run(m_context, request, CategoryForm::Variant::Tabbed, r ? r->record.Category : QString(),
                            this);
    refresh();
}

void CategoryBrowseWindow::insert()
{
    CategoryFormDialog::run(m_context, FormRequest::Insert, CategoryForm::Variant::Tabbed, {}, this);
    refresh();
}

void CategoryBrowseWindow::change()
{
    openForm(FormRequest::Change);
}

void CategoryBrowseWindow::remove()
{
    const CategoryList::Row *r = m_list.rowAt(currentRow());
    if (!r)
        return;
    CategoryForm form(m_context.collection, m_context.ui, m_context.errors, FormRequest::Delete,
                      CategoryForm::Variant::Tabbed, r->record.Category);
    if (form.load())
        form.remove();
    refresh();
}

void CategoryBrowseWindow::showLocations()
{
    const CategoryList::Row *r = m_list.rowAt(currentRow());
    if (!r || !m_context.startProcedure)
        return;
    m_context.startProcedure(QLatin1String(LocationsProcedure), {{QStringLiteral("Category"), r->record.Category}});
}

void CategoryBrowseWindow::find()
{
    bool next = false;
    const QString condition = FieldSearchDialog::vsFind(CategoryList::findFields(), m_findLabel, m_findValue,
                                                        next, m_context.ui, this);
    if (condition.isEmpty())
        return;
    selectRow(m_list.find(condition, !next, currentRow()));
}

void CategoryBrowseWindow::findAgain()
{
    selectRow(m_list.findAgain(currentRow()));
}

} // namespace pk
