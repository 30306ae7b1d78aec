#pragma once

#include "browse/list/memberrows.h"

#include <QAbstractTableModel>

#include <functional>

namespace pk {

/**
 * @brief The table model of a keyword or detail list over MemberRows.
 */
class MemberListModel final : public QAbstractTableModel
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(MemberListModel)

public:
    enum Role { MemberRowIdRole = Qt::UserRole + 1, LocationRole };
    using StateIcon = std::function<QVariant(int validated)>;

    MemberListModel(Collection &collection, MemberRows::Kind kind, QObject *parent = nullptr);

    void setStateIcon(StateIcon icon) { m_stateIcon = std::move(icon); }
    MemberRows &rows() { return m_rows; }
    const MemberRows &rows() const { return m_rows; }

    /// Reads the rows again; the read's outcome.
    StoreStatus refresh();
    void sortByColumn(int column, bool descending);
    /// Back to the list's own order (the locator's).
    int locate(const QString &typed);

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section,
                        Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

private:
    MemberRows m_rows;
    StateIcon m_stateIcon;
};

} // namespace pk
