#include "browse/forms/widgets/categoryformdialog.h"

#include "browse/forms/locationform.h"
#include "browse/forms/storeerrors.h"
#include "browse/forms/widgets/cathtmldialog.h"
#include "browse/forms/widgets/texttablemodel.h"
#include "browse/list/browserefresh.h"
#include "framework/errorcatalogue.h"
#include "framework/errormanager.h"
#include "framework/userinterface.h"
#include "shell/procedurestarter.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>
#include <QVBoxLayout>

namespace pk {

CategoryFormDialog::CategoryFormDialog(FormsContext context,
                                       FormRequest request,
                                       CategoryForm::Variant variant,
                                       const QString &category,
                                       QWidget *parent)
    : QDialog(parent)
    , m_context(std::move(context))
    , m_form(m_context.collection, m_context.ui, m_context.errors, request, variant, category)
    , m_locations(m_context.collection, category)
{
    setWindowTitle(m_form.title());
    setObjectName(CategoryForm::procedure(variant));
    m_loaded = m_form.load();

    m_tabs = new QTabWidget(this);
    auto *general = new QWidget(m_tabs);
    auto *generalLayout = new QFormLayout(general);
    m_category = new QLineEdit(m_form.record().Category, general);
    m_category->setMaxLength(50);
    m_description = new QPlainTextEdit(m_form.record().Description, general);
    auto *categoryLabel = new QLabel(QLatin1String(CategoryForm::CategoryPrompt), general);
    categoryLabel->setBuddy(m_category);
    auto *descriptionLabel = new QLabel(QLatin1String(CategoryForm::DescriptionPrompt), general);
    descriptionLabel->setBuddy(m_description);
    generalLayout->addRow(categoryLabel, m_category);
    generalLayout->addRow(descriptionLabel, m_description);
    m_tabs->addTab(general, QStringLiteral("General"));

    const bool editable = !m_form.isReadOnly();
    m_category->setReadOnly(!editable);
    m_description->setReadOnly(!editable);

    if (variant == CategoryForm::Variant::Tabbed) {
        auto *html = new QWidget(m_tabs);
        auto *htmlLayout = new QVBoxLayout(html);
        m_snippetModel = new TextTableModel(
            {QStringLiteral("Type Of HTML")},
            [this] { return int(m_snippets.size()); },
            [this](int row, int) { return m_snippets[std::size_t(row)].TypeOfHTML; },
            this);
        m_snippetTable = new QTableView(html);
        FormsUi::setUpTable(m_snippetTable);
        m_snippetTable->setModel(m_snippetModel);
        htmlLayout->addWidget(m_snippetTable);
        htmlLayout->addLayout(FormsUi::rowButtons(
            html, QStringLiteral("html_"), [this](FormRequest r) { snippet(r); }, editable));
        connect(m_snippetTable, &QTableView::doubleClicked, this, [this, editable] {
            snippet(editable ? FormRequest::Change : FormRequest::View);
        });
        m_tabs->addTab(html, QStringLiteral("HTML"));

        auto *locations = new QWidget(m_tabs);
        auto *locationsLayout = new QVBoxLayout(locations);
        m_locationModel = new TextTableModel(
            {QStringLiteral("Description"), QStringLiteral("Location")},
            [this] { return m_locations.count(); },
            [this](int row, int column) {
                const LocationRecord &r = m_locations.rowAt(row)->record;
                return column == 0 ? r.Description.left(100) : r.Location.left(60);
            },
            this);
        m_locationTable = new QTableView(locations);
        FormsUi::setUpTable(m_locationTable);
        m_locationTable->setModel(m_locationModel);
        m_locationTable->setColumnWidth(0, FormsUi::dialogUnits(160, fontMetrics()));
        locationsLayout->addWidget(m_locationTable);
        locationsLayout->addLayout(FormsUi::rowButtons(
            locations, QStringLiteral("location_"), [this](FormRequest r) { location(r); }, true));
        connect(m_locationTable, &QTableView::doubleClicked, this, [this] {
            location(FormRequest::Change);
        });
        m_tabs->addTab(locations, QStringLiteral("Locations"));
        refreshSnippets();
        refreshLocations();
        connect(&BrowseRefresh::instance(),
                &BrowseRefresh::refreshRequested,
                this,
                &CategoryFormDialog::refreshLocations);
    }

    auto *buttons = new QDialogButtonBox(this);
    auto *ok = buttons->addButton(QStringLiteral("&OK"), QDialogButtonBox::AcceptRole);
    buttons->addButton(QStringLiteral("Cancel"), QDialogButtonBox::RejectRole);
    ok->setDefault(true);
    ok->setObjectName(QStringLiteral("ok"));
    connect(buttons, &QDialogButtonBox::accepted, this, &CategoryFormDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CategoryFormDialog::reject);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_tabs);
    layout->addWidget(buttons);
    FormsUi::addTabSwitching(m_tabs, this);

    FormsUi::addRecallShortcut(
        this, m_form, [this] { takeEntries(); }, [this] { showRecord(); });

    resize(520, 380);
    FormsUi::keepPosition(this, m_context.positionIni, CategoryForm::procedure(variant));
    // Typing starts in the category entry, not on the tab bar.
    m_category->setFocus();
}

