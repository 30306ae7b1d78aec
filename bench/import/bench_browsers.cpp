// Whole-process timing of the Firefox import. Without arguments: writes a places.sqlite with
// 50,000 bookmarks in 100 folders two levels deep (every tenth tagged), then imports it into a
// fresh collection in a child process and prints the child's wall time and peak resident memory.
//   bench_browsers --run <places.sqlite> <collection folder> [batch milliseconds]
// runs the import in this process;
//   bench_browsers --write <places.sqlite>
// writes the test data only.

#include "childrun.h"
#include "framework/errormanager.h"
#include "framework/scripteduserinterface.h"
#include "import/browserimport.h"
#include "import/firefoxplaces.h"
#include "store/collection.h"
#include "store/locationmanager.h"

#include <SQLiteCpp/Database.h>
#include <SQLiteCpp/Statement.h>
#include <SQLiteCpp/Transaction.h>

#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

using namespace pk;
using namespace Qt::StringLiterals;

namespace {

constexpr int kBookmarks = 50000;
constexpr int kTop = 10;
constexpr int kSub = 10;

void writePlaces(const QString &path)
{
    SQLite::Database db(path.toStdString(), SQLite::OPEN_READWRITE | SQLite::OPEN_CREATE);
    db.exec("CREATE TABLE moz_places (id INTEGER PRIMARY KEY, url LONGVARCHAR, title "
            "LONGVARCHAR, last_visit_date INTEGER)");
    db.exec("CREATE TABLE moz_bookmarks (id INTEGER PRIMARY KEY, type INTEGER, fk INTEGER, "
            "parent INTEGER, position INTEGER, title LONGVARCHAR, dateAdded INTEGER, guid TEXT)");
    db.exec("CREATE TABLE moz_bookmarks_roots (root_name VARCHAR(16) UNIQUE, folder_id INTEGER)");
    SQLite::Transaction tx(db);
    db.exec("INSERT INTO moz_bookmarks (id, type, parent, position, title) VALUES "
            "(1, 2, 0, 0, ''), (2, 2, 1, 0, 'menu'), (3, 2, 1, 1, 'toolbar'), "
            "(4, 2, 1, 2, 'tags'), (5, 2, 1, 3, 'unfiled'), (6, 2, 1, 4, 'mobile'), "
            "(7, 2, 4, 0, 'reading')");
    db.exec("INSERT INTO moz_bookmarks_roots VALUES ('places', 1), ('menu', 2), "
            "('toolbar', 3), ('tags', 4), ('unfiled', 5), ('mobile', 6)");
    SQLite::Statement folder(db,
                             "INSERT INTO moz_bookmarks (id, type, parent, position, title) "
                             "VALUES (?, 2, ?, ?, ?)");
    std::int64_t id = 100;
    std::vector<std::int64_t> leaves;
    for (int t = 0; t < kTop; ++t) {
        const std::int64_t top = id++;
        folder.bind(1, top);
        folder.bind(2, 2);
        folder.bind(3, t);
        folder.bind(4, "Topic " + std::to_string(t));
        folder.exec();
        folder.reset();
        for (int s = 0; s < kSub; ++s) {
            const std::int64_t sub = id++;
            folder.bind(1, sub);
            folder.bind(2, top);
            folder.bind(3, s);
            folder.bind(4, "Subject " + std::to_string(s));
            folder.exec();
            folder.reset();
            leaves.push_back(sub);
        }
    }
    SQLite::Statement place(db, "INSERT INTO moz_places VALUES (?, ?, ?, ?)");
    SQLite::Statement mark(db,
                           "INSERT INTO moz_bookmarks (type, fk, parent, position, title, "
                           "dateAdded) VALUES (1, ?, ?, ?, ?, ?)");
    for (int i = 1; i <= kBookmarks; ++i) {
        place.bind(1, i);
        place.bind(2, "https://site" + std::to_string(i) + ".example.com/page/" + std::to_string(i));
        place.bind(3, "Page " + std::to_string(i));
        place.bind(4, std::int64_t{1700000000000000} + i);
        place.exec();
        place.reset();
        mark.bind(1, i);
        mark.bind(2, leaves[std::size_t(i) % leaves.size()]);
        mark.bind(3, i);
        mark.bind(4, "Bookmark number " + std::to_string(i) + " about gardens");
        mark.bind(5, std::int64_t{1600000000000000} + i);
        mark.exec();
        mark.reset();
        if (i % 10 == 0) {
            mark.bind(1, i);
            mark.bind(2, 7);
            mark.bind(3, i);
            mark.bind(4);
            mark.bind(5, 0);
            mark.exec();
            mark.reset();
        }
    }
    tx.commit();
}

int runImport(const QString &places, const QString &folder, int stepMilliseconds)
{
    QDir().mkpath(folder);
    Collection collection(folder);
    if (!collection.openAll(true))
        return 2;
    ScriptedUserInterface ui;
    ErrorManager errors(ui);
    std::vector<BrowserBookmark> bookmarks;
    QString error;
    if (!FirefoxPlaces::read(places, bookmarks, error)) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 3;
    }
    BrowserImport import(collection, errors, places, CategoryMode::Guess, {});
    import.inserter().setStepMilliseconds(stepMilliseconds);
    import.setBookmarks(std::move(bookmarks));
    while (import.step()) {
    }
    std::printf("imported %d of %lld bookmarks\n",
                import.added(),
                static_cast<long long>(import.bookmarks().size()));
    return import.added() == kBookmarks ? 0 : 4;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if ((argc == 4 || argc == 5) && qstrcmp(argv[1], "--run") == 0)
        return runImport(QString::fromLocal8Bit(argv[2]),
                         QString::fromLocal8Bit(argv[3]),
                         argc == 5 ? std::atoi(argv[4]) : ImportInsert::UnattendedStepMilliseconds);
    if (argc == 3 && qstrcmp(argv[1], "--write") == 0) {
        writePlaces(QString::fromLocal8Bit(argv[2]));
        return 0;
    }

    QTemporaryDir temp;
    const QString places = temp.path() + u"/places.sqlite"_s;
    writePlaces(places);
    // Batches as the command line runs them, and as a window does.
    bool succeeded = true;
    for (const int step :
         {ImportInsert::UnattendedStepMilliseconds, ImportInsert::WindowStepMilliseconds}) {
        const QString folder = temp.path() + u"/collection"_s + QString::number(step);
        const bench::ChildRun child
            = bench::ChildRun::run(argv[0], {u"--run"_s, places, folder, QString::number(step)});
        std::printf("Firefox import of %d bookmarks, %d ms batches, whole process: %.2f s wall, "
                    "%.2f s CPU, %.1f MB max resident (exit %d); limit 1.5 s: ratio %.2f\n",
                    kBookmarks,
                    step,
                    child.wallSeconds,
                    child.userSeconds + child.systemSeconds,
                    child.maxResidentMegabytes,
                    child.exitCode,
                    child.wallSeconds / 1.5);
        std::fflush(stdout);
        succeeded = succeeded && child.succeeded();
    }
    return succeeded ? 0 : 1;
}
