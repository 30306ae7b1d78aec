#pragma once

#include <QString>
#include <QStringList>

namespace SQLite {
class Database;
}

namespace pk {

/**
 * @brief A trigram full-text index over the most searched texts of Locations, used to find
 * the few candidate rows of a "contains" search instead of reading every row.
 *
 * The index is the FTS5 table `LocationText` with external content (the texts are read from
 * Locations, not stored twice) and is kept by triggers on Locations, so every writer of the
 * file keeps it right, also one that knows nothing about it. A file that already holds
 * locations gets an empty index that is filled in steps (fill()); until the last step the
 * triggers index only the rows up to the filled row id, and the index is not used. The meta
 * table records the state: `Version:LocationText` once complete, `LocationTextFilled` (the
 * highest row id indexed) while filling. While filling, a change or delete of a row the index
 * already holds is noted in `LocationTextPending` (with the texts the index holds) and redone
 * by the next fill() in one pass: writing the index from a trigger costs a flush of the index
 * per statement. A kill between steps loses nothing: each step is one
 * transaction of the caller.
 *
 * The index is a speed aid only: a search through it still checks every candidate with
 * PK_CONTAINS, and narrows only for texts whose letters the index folds at least as loosely
 * as PK_CONTAINS (canNarrow()).
 */
class TextIndex final
{
public:
    static constexpr const char *Table = "LocationText";
    static constexpr int Version = 1;
    /// PATHKEEP.INI switch: [Settings] SubstringIndex=0 keeps (and removes) no index.
    static constexpr const char *SettingSection = "Settings";
    static constexpr const char *SettingKey = "SubstringIndex";

    enum class State { Absent, Filling, Complete };

    /// Location columns the index covers.
    static const QStringList &columns();
    static bool covers(const QString &column) { return columns().contains(column); }

    /// What the file in `schema` holds (Absent also for a table left in an unknown state).
    static State state(SQLite::Database &db, const char *schema);
    /**
     * Creates the index and its triggers, replacing any earlier one. With no locations yet it
     * is complete at once; otherwise it starts empty and fill() indexes the rows. Runs in the
     * caller's transaction.
     */
    static void create(SQLite::Database &db, const char *schema);
    /// True when any part of an index (table or trigger) is in the file.
    static bool present(SQLite::Database &db, const char *schema);
    /// Removes the index, its triggers and its state.
    static void drop(SQLite::Database &db, const char *schema);
    /**
     * Indexes up to `rows` more locations while filling; true once the index is complete
     * (also when it already was). Call inside a transaction.
     */
    static bool fill(SQLite::Database &db, const char *schema, int rows);

    /**
     * How many candidates the index gives for `text` in `column`, counting no further than
     * `limit` + 1; -1 when it cannot tell.
     */
    static qint64 candidates(SQLite::Database &db,
                             const char *schema,
                             const QString &column,
                             const QString &text,
                             qint64 limit);
    /// The highest row id of Locations (about the number of locations).
    static qint64 rowEstimate(SQLite::Database &db, const char *schema);

    /**
     * Leaves the rows added from now on to fill(), for a batch that adds many: the triggers add
     * rows to the index one statement at a time, which costs a flush of the index each, while
     * fill() adds them all in one pass. Only from Complete; false when nothing changed. Call
     * inside the batch's transaction.
     */
    static bool defer(SQLite::Database &db, const char *schema);
    /// A SELECT of the row ids of the locations the index may not hold as they are now (none
    /// when complete).
    static QString pendingRows(const char *schema);

    /// True when a "contains" search for `text` may be narrowed through the index.
    static bool canNarrow(const QString &text);
    /// The MATCH argument that finds the rows whose `column` may contain `text`.
    static QString matchText(const QString &column, const QString &text);
};

} // namespace pk
