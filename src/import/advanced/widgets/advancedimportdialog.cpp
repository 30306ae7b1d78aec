#include "import/advanced/widgets/advancedimportdialog.h"

#include "framework/errormanager.h"
#include "framework/userinterface.h"
#include "import/advanced/importinsertsink.h"
#include "import/csv/pictureentry.h"
#include "import/csv/widgets/dialogposition.h"
#include "import/csv/widgets/exchangehelp.h"
#include "import/csv/widgets/recordprogressdialog.h"
#include "import/importinsert.h"
#include "import/importsummary.h"
#include "store/categorymanager.h"
#include "store/collection.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace pk {

namespace {

// Each tick adds groups of 25 records for up to this long in one batch: the window stays
// responsive and a large file is not written 25 records per transaction.
constexpr int kTickBudget = 50;

QTreeWidget *makeList(const QStringList &headers, QWidget *parent)
{
    auto *list = new QTreeWidget(parent);
    list->setColumnCount(static_cast<int>(headers.size()));
    list->setHeaderLabels(headers);
    list->setRootIsDecorated(false);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->setUniformRowHeights(true);
    list->header()->setStretchLastSection(true);
    return list;
}

} // namespace

AdvancedImportDialog::AdvancedImportDialog(AdvancedImport &import,
                                           Collection &collection,
                                           ErrorManager &errors,
                                           UserInterface &ui,
                                           IniFile *positions,
                                           QWidget *parent)
    : QDialog(parent)
    , m_import(import)
    , m_collection(collection)
    , m_errors(errors)
    , m_ui(ui)
{
    setWindowTitle(u"Assign fields for Import..."_s);
    m_fields = makeList({u"Import Field"_s, u"Picture"_s, u"Value"_s}, this);
    m_targets = makeList({u"Target Field"_s, u"="_s, u"Import Field"_s}, this);
    m_fields->setColumnWidth(0, 90);
    m_fields->setColumnWidth(1, 80);
    m_targets->setColumnWidth(0, 150);
    m_targets->setColumnWidth(1, 24);
    m_record = new QLabel(this);

    m_next = new QPushButton(u"&Next"_s, this);
    auto *picture = new QPushButton(u"&Picture"_s, this);
    auto *assign = new QPushButton(u"&Assign"_s, this);
    m_auto = new QPushButton(u"A&uto"_s, this);
    auto *unassign = new QPushButton(u"&Unassign"_s, this);
    auto *middle = new QVBoxLayout;
    middle->addStretch();
    for (QPushButton *b : {m_next, picture, assign, m_auto, unassign})
        middle->addWidget(b);
    middle->addStretch();

    // Records that bring no category (a file without a category column) are filed here; a
    // blank entry leaves them without one, and the store refuses them.
    m_category = new QComboBox(this);
    m_category->setEditable(true);
    m_category->setInsertPolicy(QComboBox::NoInsert);
    {
        std::vector<CategoryRecord> categories;
        if (m_collection.categories().list(categories))
            for (const CategoryRecord &c : categories)
                m_category->addItem(c.Category);
    }
    m_category->setEditText(QLatin1String(ImportInsert::NewCategory));
    auto *categoryLabel = new QLabel(u"Category for records &without one:"_s, this);
    categoryLabel->setBuddy(m_category);
    auto *categoryRow = new QHBoxLayout;
    categoryRow->addWidget(categoryLabel);
    categoryRow->addWidget(m_category, 1);

    m_strip = new QCheckBox(u"Strip &header record (field names)"_s, this);
    auto *ok = new QPushButton(u"&OK"_s, this);
    ok->setDefault(true);
    auto *cancel = new QPushButton(u"&Cancel"_s, this);
    auto *help = new QPushButton(u"Help"_s, this);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(m_strip);
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    buttons->addWidget(help);

    auto *grid = new QGridLayout(this);
    grid->addWidget(m_record, 0, 0);
    grid->addWidget(m_fields, 1, 0);
    grid->addLayout(middle, 1, 1);
    grid->addWidget(m_targets, 1, 2);
    grid->addLayout(categoryRow, 2, 0, 1, 3);
    grid->addLayout(buttons, 3, 0, 1, 3);

    connect(m_next, &QPushButton::clicked, this, &AdvancedImportDialog::nextRecord);
    connect(picture, &QPushButton::clicked, this, &AdvancedImportDialog::editPicture);
    connect(assign, &QPushButton::clicked, this, &AdvancedImportDialog::assignHighlighted);
    connect(m_auto, &QPushButton::clicked, this, &AdvancedImportDialog::autoAssign);
    connect(unassign, &QPushButton::clicked, this, &AdvancedImportDialog::unassignHighlighted);
    connect(ok, &QPushButton::clicked, this, &AdvancedImportDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &AdvancedImportDialog::reject);
    connect(help, &QPushButton::clicked, this, [this] { ExchangeHelp::show(this); });
    connect(m_strip, &QCheckBox::toggled, this, [this](bool on) { m_import.setStripHeader(on); });
    connect(m_fields, &QTreeWidget::currentItemChanged, this, [this] {
        if (!m_linking)
            highlightImport(currentImport());
    });
    connect(m_targets, &QTreeWidget::currentItemChanged, this, [this] {
        if (!m_linking)
            highlightTarget(currentTarget());
    });

    for (const ImportFieldEntry &f : m_import.importFields())
        new QTreeWidgetItem(m_fields, {f.name, f.kind, f.value});
    for (const TargetFieldEntry &t : m_import.targets())
        new QTreeWidgetItem(m_targets, {t.name, t.marker, t.assigned});
    resize(700, 460);
    DialogPosition::keep(this, positions, u"Import:Advanced"_s);
    refresh();
}

