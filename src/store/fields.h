#pragma once

#include <QStringView>

#include <span>

namespace pk {

/// Storage type of a field.
enum class FieldType {
    Text,      ///< STRING(n): text of at most n characters
    Number,    ///< DECIMAL / LONG / ULONG whole number
    Date,      ///< DATE, held as a day number
    DayNumber, ///< LONG holding a day number
    Byte,      ///< BYTE, 0..255
    Memo       ///< MEMO(n): variable text of at most n characters
};

/// One field of a table. `width` is the character width for text and memo fields.
struct FieldDef
{
    const char *name;   ///< "URL:Location"
    const char *column; ///< SQLite column, "Location"
    FieldType type;
    int width;               ///< characters for text/memo; digits for numbers; 0 when none
    const char *picture;     ///< display picture, "" when none
    const char *description; ///< help text and query prompt, "" when none
    const char *prompt;      ///< form prompt, "" when none

    bool isText() const { return type == FieldType::Text || type == FieldType::Memo; }
};

/// The SQLite schema a table lives in: main (URLDATA.TPS), cat (URL_C.TPS), htm (URL_H.TPS).
enum class TableFile { Data, Categories, CatHtml };

struct KeyDef;

/// One table: prefix, label, SQLite name and schema, fields in stored order, keys.
struct TableDef
{
    const char *prefix;   ///< "URL"
    const char *label;    ///< "PATHKEEP"
    const char *sqlTable; ///< "Locations"
    const char *schema;   ///< "main", "cat", "htm"
    TableFile file;
    int version; ///< structure version the program writes
    std::span<const FieldDef> fields;
    std::span<const KeyDef *const> keys;

    const FieldDef *field(QStringView columnOrName) const;
    int fieldIndex(QStringView column) const; ///< -1 when unknown
};

/// How a key component orders and compares text.
enum class KeyCollation {
    None,       ///< a number: natural order
    NoCase,     ///< text ordered and compared without regard to letter case (PKNOCASE)
    NoCaseExact ///< ordered without regard to case, but equal only when exactly equal
};

struct KeyComponent
{
    const char *column; ///< "Rating"
    bool descending;
    KeyCollation collation;
};

/// One key of a table, kept as an SQLite index named `sqlIndex` in the table's schema.
struct KeyDef
{
    const char *name;     ///< "URL:K_Rating"
    const char *sqlIndex; ///< "URL_K_Rating"
    const TableDef *(*table)();
    std::span<const KeyComponent> components;
    bool unique;
    bool primary;
    const char *description; ///< used in messages, "Site Location"; "" when none
};

/// The tables of a collection.
const TableDef &locationsTable();
const TableDef &detailsTable();
const TableDef &keywordsTable();
const TableDef &configurationTable();
const TableDef &categoriesTable();
const TableDef &catHtmlTable();
/// The previous version's Locations layout (prefix ILOC), read only by the previous-version import.
const TableDef &importLocationsTable();

/// The six collection tables in file order (Data: 4, Categories: 1, CatHtml: 1).
std::span<const TableDef *const> collectionTables();

/// The keys, by name.
namespace Keys {
const KeyDef &urlLocation();         ///< URL:K_Location
const KeyDef &urlDescription();      ///< URL:K_Description
const KeyDef &urlCategory();         ///< URL:K_Category
const KeyDef &urlCategoryLocation(); ///< URL:K_CATEGORYLOCATION
const KeyDef &urlRating();           ///< URL:K_Rating
const KeyDef &urlKeyword();          ///< URL:K_Keyword
const KeyDef &udtLocation();         ///< UDT:K_LOCATION
const KeyDef &udkLocation();         ///< UDK:K_LOCATION
const KeyDef &cfDataType();          ///< CF:KEYDATATYPE
const KeyDef &catCategory();         ///< CAT:K_Category
const KeyDef &htmCategoryHtml();     ///< HTM:KEYCATEGORYHTML
} // namespace Keys

/// Every key of the collection tables (eleven).
std::span<const KeyDef *const> allKeys();

/// "URL:Location" (case-insensitive) -> its definition, nullptr when unknown.
const FieldDef *findField(QStringView fullName);
/// The table of a field name's prefix ("URL:Location" or "URL"), nullptr when unknown.
const TableDef *findTableByPrefix(QStringView prefix);
/// "URL:K_Rating" (case-insensitive) -> its definition, nullptr when unknown.
const KeyDef *findKey(QStringView name);

} // namespace pk