bool CategoryFormDialog::run(FormsContext context,
                             FormRequest request,
                             CategoryForm::Variant variant,
                             const QString &category,
                             QWidget *parent,
                             QString *saved)
{
    if (request == FormRequest::Delete) {
        CategoryForm form(context.collection, context.ui, context.errors, request, variant, category);
        return form.load() && form.remove();
    }
    CategoryFormDialog dialog(std::move(context), request, variant, category, parent);
    if (!dialog.isLoaded())
        return false;
    const bool done = dialog.exec() == QDialog::Accepted;
    if (done && saved)
        *saved = dialog.form().record().Category;
    return done;
}

bool CategoryFormDialog::saveBeforeAddingLocations()
{
    // A location may only name a category that exists.
    if (!m_context.ui.askYesNo(windowTitle(),
                               QStringLiteral(
                                   "The new category must be saved before locations can be "
                                   "added to it.\n\nSave it now?"),
                               true,
                               UserInterface::Icon::Question))
        return false;
    takeEntries();
    if (!m_form.save()) {
        m_tabs->setCurrentIndex(0);
        m_category->setFocus();
        return false;
    }
    setWindowTitle(m_form.title());
    refreshSnippets();
    return true;
}

QString CategoryFormDialog::currentName() const
{
    return m_category->text().trimmed().isEmpty() ? m_form.originalCategory()
                                                  : m_category->text().trimmed();
}

void CategoryFormDialog::takeEntries()
{
    m_form.record().Category = m_category->text();
    m_form.record().Description = m_description->toPlainText();
}

void CategoryFormDialog::showRecord()
{
    m_category->setText(m_form.record().Category);
    m_description->setPlainText(m_form.record().Description);
}

void CategoryFormDialog::accept()
{
    if (m_form.isReadOnly()) {
        QDialog::accept();
        return;
    }
    takeEntries();
    if (!m_form.save()) {
        // After a conflict the entries show the category as stored; Ctrl+H brings mine back.
        if (m_form.failedEntry() == CategoryForm::Entry::Changed) {
            showRecord();
            refreshSnippets();
            refreshLocations();
        }
        m_tabs->setCurrentIndex(0);
        m_category->setFocus();
        m_category->selectAll();
        return;
    }
    QDialog::accept();
}

void CategoryFormDialog::refreshSnippets()
{
    if (!m_snippetModel)
        return;
    takeEntries();
    m_snippets = m_form.snippets();
    m_snippetModel->reload();
    if (!m_snippets.empty())
        m_snippetTable->selectRow(0);
}

void CategoryFormDialog::refreshLocations()
{
    if (!m_locationModel)
        return;
    m_locations.setCategory(m_form.originalCategory().isEmpty() ? currentName()
                                                                : m_form.originalCategory());
    if (const StoreStatus status = m_locations.refresh(); !status)
        reportStoreError(m_context.errors, status, Msg::RecordRetrievalError, CollectionFile::Data);
    m_locationModel->reload();
    if (m_locations.count() > 0)
        m_locationTable->selectRow(0);
}

void CategoryFormDialog::snippet(FormRequest request)
{
    const QString category = currentName();
    if (category.isEmpty()) {
        m_category->setFocus();
        return;
    }
    const QModelIndex index = m_snippetTable->currentIndex();
    const int row = index.isValid() && index.row() < int(m_snippets.size()) ? index.row() : -1;
    if (request != FormRequest::Insert && row < 0)
        return;
    const CatHtmlRecord current = row >= 0 ? m_snippets[std::size_t(row)] : CatHtmlRecord{};
    // Held snippets follow the stored ones in the list.
    const int stored = int(m_snippets.size() - m_form.heldSnippets().size());
    const int heldRow = row >= stored ? row - stored : -1;
    if (m_form.isUnsaved() && (request == FormRequest::Insert || heldRow >= 0)) {
        if (request == FormRequest::Delete) {
            if (m_context.errors.raise(Msg::ConfirmDelete) == 0)
                m_form.dropSnippet(heldRow);
        } else {
            CatHtmlDialog::runHeld(
                m_context,
                request,
                category,
                current,
                [this, heldRow](const CatHtmlRecord &snippet) {
                    return m_form.holdSnippet(snippet, heldRow);
                },
                this);
        }
    } else {
        CatHtmlDialog::run(m_context,
                           request,
                           row >= 0 ? current.CATEGORY : category,
                           row >= 0 ? current.TypeOfHTML : QString(),
                           this);
    }
    refreshSnippets();
}

void CategoryFormDialog::location(FormRequest request)
{
    const QModelIndex index = m_locationTable->currentIndex();
    const CategoryLocations::Row *row = index.isValid() ? m_locations.rowAt(index.row()) : nullptr;
    if (request != FormRequest::Insert && !row)
        return;
    if (request == FormRequest::Insert && m_form.isUnsaved() && !saveBeforeAddingLocations())
        return;
    if (m_context.starter)
        m_context.starter->start(CategoryLocations::formRequest(request, row, currentName()));
    refreshLocations();
}

} // namespace pk
