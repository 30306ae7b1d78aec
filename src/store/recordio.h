#pragma once

#include "store/fields.h"
#include "store/records.h"

#include <QByteArrayList>
#include <QVariantList>

namespace SQLite {
class Statement;
}

namespace pk {

/**
 * @brief Moves records between their structs and SQLite: values in table field order, the
 * fit-to-width rule on the way in.
 */
namespace RecordIo {

QVariantList values(const LocationRecord &r);
QVariantList values(const DetailRecord &r);
QVariantList values(const KeywordRecord &r);
QVariantList values(const ConfigurationRecord &r);
QVariantList values(const CategoryRecord &r);
QVariantList values(const CatHtmlRecord &r);

void assign(const QVariantList &v, LocationRecord &r);
void assign(const QVariantList &v, DetailRecord &r);
void assign(const QVariantList &v, KeywordRecord &r);
void assign(const QVariantList &v, ConfigurationRecord &r);
void assign(const QVariantList &v, CategoryRecord &r);
void assign(const QVariantList &v, CatHtmlRecord &r);

/// Trims and cuts every text value to its field's width (values in field order); addresses
/// (Location, MovedTo) are only trimmed, never cut.
void fit(const TableDef &table, QVariantList &values);

/// Binds `value` to parameter `index` (1-based): text as UTF-8, whole numbers as integers.
/// With `keep`, text is bound without a copy and its bytes are held in `keep`, which must then
/// outlive the statement's next execution.
void bind(SQLite::Statement &st, int index, const QVariant &value, QByteArrayList *keep = nullptr);
/// Reads column `index` (0-based) as a QVariant (integer, text, or null).
QVariant column(SQLite::Statement &st, int index);
/// Reads columns [first, first + count) of the current row.
QVariantList row(SQLite::Statement &st, int first, int count);

/// "Location, Description, ..." for a table.
QString columnList(const TableDef &table);
/// "?, ?, ..." with one marker per field.
QString markers(const TableDef &table);
/// "Location = ?, Description = ?, ..." for an UPDATE.
QString assignments(const TableDef &table);

} // namespace RecordIo

} // namespace pk
