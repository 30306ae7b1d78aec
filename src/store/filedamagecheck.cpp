#include "store/filedamagecheck.h"

#include "store/collation.h"
#include "store/sqlfunctions.h"

#include <QFile>
#include <QStringList>

#include <sqlite3.h>

namespace pk {

namespace {

// Virtual machine steps between two looks at the stop request: a few milliseconds of work.
constexpr int kStepsBetweenLooks = 10000;
// Problems listed by one check; the first is shown, the rest only prove the point.
constexpr int kProblemsListed = 10;

bool meansDamage(int extendedCode)
{
    switch (extendedCode & 0xff) {
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB:
        return true;
    case SQLITE_IOERR:
        return extendedCode == SQLITE_IOERR_READ || extendedCode == SQLITE_IOERR_SHORT_READ;
    default:
        return false;
    }
}

/// The first line of a problem report, of a reasonable length, without the heading naming the
/// schema.
QString shortened(const QString &problem)
{
    QStringList lines = problem.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    if (!lines.isEmpty() && lines.first().startsWith(QLatin1String("***")))
        lines.removeFirst();
    QString first = lines.isEmpty() ? problem.simplified() : lines.first().simplified();
    constexpr qsizetype kLongest = 160;
    if (first.size() > kLongest)
        first = first.left(kLongest) + QStringLiteral("...");
    return first;
}

int lookAtStop(void *stopRequested)
{
    const auto &stop = *static_cast<const std::function<bool()> *>(stopRequested);
    return stop && stop() ? 1 : 0;
}

FileDamageCheck::Result failure(sqlite3 *db, int code)
{
    const int extended = db ? sqlite3_extended_errcode(db) : code;
    const QString text = QString::fromUtf8(db ? sqlite3_errmsg(db) : sqlite3_errstr(code));
    if ((code & 0xff) == SQLITE_INTERRUPT)
        return {FileDamageCheck::Outcome::Stopped, text};
    if (meansDamage(extended))
        return {FileDamageCheck::Outcome::Damaged, text};
    return {FileDamageCheck::Outcome::Failed, text};
}

} // namespace

FileDamageCheck::Result FileDamageCheck::run(const QString &path,
                                             const std::function<bool()> &stopRequested)
{
    if (stopRequested && stopRequested())
        return {Outcome::Stopped, {}};
    if (!QFile::exists(path))
        return {Outcome::Failed, QStringLiteral("The file does not exist")};

    sqlite3 *db = nullptr;
    const QByteArray name = QFile::encodeName(path);
    int rc = sqlite3_open_v2(name.constData(),
                             &db,
                             SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX,
                             nullptr);
    Result result;
    if (rc != SQLITE_OK) {
        result = failure(db, rc);
        sqlite3_close_v2(db);
        return result;
    }
    sqlite3_extended_result_codes(db, 1);
    // The keys are ordered by our collation and may use our functions: the check needs both.
    Collation::registerOn(db);
    registerSqlFunctions(db);
    // The program's own connection may be checkpointing: wait for it a little, not forever.
    sqlite3_busy_timeout(db, 2000);
    std::function<bool()> stop = stopRequested;
    sqlite3_progress_handler(db, kStepsBetweenLooks, &lookAtStop, &stop);

    sqlite3_stmt *st = nullptr;
    const std::string sql = "PRAGMA quick_check(" + std::to_string(kProblemsListed) + ")";
    rc = sqlite3_prepare_v2(db, sql.c_str(), -1, &st, nullptr);
    if (rc != SQLITE_OK) {
        result = failure(db, rc);
    } else {
        QStringList problems;
        while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
            const auto *text = reinterpret_cast<const char *>(sqlite3_column_text(st, 0));
            const QString line = QString::fromUtf8(text ? text : "");
            if (line != QLatin1String("ok"))
                problems << line;
        }
        if (rc != SQLITE_DONE)
            result = failure(db, rc);
        else if (!problems.isEmpty())
            result = {Outcome::Damaged, shortened(problems.first())};
        else
            result = {Outcome::Clean, {}};
    }
    sqlite3_finalize(st);
    sqlite3_close_v2(db);
    return result;
}

} // namespace pk
