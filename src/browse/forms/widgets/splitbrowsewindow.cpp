#include "browse/forms/widgets/splitbrowsewindow.h"

#include "browse/forms/categoryform.h"
#include "browse/forms/widgets/categoryformdialog.h"
#include "browse/forms/widgets/categorytable.h"
#include "browse/list/browserefresh.h"
#include "browse/list/locationcolumns.h"
#include "platform/inifile.h"
#include "shell/procedurenames.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QSplitter>
#include <QTableView>
#include <QVBoxLayout>

namespace pk {

LocationBrowseWindow::Layout SplitBrowseWindow::locationLayout()
{
    LocationBrowseWindow::Layout layout;
    layout.section = Procedure::BrowseByCategory;
    layout.sortTabs = false;
    layout.locatorTitle = QStringLiteral("Locate Description");
    layout.locatorTip = QStringLiteral("Description of site");
    layout.hiddenColumns = {LocationColumns::Category};
    layout.swappedColumns = {{LocationColumns::LastVisit, LocationColumns::LastValidated}};
    layout.embedded = true;
    return layout;
}

SplitBrowseWindow::SplitBrowseWindow(FormsContext context,
                                     LocationBrowseWindow::Environment locations,
                                     QWidget *parent)
    : QWidget(parent)
    , m_context(std::move(context))
    , m_list(m_context.collection, m_context.ui, m_context.errors, CategoryList::Mode::All)
{
    setWindowTitle(QStringLiteral("Browse Locations by Category"));
    setObjectName(QLatin1String(Procedure::BrowseByCategory));
    setAttribute(Qt::WA_DeleteOnClose);

    auto *splitter = new QSplitter(Qt::Horizontal, this);
    splitter->setObjectName(QStringLiteral("split"));
    auto *left = new QWidget(splitter);
    auto *leftLayout = new QVBoxLayout(left);
    leftLayout->setContentsMargins(6, 6, 0, 6);
    m_categories = new CategoryTable(m_list, m_context.ui, 200, left);
    m_categories->table()->setColumnHidden(1, true);
    leftLayout->addWidget(m_categories, 1);
    // The location side's "&New", "&Edit" and "&Delete" and the frame's menus hold every
    // letter of these texts: the category buttons go without accelerators.
    leftLayout->addLayout(
        FormsUi::rowButtons(left,
                            QStringLiteral("category"),
                            [this](FormRequest request) { openCategoryForm(request); },
                            true,
                            {QStringLiteral("New"),
                             QStringLiteral("Edit"),
                             QStringLiteral("Delete")}));

    locations.layout = locationLayout();
    m_locations = new LocationBrowseWindow(std::move(locations), splitter);
    m_locations->setAttribute(Qt::WA_DeleteOnClose, false);
    splitter->addWidget(left);
    splitter->addWidget(m_locations);
    splitter->setStretchFactor(0, 1);
    splitter->setStretchFactor(1, 3);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(splitter);

    connect(m_categories->table()->selectionModel(),
            &QItemSelectionModel::currentRowChanged,
            this,
            &SplitBrowseWindow::followCategory);
    connect(m_categories, &CategoryTable::activated, this, [this] {
        openCategoryForm(FormRequest::Change);
    });
    connect(&BrowseRefresh::instance(),
            &BrowseRefresh::refreshRequested,
            this,
            &SplitBrowseWindow::refresh);

    resize(1000, 560);
    m_categories->refresh();
    selectCategory(0);
    followCategory();
}

void SplitBrowseWindow::selectCategory(int row)
{
    m_categories->selectRow(row);
    followCategory();
}

void SplitBrowseWindow::followCategory()
{
    const CategoryList::Row *r = m_list.rowAt(m_categories->currentRow());
    const QString category = r ? r->record.Category : QString();
    LocationBrowse &browse = m_locations->browse();
    // Blank when there is no category: no location has a blank one.
    if (category != browse.categoryScope() || browse.categoryScope().isEmpty())
        browse.setCategoryScope(category);
}

void SplitBrowseWindow::refresh()
{
    m_categories->refresh();
    followCategory();
}

void SplitBrowseWindow::openCategoryForm(FormRequest request)
{
    const CategoryList::Row *r = m_list.rowAt(m_categories->currentRow());
    if (request != FormRequest::Insert && !r)
        return;
    const QString category = r && request != FormRequest::Insert ? r->record.Category : QString();
    if (request == FormRequest::Delete) {
        // The locations of a deleted category stay in the collection.
        CategoryForm form(m_context.collection,
                          m_context.ui,
                          m_context.errors,
                          FormRequest::Delete,
                          CategoryForm::Variant::Tabbed,
                          category);
        if (form.load())
            form.remove();
    } else {
        CategoryFormDialog::run(m_context, request, CategoryForm::Variant::Tabbed, category, this);
    }
    refresh();
}

void SplitBrowseWindow::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (m_restored || !m_context.positionIni)
        return;
    m_restored = true;
    const QString saved = m_context.positionIni->value(QLatin1String(Procedure::BrowseByCategory),
                                                       QLatin1String(CategoryLayoutKey));
    if (!saved.isEmpty())
        m_categories->table()->horizontalHeader()->restoreState(
            QByteArray::fromBase64(saved.toLatin1()));
}

void SplitBrowseWindow::closeEvent(QCloseEvent *event)
{
    m_locations->savePosition();
    if (IniFile *ini = m_context.positionIni) {
        ini->setValue(QLatin1String(Procedure::BrowseByCategory),
                      QLatin1String(CategoryLayoutKey),
                      QString::fromLatin1(
                          m_categories->table()->horizontalHeader()->saveState().toBase64()));
        ini->save();
    }
    QWidget::closeEvent(event);
}

} // namespace pk
