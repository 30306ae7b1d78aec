#pragma once

#include "browse/list/locationpager.h"

#include <QAbstractTableModel>

#include <functional>

namespace pk {

/**
 * @brief The location list's table model: sixteen columns over a LocationPager.
 *
 * Rows are read as the view asks for them; the model holds only what the pager caches. The
 * state column shows an icon the window layer supplies for each URL:Validated value.
 */
class LocationListModel final : public QAbstractTableModel
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(LocationListModel)

public:
    enum Role { ValidatedRole = Qt::UserRole + 1, RowIdRole, LocationRole };

    /// The icon (any QVariant a view understands) shown for a URL:Validated value.
    using StateIcon = std::function<QVariant(int validated)>;

    explicit LocationListModel(Collection &collection, QObject *parent = nullptr);

    void setStateIcon(StateIcon icon) { m_stateIcon = std::move(icon); }

    /// Order and query; take effect at the next refresh().
    void setKey(const KeyDef &key) { m_pager.setKey(key); }
    const KeyDef &key() const { return m_pager.key(); }
    void setFilter(SqlFilter filter) { m_pager.setFilter(std::move(filter)); }
    const SqlFilter &filter() const { return m_pager.filter(); }

    /// Reads the list again (count and first rows); returns the count's status.
    StoreStatus refresh();

    LocationPager &pager() { return m_pager; }
    qint64 count() const { return m_pager.count(); }
    /// The record shown in `row`; nullptr when out of range. Waits for an order being sorted.
    const LocationPager::Row *rowAt(int row);

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section,
                        Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    /// Orders by a column heading and reads the list again; the read's outcome.
    StoreStatus sortByColumn(int column, Qt::SortOrder order);
    /// sortByColumn() for views; a failed read leaves the list empty and is logged.
    void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;

    QStringList mimeTypes() const override;
    QMimeData *mimeData(const QModelIndexList &indexes) const override;
    Qt::DropActions supportedDragActions() const override { return Qt::CopyAction; }

signals:
    /// The list was read again (title counts, buttons) — after refresh() and sort().
    void refreshed(qint64 count);
    /// The ids of a paged list's order are in: places and jumps are cheap from now on, and the
    /// rows of an order without an index (blank until now) can be shown.
    void orderReady();
    /// Rows the view asked for could not be read (pager().takeReadFailure() says why).
    /// Sent once per failure, after the view's painting is over.
    void readFailed();

private:
    /// Takes the order's ids the reading thread announced, if they are still the list's.
    void takeOrder();
    /// Tells of a read failure once the event loop is back, not in the middle of painting.
    void announceReadFailure() const;

    mutable LocationPager m_pager;
    mutable bool m_failureAnnounced = false;
    StateIcon m_stateIcon;
};

} // namespace pk
