#include "store/tableuse.h"

#include <QHash>
#include <QMutex>

namespace pk {

namespace {

QMutex &useMutex()
{
    static QMutex mutex;
    return mutex;
}

QHash<const TableDef *, int> &uses()
{
    static QHash<const TableDef *, int> table;
    return table;
}

void add(const TableDef *table, int delta)
{
    const QMutexLocker lock(&useMutex());
    int &n = uses()[table];
    n += delta;
    if (n <= 0)
        uses().remove(table);
}

} // namespace

TableUse::TableUse(const TableDef &table)
    : m_table(&table)
{
    add(m_table, 1);
}

TableUse::TableUse(const TableUse &other)
    : m_table(other.m_table)
{
    add(m_table, 1);
}

TableUse &TableUse::operator=(const TableUse &other)
{
    if (this != &other) {
        add(other.m_table, 1);
        add(m_table, -1);
        m_table = other.m_table;
    }
    return *this;
}

TableUse::~TableUse()
{
    add(m_table, -1);
}

int TableUse::count(const TableDef &table)
{
    const QMutexLocker lock(&useMutex());
    return uses().value(&table, 0);
}

} // namespace pk
