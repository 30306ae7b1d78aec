#pragma once

namespace pk {

struct TableDef;

/**
 * @brief Marks a table as in use by a list, form or process of this program for as long as the
 * object lives (copies count too). Maintenance that needs a table to itself asks count().
 * Thread-safe.
 */
class TableUse final
{
public:
    explicit TableUse(const TableDef &table);
    TableUse(const TableUse &other);
    TableUse &operator=(const TableUse &other);
    ~TableUse();

    /// How many uses of `table` are alive in this program.
    static int count(const TableDef &table);

private:
    const TableDef *m_table;
};

} // namespace pk
