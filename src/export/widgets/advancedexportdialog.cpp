#include "export/widgets/advancedexportdialog.h"

#include "framework/userinterface.h"
#include "import/csv/pictureentry.h"
#include "import/csv/widgets/dialogposition.h"
#include "import/csv/widgets/exchangehelp.h"
#include "import/csv/widgets/recordprogressdialog.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QShortcut>
#include <QTreeWidget>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace pk {

namespace {

constexpr int kRecordsPerTick = 500;

QTreeWidget *makeList(const QStringList &headers, QWidget *parent)
{
    auto *list = new QTreeWidget(parent);
    list->setColumnCount(static_cast<int>(headers.size()));
    list->setHeaderLabels(headers);
    list->setRootIsDecorated(false);
    list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    list->setUniformRowHeights(true);
    list->header()->setStretchLastSection(true);
    // Space toggles the current row's mark, as Ctrl+click does.
    auto *space = new QShortcut(QKeySequence(Qt::Key_Space), list);
    space->setContext(Qt::WidgetShortcut);
    QObject::connect(space, &QShortcut::activated, list, [list] {
        if (QTreeWidgetItem *item = list->currentItem())
            item->setSelected(!item->isSelected());
    });
    return list;
}

} // namespace

AdvancedExportDialog::AdvancedExportDialog(Collection &collection,
                                           UserInterface &ui,
                                           AdvancedExportSettings settings,
                                           QueryWizard queryWizard,
                                           IniFile *positions,
                                           QWidget *parent)
    : QDialog(parent)
    , m_collection(collection)
    , m_ui(ui)
    , m_settings(std::move(settings))
    , m_queryWizard(std::move(queryWizard))
    , m_positions(positions)
{
    setWindowTitle(u"Choose Fields for Export..."_s);
    m_all = makeList({u"All Fields"_s}, this);
    for (const ExportFieldEntry &e : AdvancedExportFields::allFields())
        new QTreeWidgetItem(m_all, {e.name});
    m_export = makeList({u"Export Fields"_s, u"Picture"_s}, this);
    m_export->setColumnWidth(0, 170);

    auto *add = new QPushButton(u"&Add ->"_s, this);
    auto *remove = new QPushButton(u"&Remove"_s, this);
    auto *up = new QPushButton(u"Shift &Up"_s, this);
    auto *down = new QPushButton(u"Shift &Down"_s, this);
    auto *picture = new QPushButton(u"&Picture"_s, this);
    auto *middle = new QVBoxLayout;
    middle->addStretch();
    for (QPushButton *b : {add, remove, up, down, picture})
        middle->addWidget(b);
    middle->addStretch();

    auto *kindGroup = new QGroupBox(u"Picture"_s, this);
    m_kind = new QLabel(kindGroup);
    (new QVBoxLayout(kindGroup))->addWidget(m_kind);
    m_header = new QCheckBox(u"Include &header record with field names"_s, this);

    auto *ok = new QPushButton(u"OK"_s, this);
    ok->setDefault(true);
    auto *cancel = new QPushButton(u"&Cancel"_s, this);
    auto *help = new QPushButton(u"Help"_s, this);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    buttons->addWidget(help);

    auto *grid = new QGridLayout(this);
    grid->addWidget(m_all, 0, 0, 2, 1);
    grid->addLayout(middle, 0, 1, 2, 1);
    grid->addWidget(m_export, 0, 2);
    grid->addWidget(kindGroup, 1, 2);
    grid->addWidget(m_header, 2, 0, 1, 3);
    grid->addLayout(buttons, 3, 0, 1, 3);

    connect(add, &QPushButton::clicked, this, &AdvancedExportDialog::addMarked);
    connect(remove, &QPushButton::clicked, this, &AdvancedExportDialog::removeMarked);
    connect(up, &QPushButton::clicked, this, &AdvancedExportDialog::shiftUp);
    connect(down, &QPushButton::clicked, this, &AdvancedExportDialog::shiftDown);
    connect(picture, &QPushButton::clicked, this, &AdvancedExportDialog::editPicture);
    connect(ok, &QPushButton::clicked, this, &AdvancedExportDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &AdvancedExportDialog::reject);
    connect(help, &QPushButton::clicked, this, [this] { ExchangeHelp::show(this); });
    connect(m_export,
            &QTreeWidget::currentItemChanged,
            this,
            &AdvancedExportDialog::showPictureKind);
    connect(m_all, &QTreeWidget::itemDoubleClicked, this, &AdvancedExportDialog::addMarked);
    connect(m_header, &QCheckBox::toggled, this, [this](bool on) { m_fields.setIncludeHeader(on); });

    resize(620, 420);
    DialogPosition::keep(this, m_positions, u"Export:Advanced"_s);
    m_all->setFocus();
}

