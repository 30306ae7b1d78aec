#include "browse/forms/widgets/texttablemodel.h"

namespace pk {

TextTableModel::TextTableModel(QStringList headings, RowCount rows, CellText cell, QObject *parent)
    : QAbstractTableModel(parent)
    , m_headings(std::move(headings))
    , m_rows(std::move(rows))
    , m_cell(std::move(cell))
{}

void TextTableModel::reload()
{
    beginResetModel();
    endResetModel();
}

int TextTableModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_rows();
}

int TextTableModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_headings.size());
}

QVariant TextTableModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_rows() || index.column() >= m_headings.size())
        return {};
    if (role == Qt::DisplayRole || role == Qt::ToolTipRole)
        return m_cell(index.row(), index.column());
    return {};
}

QVariant TextTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0
        && section < m_headings.size())
        return m_headings.at(section);
    return {};
}

} // namespace pk
