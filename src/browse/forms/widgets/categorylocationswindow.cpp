#include "browse/forms/widgets/categorylocationswindow.h"

#include "browse/forms/locationform.h"
#include "browse/forms/storeerrors.h"
#include "browse/forms/widgets/texttablemodel.h"
#include "browse/list/browserefresh.h"
#include "framework/errorcatalogue.h"
#include "shell/procedurenames.h"
#include "shell/procedurestarter.h"
#include "store/picture.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

namespace pk {

CategoryLocationsWindow::CategoryLocationsWindow(FormsContext context,
                                                 const QString &category,
                                                 QWidget *parent)
    : QWidget(parent)
    , m_context(std::move(context))
    , m_locations(m_context.collection, category)
{
    setObjectName(QLatin1String(Procedure::BrowseCategoryLocations));
    m_model = new TextTableModel(
        {QStringLiteral("Location"),
         QStringLiteral("Description"),
         QStringLiteral("Rating"),
         QStringLiteral("Keyword"),
         QStringLiteral("Category")},
        [this] { return m_locations.count(); },
        [this](int row, int column) {
            const LocationRecord &r = m_locations.rowAt(row)->record;
            switch (column) {
            case 0:
                return r.Location.left(60);
            case 1:
                return r.Description.left(60);
            case 2:
                return Picture::format(QStringLiteral("@N2"), r.Rating).trimmed();
            case 3:
                return r.Keyword;
            default:
                return r.Category.left(50);
            }
        },
        this);
    m_table = new QTableView(this);
    FormsUi::setUpTable(m_table);
    m_table->setModel(m_model);
    m_table->setColumnWidth(0, FormsUi::dialogUnits(120, fontMetrics()));
    m_table->setColumnWidth(1, FormsUi::dialogUnits(120, fontMetrics()));
    m_locator = new QLineEdit(this);
    m_locator->setToolTip(QStringLiteral("Description"));

    auto *locate = new QHBoxLayout;
    auto *locateLabel = new QLabel(QStringLiteral("Locate:"), this);
    locateLabel->setBuddy(m_locator);
    locate->addWidget(locateLabel);
    locate->addWidget(m_locator);
    auto *buttons = new QHBoxLayout;
    const std::pair<const char *, FormRequest> actions[] = {{"&New", FormRequest::Insert},
                                                            {"&Edit", FormRequest::Change},
                                                            {"&Delete", FormRequest::Delete}};
    for (const auto &[text, request] : actions) {
        auto *button = new QPushButton(QLatin1String(text), this);
        const FormRequest r = request;
        connect(button, &QPushButton::clicked, this, [this, r] { open(r); });
        buttons->addWidget(button);
    }
    buttons->addStretch();
    auto *closeButton = new QPushButton(QStringLiteral("Cl&ose"), this);
    buttons->addWidget(closeButton);
    connect(closeButton, &QPushButton::clicked, this, [this] {
        if (parentWidget())
            parentWidget()->close();
        close();
    });

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(locate);
    layout->addWidget(m_table, 1);
    layout->addLayout(buttons);

    connect(m_table, &QTableView::doubleClicked, this, [this] { open(FormRequest::Change); });
    connect(m_locator, &QLineEdit::textEdited, this, [this](const QString &typed) {
        selectRow(m_locations.locate(typed));
    });
    connect(&BrowseRefresh::instance(),
            &BrowseRefresh::refreshRequested,
            this,
            &CategoryLocationsWindow::refresh);
    resize(640, 400);
    refresh();
    selectRow(0);
}

int CategoryLocationsWindow::currentRow() const
{
    const QModelIndex index = m_table->currentIndex();
    return index.isValid() ? index.row() : -1;
}

void CategoryLocationsWindow::selectRow(int row)
{
    if (row < 0 || row >= m_locations.count())
        return;
    m_table->selectRow(row);
    m_table->setCurrentIndex(m_model->index(row, 0));
}

void CategoryLocationsWindow::refresh()
{
    const int row = currentRow();
    if (const StoreStatus status = m_locations.refresh(); !status)
        reportStoreError(m_context.errors, status, Msg::RecordRetrievalError, CollectionFile::Data);
    m_model->reload();
    setWindowTitle(m_locations.title());
    selectRow(std::min(std::max(row, 0), m_locations.count() - 1));
}

void CategoryLocationsWindow::open(FormRequest request)
{
    const CategoryLocations::Row *row = m_locations.rowAt(currentRow());
    if (request != FormRequest::Insert && !row)
        return;
    if (m_context.starter)
        m_context.starter->start(
            CategoryLocations::formRequest(request, row, m_locations.category()));
    refresh();
}

} // namespace pk