QList<int> AdvancedExportDialog::markedRows(const QTreeWidget *list) const
{
    QList<int> rows;
    for (int i = 0; i < list->topLevelItemCount(); ++i) {
        if (list->topLevelItem(i)->isSelected())
            rows << i;
    }
    return rows;
}

void AdvancedExportDialog::refreshExportList(const QList<int> &marked, int highlight)
{
    m_export->clear();
    for (const ExportFieldEntry &e : m_fields.exportFields())
        new QTreeWidgetItem(m_export, {e.name, e.picture});
    if (highlight >= 0 && highlight < m_export->topLevelItemCount())
        m_export->setCurrentItem(m_export->topLevelItem(highlight),
                                 0,
                                 QItemSelectionModel::NoUpdate);
    m_export->clearSelection();
    for (const int row : marked) {
        if (QTreeWidgetItem *item = m_export->topLevelItem(row))
            item->setSelected(true);
    }
    showPictureKind();
}

void AdvancedExportDialog::addMarked()
{
    int highlight = m_export->indexOfTopLevelItem(m_export->currentItem());
    const QList<int> marked = m_fields.add(markedRows(m_all), highlight);
    refreshExportList(marked, highlight);
}

void AdvancedExportDialog::removeMarked()
{
    const int highlight = m_fields.remove(markedRows(m_export),
                                          m_export->indexOfTopLevelItem(m_export->currentItem()));
    refreshExportList({highlight}, highlight);
}

void AdvancedExportDialog::shiftUp()
{
    const int row = m_fields.shiftUp(m_export->indexOfTopLevelItem(m_export->currentItem()));
    refreshExportList({row}, row);
}

void AdvancedExportDialog::shiftDown()
{
    const int row = m_fields.shiftDown(m_export->indexOfTopLevelItem(m_export->currentItem()));
    refreshExportList({row}, row);
}

void AdvancedExportDialog::editPicture()
{
    const int row = m_export->indexOfTopLevelItem(m_export->currentItem());
    if (row < 0) {
        if (m_fields.isEmpty())
            m_all->setFocus();
        return;
    }
    const QString picture = PictureEntry::ask(m_ui, m_fields.exportFields().at(row).picture);
    if (picture.isEmpty())
        return;
    m_fields.setPicture(row, picture);
    refreshExportList({row}, row);
}

void AdvancedExportDialog::showPictureKind()
{
    const int row = m_export->indexOfTopLevelItem(m_export->currentItem());
    m_kind->setText(row >= 0 && row < m_fields.exportFields().size()
                        ? AdvancedExportFields::kindText(m_fields.exportFields().at(row).picture)
                        : QString());
}

void AdvancedExportDialog::accept()
{
    if (m_fields.isEmpty()) {
        m_ui.message(u"No Fields Selected for Export!"_s,
                     u"You must select one or more fields to export."_s,
                     UserInterface::Icon::Warning);
        m_all->setFocus();
        return;
    }
    AdvancedExportSettings settings = m_settings;
    if (settings.assignment.trimmed().compare(u"Query"_s, Qt::CaseInsensitive) == 0) {
        const std::optional<QString> condition = m_queryWizard ? m_queryWizard()
                                                               : std::optional<QString>(QString());
        if (!condition)
            return;
        settings.queryCondition = *condition;
    }
    AdvancedExport run(m_collection, m_ui);
    if (!run.open(settings, m_fields.exportFields(), m_fields.includeHeader()))
        return;
    hide();
    RecordProgressDialog::run(
        u"Exporting Records"_s,
        [&run]() -> std::optional<int> {
            if (run.step(kRecordsPerTick) != AdvancedExport::Step::More)
                return std::nullopt;
            return run.percent();
        },
        parentWidget());
    run.close();
    m_written = run.written();
    QDialog::accept();
}

} // namespace pk
