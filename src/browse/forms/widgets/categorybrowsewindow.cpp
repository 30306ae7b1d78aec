#include "browse/forms/widgets/categorybrowsewindow.h"

#include "browse/forms/categoryform.h"
#include "browse/forms/widgets/categoryformdialog.h"
#include "browse/forms/widgets/categorytable.h"
#include "browse/list/browserefresh.h"
#include "browse/query/widgets/fieldsearchdialog.h"
#include "shell/procedurenames.h"
#include "shell/procedurestarter.h"

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
    setObjectName(QLatin1String(Procedure::BrowseCategories));

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

    m_categories = new CategoryTable(m_list, m_context.ui, 121, this);

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
    layout->addWidget(m_categories, 1);
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
    connect(m_categories, &CategoryTable::activated, this, &CategoryBrowseWindow::change);
    connect(&BrowseRefresh::instance(),
            &BrowseRefresh::refreshRequested,
            this,
            &CategoryBrowseWindow::refresh);

    resize(620, 440);
    refresh();
    selectRow(0);
}

QTableView *CategoryBrowseWindow::table() const
{
    return m_categories->table();
}

QLineEdit *CategoryBrowseWindow::locator() const
{
    return m_categories->locator();
}

int CategoryBrowseWindow::currentRow() const
{
    return m_categories->currentRow();
}

void CategoryBrowseWindow::selectRow(int row)
{
    m_categories->selectRow(row);
}

void CategoryBrowseWindow::find()
{
    m_categories->find();
}

void CategoryBrowseWindow::findAgain()
{
    m_categories->findAgain();
}

void CategoryBrowseWindow::refresh()
{
    m_categories->refresh();
}

void CategoryBrowseWindow::openForm(FormRequest request)
{
    const CategoryList::Row *r = m_list.rowAt(currentRow());
    if (request != FormRequest::Insert && !r)
        return;
    CategoryFormDialog::run(m_context,
                            request,
                            CategoryForm::Variant::Tabbed,
                            r ? r->record.Category : QString(),
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
    CategoryForm form(m_context.collection,
                      m_context.ui,
                      m_context.errors,
                      FormRequest::Delete,
                      CategoryForm::Variant::Tabbed,
                      r->record.Category);
    if (form.load())
        form.remove();
    refresh();
}

void CategoryBrowseWindow::showLocations()
{
    const CategoryList::Row *r = m_list.rowAt(currentRow());
    if (!r || !m_context.starter)
        return;
    m_context.starter->start(CategoryLocationsRequest{r->record.Category});
}

} // namespace pk
