#include "store/textindex.h"

#include "store/schemamanager.h"
#include "store/sqltext.h"

#include <SQLiteCpp/Column.h>
#include <SQLiteCpp/Database.h>
#include <SQLiteCpp/Statement.h>

#include <QStringBuilder>

namespace pk {

using namespace sqltext;

namespace {

constexpr const char *kFilledKey = "LocationTextFilled";
/// While the index is not complete, the rows it holds that a change or a delete touches are
/// noted here, with the texts the index holds for them, and brought up to date by fill(): a
/// write to the index inside a statement costs a flush of the index each time.
constexpr const char *kPendingTable = "LocationTextPending";
const char *const kTriggerSuffixes[] = {"_Insert", "_Delete", "_Update"};

QString versionKey()
{
    return QStringLiteral("Version:") + str(TextIndex::Table);
}

void removeMeta(SQLite::Database &db, const char *schema, const QString &name)
{
    SQLite::Statement st(db,
                         utf8(QStringLiteral("DELETE FROM %1.%2 WHERE Name = ?")
                                  .arg(str(schema), str(SchemaManager::MetaTable))));
    st.bind(1, utf8(name));
    st.exec();
}

int countInSchema(SQLite::Database &db, const char *schema, const char *type, const QString &like)
{
    SQLite::Statement st(db,
                         utf8(QStringLiteral("SELECT count(*) FROM %1.sqlite_schema WHERE type = ? "
                                             "AND name = ?")
                                  .arg(str(schema))));
    int n = 0;
    st.bind(1, type);
    st.bind(2, utf8(like));
    if (st.executeStep())
        n = st.getColumn(0).getInt();
    return n;
}

QString triggerName(const char *suffix)
{
    return str(TextIndex::Table) + str(suffix);
}

/// The indexed form of a text. The tokenizer stops reading at a NUL character, which must not
/// hide what follows it: the text is indexed as a JSON string, where control characters, quotes
/// and backslashes are escaped and every other character stands as it is. A search text without
/// those characters is found in it wherever it is found in the text.
QString indexed(const QString &prefix)
{
    QStringList out;
    for (const QString &c : TextIndex::columns())
        out << QStringLiteral("json_quote(%1.%2)").arg(prefix, c);
    return out.join(QStringLiteral(", "));
}

QString indexColumnList()
{
    return TextIndex::columns().join(QStringLiteral(", "));
}

void dropTriggers(SQLite::Database &db, const char *schema)
{
    for (const char *suffix : kTriggerSuffixes)
        db.exec(utf8(
            QStringLiteral("DROP TRIGGER IF EXISTS %1.%2").arg(str(schema), triggerName(suffix))));
}

QString filledMark()
{
    return QStringLiteral("(SELECT CAST(Value AS INTEGER) FROM %1 WHERE Name = '%2')")
        .arg(str(SchemaManager::MetaTable), str(kFilledKey));
}

/// Triggers while the index fills: rows beyond the filled row id are left to fill(); a change
/// to a row the index holds is noted, with the texts the index holds, for fill() to redo.
/// The three triggers on Locations, with what each does; the one on a change runs only when
/// an indexed text (or the row id) changed.
void createTriggerSet(SQLite::Database &db,
                      const char *schema,
                      const QString &onInsert,
                      const QString &onDelete,
                      const QString &onUpdate)
{
    QStringList changed;
    for (const QString &c : TextIndex::columns())
        changed << QStringLiteral("old.%1 IS NOT new.%1").arg(c);
    changed << QStringLiteral("old.rowid IS NOT new.rowid");
    const QString on = QStringLiteral(" ON %1 ").arg(str(locationsTable().sqlTable));
    db.exec(utf8(u"CREATE TRIGGER " % str(schema) % u'.' % triggerName(kTriggerSuffixes[0])
                 % u" AFTER INSERT" % on % u"BEGIN " % onInsert % u" END"));
    db.exec(utf8(u"CREATE TRIGGER " % str(schema) % u'.' % triggerName(kTriggerSuffixes[1])
                 % u" AFTER DELETE" % on % u"BEGIN " % onDelete % u" END"));
    db.exec(utf8(u"CREATE TRIGGER " % str(schema) % u'.' % triggerName(kTriggerSuffixes[2])
                 % u" AFTER UPDATE" % on % u"WHEN " % changed.join(QStringLiteral(" OR "))
                 % u" BEGIN " % onUpdate % u" END"));
}

void createPendingTable(SQLite::Database &db, const char *schema)
{
    db.exec(utf8(QStringLiteral("CREATE TABLE IF NOT EXISTS %1.%2 (Row INTEGER PRIMARY KEY, "
                                "Indexed INTEGER NOT NULL, %3)")
                     .arg(str(schema), str(kPendingTable), indexColumnList())));
}

void createFillingTriggers(SQLite::Database &db, const char *schema)
{
    const QString note = QStringLiteral("INSERT OR IGNORE INTO %1 (Row, Indexed, %2) ")
                             .arg(str(kPendingTable), indexColumnList());
    // The first note of a row keeps what the index holds for it; later ones change nothing.
    const QString oldRow = note
                           % QStringLiteral("SELECT old.rowid, 1, %1 WHERE old.rowid <= %2;")
                                 .arg(indexed(QStringLiteral("old")), filledMark());
    QStringList nothing;
    for (qsizetype i = 0; i < TextIndex::columns().size(); ++i)
        nothing << QStringLiteral("NULL");
    const QString newRow = note
                           % QStringLiteral("SELECT new.rowid, 0, %1 WHERE new.rowid <= %2;")
                                 .arg(nothing.join(QStringLiteral(", ")), filledMark());
    createTriggerSet(db, schema, newRow, oldRow, oldRow % u' ' % newRow);
}

/// Redoes the rows noted while filling: their old entries out, their texts as stored now in.
void applyPending(SQLite::Database &db, const char *schema)
{
    const QString table = str(TextIndex::Table);
    const QString pending = str(schema) + u'.' + str(kPendingTable);
    db.exec(utf8(QStringLiteral("INSERT INTO %1.%2 (%2, rowid, %3) SELECT 'delete', Row, %3 "
                                "FROM %4 WHERE Indexed = 1")
                     .arg(str(schema), table, indexColumnList(), pending)));
    db.exec(utf8(QStringLiteral("INSERT INTO %1.%2 (rowid, %3) SELECT rowid, %4 FROM %1.%5 "
                                "WHERE rowid IN (SELECT Row FROM %6)")
                     .arg(str(schema),
                          table,
                          indexColumnList(),
                          indexed(str(locationsTable().sqlTable)),
                          str(locationsTable().sqlTable),
                          pending)));
    db.exec(utf8(QStringLiteral("DELETE FROM %1").arg(pending)));
}

/// True when the rows noted for redoing are at least half of those the index holds (taken as
/// the filled row id: row ids are given in order and rarely leave gaps).
bool pendingOutweighsIndex(SQLite::Database &db, const char *schema)
{
    SQLite::Statement st(db,
                         utf8(QStringLiteral("SELECT count(*) FROM %1.%2")
                                  .arg(str(schema), str(kPendingTable))));
    if (!st.executeStep())
        return false;
    const qint64 pending = st.getColumn(0).getInt64();
    const qint64 filled = SchemaManager::metaValue(db, schema, str(kFilledKey)).toLongLong();
    return pending > 0 && pending * 2 >= filled;
}

void createTriggers(SQLite::Database &db, const char *schema, bool filling)
{
    if (filling) {
        createFillingTriggers(db, schema);
        return;
    }
    const QString table = str(TextIndex::Table);
    const QString add = QStringLiteral("INSERT INTO %1 (rowid, %2) SELECT new.rowid, %3;")
                            .arg(table, indexColumnList(), indexed(QStringLiteral("new")));
    const QString remove = QStringLiteral("INSERT INTO %1 (%1, rowid, %2) SELECT 'delete', "
                                          "old.rowid, %3;")
                               .arg(table, indexColumnList(), indexed(QStringLiteral("old")));
    createTriggerSet(db, schema, add, remove, remove % u' ' % add);
}

void complete(SQLite::Database &db, const char *schema)
{
    dropTriggers(db, schema);
    createTriggers(db, schema, false);
    removeMeta(db, schema, str(kFilledKey));
    SchemaManager::setMetaValue(db, schema, versionKey(), QString::number(TextIndex::Version));
}

bool isNarrowable(char32_t c)
{
    // Letters whose case PK_CONTAINS and the trigram tokenizer fold alike (every code point that
    // PK_CONTAINS takes for one of them is folded to the same letter by the tokenizer).
    if (c >= 0x20 && c <= 0x7E)
        return c != u'"' && c != u'\\';
    if (c >= 0xC0 && c <= 0x24F)
        return c != 0xD7 && c != 0xF7 && c != 0x130 && c != 0x131 && c != 0x149 && c != 0x17F
               && c != 0x1C4 && c != 0x1C5 && c != 0x1C6 && c != 0x1C7 && c != 0x1C8 && c != 0x1C9
               && c != 0x1CA && c != 0x1CB && c != 0x1CC && c != 0x1F0 && c != 0x1F1 && c != 0x1F2
               && c != 0x1F3;
    // The basic Cyrillic alphabet, but for the letters with variant forms (U+1C80...) that the
    // tokenizer does not fold.
    if (c >= 0x410 && c <= 0x44F) {
        const char32_t upper = c >= 0x430 ? c - 0x20 : c;
        return upper != 0x412 && upper != 0x414 && upper != 0x41E && upper != 0x421
               && upper != 0x422 && upper != 0x42A;
    }
    return false;
}

} // namespace

const QStringList &TextIndex::columns()
{
    static const QStringList kColumns{QStringLiteral("Description"),
                                      QStringLiteral("Comments"),
                                      QStringLiteral("Keyword")};
    return kColumns;
}

TextIndex::State TextIndex::state(SQLite::Database &db, const char *schema)
{
    if (countInSchema(db, schema, "table", str(Table)) == 0
        || countInSchema(db, schema, "table", str(kPendingTable)) == 0)
        return State::Absent;
    for (const char *suffix : kTriggerSuffixes) {
        if (countInSchema(db, schema, "trigger", triggerName(suffix)) == 0)
            return State::Absent;
    }
    bool filling = false;
    SchemaManager::metaValue(db, schema, str(kFilledKey), &filling);
    if (filling)
        return State::Filling;
    return SchemaManager::metaValue(db, schema, versionKey()) == QString::number(Version)
               ? State::Complete
               : State::Absent;
}

bool TextIndex::present(SQLite::Database &db, const char *schema)
{
    if (countInSchema(db, schema, "table", str(Table)) > 0
        || countInSchema(db, schema, "table", str(kPendingTable)) > 0)
        return true;
    for (const char *suffix : kTriggerSuffixes) {
        if (countInSchema(db, schema, "trigger", triggerName(suffix)) > 0)
            return true;
    }
    return false;
}

void TextIndex::drop(SQLite::Database &db, const char *schema)
{
    dropTriggers(db, schema);
    db.exec(utf8(QStringLiteral("DROP TABLE IF EXISTS %1.%2").arg(str(schema), str(Table))));
    db.exec(utf8(QStringLiteral("DROP TABLE IF EXISTS %1.%2").arg(str(schema), str(kPendingTable))));
    removeMeta(db, schema, str(kFilledKey));
    removeMeta(db, schema, versionKey());
}

void TextIndex::create(SQLite::Database &db, const char *schema)
{
    drop(db, schema);
    db.exec(utf8(QStringLiteral("CREATE VIRTUAL TABLE %1.%2 USING fts5(%3, content='%4', "
                                "content_rowid='rowid', tokenize='trigram')")
                     .arg(str(schema), str(Table), indexColumnList(), str(locationsTable().sqlTable))));
    createPendingTable(db, schema);
    SQLite::Statement any(db,
                          utf8(QStringLiteral("SELECT 1 FROM %1.%2 LIMIT 1")
                                   .arg(str(schema), str(locationsTable().sqlTable))));
    if (!any.executeStep()) {
        complete(db, schema);
        return;
    }
    SchemaManager::setMetaValue(db, schema, str(kFilledKey), QStringLiteral("0"));
    createTriggers(db, schema, true);
}

bool TextIndex::fill(SQLite::Database &db, const char *schema, int rows)
{
    if (state(db, schema) != State::Filling)
        return true;
    if (pendingOutweighsIndex(db, schema)) {
        // Most indexed rows changed (a search and replace over all of them): the index is
        // emptied and filled again from the first row, one pass instead of one removal a row.
        db.exec(utf8(QStringLiteral("INSERT INTO %1.%2 (%2) VALUES ('delete-all')")
                         .arg(str(schema), str(Table))));
        db.exec(utf8(QStringLiteral("DELETE FROM %1.%2").arg(str(schema), str(kPendingTable))));
        SchemaManager::setMetaValue(db, schema, str(kFilledKey), QStringLiteral("0"));
    } else {
        applyPending(db, schema);
    }
    const qint64 filled = SchemaManager::metaValue(db, schema, str(kFilledKey)).toLongLong();
    const QString locations = str(schema) + u'.' + str(locationsTable().sqlTable);
    qint64 upTo = 0;
    {
        SQLite::Statement st(db,
                             utf8(QStringLiteral("SELECT max(rowid) FROM (SELECT rowid FROM %1 "
                                                 "WHERE rowid > ? ORDER BY rowid LIMIT ?)")
                                      .arg(locations)));
        st.bind(1, static_cast<int64_t>(filled));
        st.bind(2, std::max(rows, 1));
        if (!st.executeStep() || st.getColumn(0).isNull()) {
            complete(db, schema);
            return true;
        }
        upTo = st.getColumn(0).getInt64();
    }
    SQLite::Statement add(db,
                          utf8(QStringLiteral("INSERT INTO %1.%2 (rowid, %3) SELECT rowid, %4 "
                                              "FROM %5 WHERE rowid > ? AND rowid <= ?")
                                   .arg(str(schema),
                                        str(Table),
                                        indexColumnList(),
                                        indexed(str(locationsTable().sqlTable)),
                                        locations)));
    add.bind(1, static_cast<int64_t>(filled));
    add.bind(2, static_cast<int64_t>(upTo));
    add.exec();
    SchemaManager::setMetaValue(db, schema, str(kFilledKey), QString::number(upTo));
    return false;
}

qint64 TextIndex::candidates(SQLite::Database &db,
                             const char *schema,
                             const QString &column,
                             const QString &text,
                             qint64 limit)
{
    try {
        SQLite::Statement st(db,
                             utf8(QStringLiteral("SELECT count(*) FROM (SELECT rowid FROM %1.%2 "
                                                 "WHERE %2 MATCH ? LIMIT ?)")
                                      .arg(str(schema), str(Table))));
        st.bind(1, utf8(matchText(column, text)));
        st.bind(2, static_cast<int64_t>(limit + 1));
        return st.executeStep() ? st.getColumn(0).getInt64() : -1;
    } catch (const std::exception &) {
        return -1;
    }
}

qint64 TextIndex::rowEstimate(SQLite::Database &db, const char *schema)
{
    SQLite::Statement st(db,
                         utf8(QStringLiteral("SELECT max(rowid) FROM %1.%2")
                                  .arg(str(schema), str(locationsTable().sqlTable))));
    return st.executeStep() ? st.getColumn(0).getInt64() : 0;
}

bool TextIndex::defer(SQLite::Database &db, const char *schema)
{
    if (state(db, schema) != State::Complete)
        return false;
    SQLite::Statement last(db,
                           utf8(QStringLiteral("SELECT coalesce(max(rowid), 0) FROM %1.%2")
                                    .arg(str(schema), str(locationsTable().sqlTable))));
    last.executeStep();
    SchemaManager::setMetaValue(db,
                                schema,
                                str(kFilledKey),
                                QString::number(last.getColumn(0).getInt64()));
    dropTriggers(db, schema);
    createTriggers(db, schema, true);
    return true;
}

QString TextIndex::pendingRows(const char *schema)
{
    // Rows beyond the filled row id, and rows changed since the index last held them.
    const QString beyond
        = QStringLiteral("SELECT rowid FROM %1.%2 WHERE rowid > coalesce((SELECT CAST(Value AS "
                         "INTEGER) FROM %1.%3 WHERE Name = '%4'), 9223372036854775807)")
              .arg(str(schema),
                   str(locationsTable().sqlTable),
                   str(SchemaManager::MetaTable),
                   str(kFilledKey));
    return beyond
           + QStringLiteral(" UNION ALL SELECT Row FROM %1.%2").arg(str(schema), str(kPendingTable));
}

bool TextIndex::canNarrow(const QString &text)
{
    qsizetype letters = 0;
    for (const char32_t c : text.toUcs4()) {
        if (!isNarrowable(c))
            return false;
        ++letters;
    }
    // The tokenizer finds nothing for fewer than three characters.
    return letters >= 3;
}

QString TextIndex::matchText(const QString &column, const QString &text)
{
    QString quoted = text;
    quoted.replace(u'"', QStringLiteral("\"\""));
    return u'{' % column % QStringLiteral("} : \"") % quoted % u'"';
}

} // namespace pk
