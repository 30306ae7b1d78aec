#pragma once

#include <QString>

struct sqlite3;

namespace pk {

/**
 * @brief Registers the SQL functions the filter language compiles to.
 *
 * Every connection that evaluates a compiled filter needs them:
 * - `PK_MATCH(text, pattern, mode)`: whole-value wildcard match, `*` any run of characters,
 *   `?` exactly one character; every other character (including `%`, `_` and quotes) is literal.
 *   Mode 1 compares letter case exactly, mode 17 ignores it. Other modes raise an SQL error.
 * - `PK_UPPER(text)`, `PK_LOWER(text)`: Unicode case mapping.
 * - `PK_CONTAINS(text, needle, nocase)`, `PK_BEGINS(text, prefix, nocase)`: literal substring and
 *   prefix tests; `nocase` non-zero ignores letter case (Unicode case folding).
 * NULL arguments count as empty text. All functions are deterministic.
 */
void registerSqlFunctions(sqlite3 *db);

/// The wildcard rule of PK_MATCH, usable without SQLite (tests, in-memory lists).
bool wildcardMatch(const QString &text, const QString &pattern, bool ignoreCase);

} // namespace pk
