#include "browse/list/memberlistmodel.h"

#include "browse/list/locationcolumns.h"

namespace pk {

MemberListModel::MemberListModel(Collection &collection, MemberRows::Kind kind, QObject *parent)
    : QAbstractTableModel(parent)
    , m_rows(collection, kind)
{}

StoreStatus MemberListModel::refresh()
{
    beginResetModel();
    const StoreStatus status = m_rows.refresh();
    endResetModel();
    return status;
}

void MemberListModel::sortByColumn(int column, bool descending)
{
    beginResetModel();
    m_rows.sortByColumn(column, descending);
    endResetModel();
}

int MemberListModel::locate(const QString &typed)
{
    if (m_rows.isNaturalOrder())
        return m_rows.locate(typed);
    beginResetModel();
    const int row = m_rows.locate(typed);
    endResetModel();
    return row;
}

int MemberListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_rows.count();
}

int MemberListModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_rows.columnCount();
}

QVariant MemberListModel::data(const QModelIndex &index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const LocationRecord *record = m_rows.location(index.row());
    if (!record)
        return {};
    const int locationColumn = m_rows.locationColumn(index.column());
    switch (role) {
    case Qt::DisplayRole:
        return m_rows.display(index.row(), index.column());
    case Qt::DecorationRole:
        if (locationColumn == LocationColumns::State && m_stateIcon)
            return m_stateIcon(record->Validated);
        return {};
    case Qt::TextAlignmentRole:
        if (locationColumn == LocationColumns::Rating)
            return int(Qt::AlignRight | Qt::AlignVCenter);
        return {};
    case MemberRowIdRole:
        return m_rows.rowAt(index.row())->memberRowId;
    case LocationRole:
        return record->Location;
    default:
        return {};
    }
}

QVariant MemberListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    return m_rows.heading(section);
}

Qt::ItemFlags MemberListModel::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable;
}

} // namespace pk
