#include "browse/duplicates/widgets/duplicateswindow.h"

#include "browse/duplicates/duplicatemerge.h"
#include "browse/list/browserefresh.h"
#include "framework/userinterface.h"
#include "store/collection.h"
#include "store/locationmanager.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace pk {

namespace {

constexpr int kAddressRole = Qt::UserRole + 1;
/// On a group's row: which of its locations is offered for keeping.
constexpr int kPreferredRole = Qt::UserRole + 2;

QTreeWidgetItem *preferredChild(QTreeWidgetItem *group)
{
    return group->child(group->data(0, kPreferredRole).toInt());
}

// A list longer than this is no help to anyone; what is dealt with makes room for the rest.
constexpr std::size_t kMaxShown = 1000;

} // namespace

DuplicatesWindow::DuplicatesWindow(Collection &collection, UserInterface &ui, QWidget *parent)
    : QWidget(parent)
    , m_collection(collection)
    , m_ui(ui)
{
    setWindowTitle(QLatin1String(Title));
    setObjectName(u"findDuplicates"_s);
    auto *layout = new QVBoxLayout(this);
    m_summary = new QLabel(u"Locations whose addresses differ only in the scheme, \"www.\", the "
                           u"port, a trailing \"/\", the fragment or tracking parameters."_s,
                           this);
    m_summary->setWordWrap(true);
    layout->addWidget(m_summary);
    m_tree = new QTreeWidget(this);
    m_tree->setColumnCount(3);
    m_tree->setHeaderLabels({u"Location"_s, u"Description"_s, u"Category"_s});
    m_tree->header()->setSectionResizeMode(0, QHeaderView::Interactive);
    m_tree->setColumnWidth(0, 320);
    m_tree->setAccessibleName(u"Duplicate groups"_s);
    layout->addWidget(m_tree);
    auto *buttons = new QHBoxLayout;
    m_find = new QPushButton(u"Fi&nd"_s, this);
    m_merge = new QPushButton(u"&Keep Selected and Merge"_s, this);
    m_merge->setToolTip(u"Keep the selected location and merge the others of its group into it"_s);
    m_delete = new QPushButton(u"&Delete Others"_s, this);
    m_delete->setToolTip(u"Keep the selected location and delete the others of its group"_s);
    auto *close = new QPushButton(u"&Close"_s, this);
    buttons->addWidget(m_find);
    buttons->addStretch();
    for (QPushButton *b : {m_merge, m_delete, close})
        buttons->addWidget(b);
    layout->addLayout(buttons);
    connect(m_find, &QPushButton::clicked, this, &DuplicatesWindow::find);
    connect(m_merge, &QPushButton::clicked, this, &DuplicatesWindow::keepAndMerge);
    connect(m_delete, &QPushButton::clicked, this, &DuplicatesWindow::deleteOthers);
    connect(close, &QPushButton::clicked, this, [this] {
        if (auto *sub = qobject_cast<QMdiSubWindow *>(parentWidget()))
            sub->close();
        else
            this->close();
    });
    connect(m_tree, &QTreeWidget::itemSelectionChanged, this, &DuplicatesWindow::updateButtons);
    resize(720, 420);
    updateButtons();
}

void DuplicatesWindow::updateButtons()
{
    const bool any = m_tree->currentItem() != nullptr && m_tree->topLevelItemCount() > 0;
    m_merge->setEnabled(any);
    m_delete->setEnabled(any);
}

void DuplicatesWindow::find()
{
    std::vector<DuplicateGroup> groups;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const StoreStatus s = DuplicateFinder(m_collection).find(groups);
    QApplication::restoreOverrideCursor();
    m_tree->clear();
    if (!s) {
        m_ui.message(QLatin1String(Title), s.describe(), UserInterface::Icon::Warning);
        updateButtons();
        return;
    }
    QList<QTreeWidgetItem *> items;
    for (const DuplicateGroup &group : groups) {
        if (std::size_t(items.size()) >= kMaxShown)
            break;
        auto *top = new QTreeWidgetItem(
            {group.key, QString::number(group.rowIds.size()) + u" locations"_s});
        std::vector<LocationRecord> records;
        for (const qint64 rowId : group.rowIds) {
            LocationRecord record;
            if (!m_collection.locations().getByRowId(rowId, record))
                continue;
            auto *child
                = new QTreeWidgetItem(top, {record.Location, record.Description, record.Category});
            child->setData(0, kAddressRole, record.Location);
            records.push_back(std::move(record));
        }
        top->setData(0, kPreferredRole, std::max(0, DuplicateMerge::preferredToKeep(records)));
        items << top;
    }
    m_tree->addTopLevelItems(items);
    m_tree->expandAll();
    if (!items.isEmpty())
        m_tree->setCurrentItem(preferredChild(items.first()));
    QString summary = groups.empty() ? u"No duplicate locations were found."_s
                                     : QString::number(groups.size())
                                           + u" group(s) of duplicate locations. Select the "
                                             u"location to keep in a group."_s;
    if (groups.size() > kMaxShown)
        summary += u" The first "_s + QString::number(kMaxShown)
                   + u" are listed; \"Find\" again lists the next ones."_s;
    m_summary->setText(summary);
    updateButtons();
}

bool DuplicatesWindow::chosen(QTreeWidgetItem *&group, QString &keep, QStringList &others) const
{
    QTreeWidgetItem *item = m_tree->currentItem();
    if (!item)
        return false;
    group = item->parent() ? item->parent() : item;
    QTreeWidgetItem *kept = item->parent() ? item : preferredChild(group);
    if (!kept)
        return false;
    keep = kept->data(0, kAddressRole).toString();
    others.clear();
    for (int i = 0; i < group->childCount(); ++i) {
        if (group->child(i) != kept)
            others << group->child(i)->data(0, kAddressRole).toString();
    }
    return !others.isEmpty();
}

void DuplicatesWindow::removeGroup(QTreeWidgetItem *group)
{
    delete group;
    BrowseRefresh::instance().request();
    updateButtons();
}

void DuplicatesWindow::keepAndMerge()
{
    act(u" and merge the keywords, details and comments of %1 other location(s) into it? The "
        u"others are then deleted."_s,
        UserInterface::Icon::Question,
        &DuplicateMerge::keepAndMerge);
}

void DuplicatesWindow::deleteOthers()
{
    act(u" and delete %1 other location(s) with their keywords, details and comments?"_s,
        UserInterface::Icon::Warning,
        [](Collection &collection, const QString &, const QStringList &others) {
            return DuplicateMerge::removeOthers(collection, others);
        });
}

void DuplicatesWindow::act(const QString &question, UserInterface::Icon icon, const Action &action)
{
    QTreeWidgetItem *group = nullptr;
    QString keep;
    QStringList others;
    if (!chosen(group, keep, others))
        return;
    if (!m_ui.askYesNo(QLatin1String(Title),
                       u"Keep "_s + keep + question.arg(others.size()),
                       false,
                       icon))
        return;
    if (const StoreStatus s = action(m_collection, keep, others); !s) {
        m_ui.message(QLatin1String(Title),
                     u"Nothing was changed: "_s + (s.code != 0 ? s.describe() : s.text),
                     UserInterface::Icon::Warning);
        return;
    }
    removeGroup(group);
}

} // namespace pk