int AdvancedImportDialog::run(const QString &fileName,
                              Collection &collection,
                              ErrorManager &errors,
                              UserInterface &ui,
                              IniFile *positions,
                              QWidget *parent)
{
    AdvancedImport import(ui);
    if (!import.open(fileName))
        return -1;
    AdvancedImportDialog dialog(import, collection, errors, ui, positions, parent);
    const bool accepted = dialog.exec() == QDialog::Accepted;
    import.close();
    return accepted ? dialog.added() : -1;
}

int AdvancedImportDialog::currentImport() const
{
    return m_fields->indexOfTopLevelItem(m_fields->currentItem());
}

int AdvancedImportDialog::currentTarget() const
{
    return m_targets->indexOfTopLevelItem(m_targets->currentItem());
}

void AdvancedImportDialog::refresh()
{
    const QList<ImportFieldEntry> &fields = m_import.importFields();
    for (int i = 0; i < fields.size() && i < m_fields->topLevelItemCount(); ++i) {
        QTreeWidgetItem *item = m_fields->topLevelItem(i);
        item->setText(1, fields.at(i).kind);
        item->setText(2, fields.at(i).value);
    }
    const QList<TargetFieldEntry> &targets = m_import.targets();
    for (int i = 0; i < targets.size() && i < m_targets->topLevelItemCount(); ++i) {
        QTreeWidgetItem *item = m_targets->topLevelItem(i);
        item->setText(1, targets.at(i).marker);
        item->setText(2, targets.at(i).assigned);
    }
    m_record->setText(u"Rec# "_s + QString::number(m_import.recordNumber()).rightJustified(4));
    m_next->setEnabled(m_import.nextEnabled());
    m_auto->setEnabled(m_import.autoEnabled());
    const QSignalBlocker block(m_strip);
    m_strip->setChecked(m_import.stripHeader());
}

void AdvancedImportDialog::nextRecord()
{
    m_import.next();
    refresh();
}

void AdvancedImportDialog::editPicture()
{
    const int row = currentImport();
    if (row < 0)
        return;
    const QString picture = PictureEntry::ask(m_ui, m_import.importFields().at(row).picture);
    if (!picture.isEmpty())
        m_import.setPicture(row, picture);
    refresh();
}

void AdvancedImportDialog::assignHighlighted()
{
    m_import.assign(currentTarget(), currentImport());
    refresh();
}

void AdvancedImportDialog::autoAssign()
{
    m_import.autoAssign();
    refresh();
}

void AdvancedImportDialog::unassignHighlighted()
{
    m_import.unassign(currentTarget());
    refresh();
}

void AdvancedImportDialog::highlightImport(int row)
{
    m_linking = true;
    if (QTreeWidgetItem *field = m_fields->topLevelItem(row))
        m_fields->setCurrentItem(field);
    if (QTreeWidgetItem *target = m_targets->topLevelItem(m_import.targetOf(row)))
        m_targets->setCurrentItem(target);
    m_linking = false;
}

void AdvancedImportDialog::highlightTarget(int row)
{
    m_linking = true;
    if (QTreeWidgetItem *target = m_targets->topLevelItem(row))
        m_targets->setCurrentItem(target);
    if (QTreeWidgetItem *field = m_fields->topLevelItem(m_import.importOf(row)))
        m_fields->setCurrentItem(field);
    m_linking = false;
}

void AdvancedImportDialog::setDefaultCategory(const QString &category)
{
    m_category->setEditText(category);
}

QString AdvancedImportDialog::defaultCategory() const
{
    return m_category->currentText().trimmed();
}

void AdvancedImportDialog::accept()
{
    if (!m_import.hasAssignment()) {
        m_ui.message(u"No Fields Selected for Import!"_s,
                     u"You must select one or more fields to import."_s,
                     UserInterface::Icon::Warning);
        m_targets->setFocus();
        return;
    }
    m_import.setDefaultCategory(defaultCategory());
    ImportInsert insert(m_collection, m_errors, CategoryMode::None, QString());
    const AdvancedImportSink sink = importInsertSink(insert);
    hide();
    if (m_import.startRun()) {
        bool more = true;
        RecordProgressDialog progress(
            u"Importing Records"_s,
            [&]() -> std::optional<int> {
                if (!more)
                    return std::nullopt;
                more = m_import.runStep(sink, AdvancedImport::RecordsPerTick, kTickBudget);
                return m_import.percent();
            },
            parentWidget());
        progress.setFinalText(u"Process Completed"_s);
        progress.exec();
        if (!progress.completed())
            insert.markCancelled();
    }
    ImportSummary::show(m_ui,
                        QString::number(insert.added()) + u" URL(s) imported."_s,
                        insert.counts());
    m_added = insert.added();
    QDialog::accept();
}

} // namespace pk
