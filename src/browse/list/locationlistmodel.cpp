#include "browse/list/locationlistmodel.h"

#include "browse/list/locationcolumns.h"

#include <QMimeData>
#include <QUrl>

#include <climits>

namespace pk {

LocationListModel::LocationListModel(Collection &collection, QObject *parent)
    : QAbstractTableModel(parent)
    , m_pager(collection)
{
    // Runs on the reading thread: the ids are taken on this object's own.
    m_pager.setOrderReadyHandler([this] {
        QMetaObject::invokeMethod(this, &LocationListModel::takeOrder, Qt::QueuedConnection);
    });
}

void LocationListModel::takeOrder()
{
    // A read announced before the list was read again is not the list's: the next one is.
    if (!m_pager.isPaged() || !m_pager.takeOrder())
        return;
    if (!m_pager.isIndexed() && rowCount() > 0)
        emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1));
    emit orderReady();
}

StoreStatus LocationListModel::refresh()
{
    beginResetModel();
    const StoreStatus status = m_pager.reload();
    endResetModel();
    emit refreshed(m_pager.count());
    return status;
}

const LocationPager::Row *LocationListModel::rowAt(int row)
{
    // A command on a row of an order still being sorted waits for it, on the window's thread on
    // purpose (the command needs that row, not a guess) and for at most
    // LocationPager::OrderWaitLimit; only painting does not wait.
    if (m_pager.orderPending())
        m_pager.waitForOrder();
    const LocationPager::Row *r = m_pager.row(row);
    if (!r)
        announceReadFailure();
    return r;
}

void LocationListModel::announceReadFailure() const
{
    if (m_failureAnnounced || !m_pager.hasReadFailure())
        return;
    m_failureAnnounced = true;
    auto *self = const_cast<LocationListModel *>(this);
    QMetaObject::invokeMethod(
        self,
        [self] {
            self->m_failureAnnounced = false;
            emit self->readFailed();
        },
        Qt::QueuedConnection);
}

int LocationListModel::rowCount(const QModelIndex &parent) const
{
    if (parent.isValid())
        return 0;
    return int(std::min<qint64>(m_pager.count(), INT_MAX));
}

int LocationListModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : LocationColumns::Count;
}

QVariant LocationListModel::data(const QModelIndex &index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const LocationPager::Row *r = m_pager.row(index.row());
    if (!r) {
        announceReadFailure();
        return {};
    }
    switch (role) {
    case Qt::DisplayRole:
        return LocationColumns::display(r->record, index.column());
    case Qt::DecorationRole:
        if (index.column() == LocationColumns::State && m_stateIcon)
            return m_stateIcon(r->record.Validated);
        return {};
    case Qt::TextAlignmentRole:
        if (index.column() == LocationColumns::Rating)
            return int(Qt::AlignRight | Qt::AlignVCenter);
        return {};
    case ValidatedRole:
        return int(r->record.Validated);
    case RowIdRole:
        return r->rowId;
    case LocationRole:
        return r->record.Location;
    default:
        return {};
    }
}

QVariant LocationListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= LocationColumns::Count)
        return {};
    if (role == Qt::DisplayRole)
        return QString::fromLatin1(LocationColumns::column(section).heading);
    return {};
}

Qt::ItemFlags LocationListModel::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDragEnabled;
}

StoreStatus LocationListModel::sortByColumn(int column, Qt::SortOrder order)
{
    if (column < 0 || column >= LocationColumns::Count)
        return {};
    const LocationPager::Order sorted = LocationPager::sortKey(column, order == Qt::DescendingOrder);
    m_pager.setKey(*sorted.key, sorted.reversed);
    return refresh();
}

void LocationListModel::sort(int column, Qt::SortOrder order)
{
    if (const StoreStatus status = sortByColumn(column, order); !status)
        qWarning("Location list not read: %s", qUtf8Printable(status.describe()));
}

QStringList LocationListModel::mimeTypes() const
{
    return {QStringLiteral("text/uri-list"), QStringLiteral("text/plain")};
}

QMimeData *LocationListModel::mimeData(const QModelIndexList &indexes) const
{
    QStringList locations;
    QList<int> rows;
    for (const QModelIndex &index : indexes) {
        if (!index.isValid() || rows.contains(index.row()))
            continue;
        rows << index.row();
        if (const LocationPager::Row *r = m_pager.row(index.row()))
            locations << r->record.Location;
    }
    if (locations.isEmpty())
        return nullptr;
    auto *mime = new QMimeData;
    QList<QUrl> urls;
    for (const QString &location : locations) {
        const QUrl url = QUrl::fromUserInput(location);
        if (url.isValid())
            urls << url;
    }
    if (!urls.isEmpty())
        mime->setUrls(urls);
    mime->setText(locations.join(QLatin1Char('\n')));
    return mime;
}

} // namespace pk
