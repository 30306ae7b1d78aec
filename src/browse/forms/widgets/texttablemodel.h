#pragma once

#include <QAbstractTableModel>
#include <QStringList>

#include <functional>

namespace pk {

/**
 * @brief A read-only table over rows that a logic class owns: headings, a row count and a
 * cell text function. The forms' small lists all show through it.
 */
class TextTableModel final : public QAbstractTableModel
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TextTableModel)

public:
    using RowCount = std::function<int()>;
    using CellText = std::function<QString(int row, int column)>;

    TextTableModel(QStringList headings, RowCount rows, CellText cell, QObject *parent = nullptr);

    /// Tells the views the rows were read again.
    void reload();

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section,
                        Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

private:
    QStringList m_headings;
    RowCount m_rows;
    CellText m_cell;
};

} // namespace pk
