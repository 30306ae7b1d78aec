#include "storefixture.h"
#include "support/withoutprivileges.h"

#include "store/collation.h"
#include "store/configurationmanager.h"
#include "store/detailmanager.h"
#include "store/fields.h"
#include "store/schemamanager.h"
#include "store/view.h"

#include <SQLiteCpp/Database.h>
#include <SQLiteCpp/Statement.h>

#include <QDir>
#include <QFileInfo>

#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

namespace pk::test {
namespace {

const QByteArray kOtherOwner = "Someone.Else/0000-1111-2222-3333-4";

struct Digests
{
    QByteArray data, cat, htm;
    bool operator==(const Digests &) const = default;
};

Digests digests(const Collection &c)
{
    return {fileDigest(c.filePath(CollectionFile::Data)),
            fileDigest(c.filePath(CollectionFile::Categories)),
            fileDigest(c.filePath(CollectionFile::CatHtml))};
}

void makeCollection(const QString &folder, const QByteArray &owner = {}, int locations = 3)
{
    auto c = owner.isEmpty() ? std::make_unique<Collection>(folder)
                             : std::make_unique<Collection>(folder, owner);
    ASSERT_TRUE(c->openAll(true));
    if (!c->categories().exists(QStringLiteral("General"))) {
        ASSERT_TRUE(c->categories().insert({QStringLiteral("General"), 0, {}}));
    }
    for (int i = 0; i < locations; ++i)
        ASSERT_TRUE(
            c->locations().insert(location(QStringLiteral("http://site%1.example/").arg(i))));
}

TEST(CollectionOpen, CreatesThreeFilesAndReopens)
{
    TempCollection t;
    {
        Collection c(t.folder());
        EXPECT_EQ(c.open(CollectionFile::Data, false).error, StoreError::FileNotFound);
        EXPECT_FALSE(QFileInfo::exists(t.path(QStringLiteral("URLDATA.TPS"))));
        const StoreStatus missing = c.open(CollectionFile::Categories, false);
        EXPECT_EQ(missing.error, StoreError::FileNotFound);
        EXPECT_EQ(missing.catalogueNumber, 26);
    }
    makeCollection(t.folder());
    for (const char *name : {"URLDATA.TPS", "URL_C.TPS", "URL_H.TPS"})
        EXPECT_TRUE(QFileInfo::exists(t.path(QString::fromLatin1(name)))) << name;
    // Closed files are self-contained: no write-ahead log left beside them.
    EXPECT_FALSE(QFileInfo::exists(t.path(QStringLiteral("URLDATA.TPS-wal"))));

    Collection c(t.folder());
    // Categories may be opened before the locations' file.
    ASSERT_TRUE(c.open(CollectionFile::Categories, false));
    EXPECT_TRUE(c.categories().exists(QStringLiteral("General")));
    ASSERT_TRUE(c.open(CollectionFile::Data, false));
    ASSERT_TRUE(c.open(CollectionFile::CatHtml, false));
    EXPECT_TRUE(c.categories().exists(QStringLiteral("general")));
    EXPECT_EQ(c.locations().count(), 3);
    EXPECT_EQ(c.storedVersion(locationsTable()), locationsTable().version);
    c.close();
    EXPECT_EQ(c.locations().insert(location(QStringLiteral("http://x/"))).error,
              StoreError::FileNotOpen);
}

TEST(CollectionOpen, FileOfAnotherOwnerIsRefusedAndNotChanged)
{
    TempCollection t;
    makeCollection(t.folder(), kOtherOwner);
    Collection c(t.folder());
    const Digests before = digests(c);
    const StoreStatus s = c.openAll(false);
    EXPECT_EQ(s.error, StoreError::InvalidFile) << s;
    EXPECT_EQ(s.catalogueNumber, 26);
    EXPECT_EQ(s.context.file, c.filePath(CollectionFile::Data));
    EXPECT_FALSE(c.isOpen(CollectionFile::Data));
    EXPECT_EQ(c.open(CollectionFile::Data, true).error,
              StoreError::InvalidFile); // never overwritten
    c.close();
    EXPECT_EQ(digests(c), before);

    Collection owner(t.folder(), kOtherOwner);
    ASSERT_TRUE(owner.openAll(false));
    EXPECT_EQ(owner.locations().count(), 3);
}

TEST(CollectionOpen, ForeignFilesAreRefusedAndNotChanged)
{
    TempCollection t;
    makeCollection(t.folder());
    QByteArray garbage;
    for (int i = 0; i < 5000; ++i)
        garbage.append(char((i * 7919) % 251));
    for (const QString &name : {QStringLiteral("URLDATA.TPS"), QStringLiteral("URL_C.TPS")}) {
        const QByteArray original = fileDigest(t.path(name));
        ASSERT_TRUE(t.writeFile(name, garbage));
        Collection c(t.folder());
        const StoreStatus s = c.openAll(true);
        EXPECT_EQ(s.error, StoreError::InvalidFile) << name.toStdString() << " " << s;
        c.close();
        EXPECT_EQ(fileDigest(t.path(name)),
                  QCryptographicHash::hash(garbage, QCryptographicHash::Sha256));
        Q_UNUSED(original);
        QFile::remove(t.path(name));
        makeCollection(t.folder(), {}, 0); // put a good file back for the next round
    }

    // An SQLite database of some other program.
    QFile::remove(t.path(QStringLiteral("URL_H.TPS")));
    {
        SQLite::Database other(t.path(QStringLiteral("URL_H.TPS")).toStdString(),
                               SQLite::OPEN_READWRITE | SQLite::OPEN_CREATE);
        other.exec("CREATE TABLE notes (text TEXT); INSERT INTO notes VALUES ('mine')");
    }
    const QByteArray before = fileDigest(t.path(QStringLiteral("URL_H.TPS")));
    Collection c(t.folder());
    ASSERT_TRUE(c.open(CollectionFile::Data, false));
    EXPECT_EQ(c.open(CollectionFile::CatHtml, true).error, StoreError::InvalidFile);
    // Files swapped around are refused too.
    QFile::copy(t.path(QStringLiteral("URL_C.TPS")), t.path(QStringLiteral("copy")));
    c.close();
    EXPECT_EQ(fileDigest(t.path(QStringLiteral("URL_H.TPS"))), before);
    QFile::remove(t.path(QStringLiteral("URL_H.TPS")));
    QFile::rename(t.path(QStringLiteral("copy")), t.path(QStringLiteral("URL_H.TPS")));
    EXPECT_EQ(c.open(CollectionFile::CatHtml, false).error, StoreError::InvalidFile);

    // A file left empty (created, never filled) is taken over only when asked to create.
    c.close();
    ASSERT_TRUE(t.writeFile(QStringLiteral("URL_H.TPS"), {}));
    EXPECT_EQ(c.open(CollectionFile::CatHtml, false).error, StoreError::InvalidFile);
    EXPECT_TRUE(c.open(CollectionFile::CatHtml, true));
}

TEST(CollectionOpen, ReadOnlyFilesAndFoldersGiveAccessDenied)
{
    TempCollection t;
    makeCollection(t.folder());
    for (const char *name : {"URLDATA.TPS", "URL_C.TPS", "URL_H.TPS"})
        QFile::setPermissions(t.path(QString::fromLatin1(name)),
                              QFileDevice::ReadOwner | QFileDevice::ReadGroup
                                  | QFileDevice::ReadOther);
    const Digests before = digests(Collection(t.folder()));
    withoutPrivileges(t, [&] {
        Collection c(t.folder());
        const StoreStatus s = c.openAll(false);
        EXPECT_TRUE(s) << s;
        EXPECT_TRUE(c.isReadOnly(CollectionFile::Data));
        EXPECT_EQ(c.locations().count(), 3);
        const StoreStatus w = c.locations().insert(location(QStringLiteral("http://new/")));
        EXPECT_EQ(w.error, StoreError::AccessDenied) << w;
        EXPECT_EQ(w.catalogueNumber, 4);
        EXPECT_EQ(c.categories().remove(QStringLiteral("General")).error, StoreError::AccessDenied);
        View v(c, Keys::urlLocation());
        ViewPage page;
        EXPECT_TRUE(v.firstPage(10, page));
        EXPECT_EQ(page.rows.size(), 3u);
    });
    EXPECT_EQ(digests(Collection(t.folder())), before);

    // A read-only folder: nothing can be created in it.
    const QString folder = t.root() + QStringLiteral("/locked");
    QDir().mkpath(folder);
    QFile::setPermissions(folder,
                          QFileDevice::ReadOwner | QFileDevice::ExeOwner | QFileDevice::ReadOther
                              | QFileDevice::ExeOther);
    withoutPrivileges(t, [&] {
        Collection c(folder);
        const StoreStatus s = c.open(CollectionFile::Data, true);
        EXPECT_EQ(s.error, StoreError::AccessDenied) << s;
        EXPECT_EQ(s.catalogueNumber, 12);
        EXPECT_FALSE(QFileInfo::exists(folder + QStringLiteral("/URLDATA.TPS")));
    });
}

TEST(CollectionOpen, ReadOnlyRunsLeaveNoSideFilesAndStaleOnesDoNotBlockWriting)
{
    TempCollection t;
    makeCollection(t.folder());
    const QStringList files = {t.path(QStringLiteral("URLDATA.TPS")),
                               t.path(QStringLiteral("URL_C.TPS")),
                               t.path(QStringLiteral("URL_H.TPS"))};
    const auto readOnly = QFileDevice::ReadOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther;
    const auto writable = readOnly | QFileDevice::WriteOwner;
    // The unprivileged user owns the folder and the files, as a user owns their collection.
    if (geteuid() == 0) {
        ASSERT_EQ(::chown(QFile::encodeName(t.folder()).constData(), 65534, 65534), 0);
        for (const QString &f : files)
            ASSERT_EQ(::chown(QFile::encodeName(f).constData(), 65534, 65534), 0);
    }
    auto sideFiles = [&] {
        return QDir(t.folder())
            .entryList({QStringLiteral("*-wal"), QStringLiteral("*-shm")},
                       QDir::Files | QDir::Hidden);
    };
    withoutPrivileges(t, [&] {
        for (const QString &f : files)
            ASSERT_TRUE(QFile::setPermissions(f, readOnly));
        {
            Collection c(t.folder());
            ASSERT_TRUE(c.openAll(false));
            ASSERT_TRUE(c.isReadOnly(CollectionFile::Data));
            EXPECT_EQ(c.locations().count(), 3);
            EXPECT_TRUE(c.categories().exists(QStringLiteral("General")));
        }
        EXPECT_EQ(sideFiles(), QStringList());

        // A reader killed while it had the read-only file open leaves read-only side files.
        const pid_t reader = fork();
        if (reader == 0) {
            SQLite::Database db(files[0].toStdString(), SQLite::OPEN_READONLY);
            SQLite::Statement st(db, "SELECT count(*) FROM Locations");
            st.executeStep();
            _exit(0); // no close
        }
        int status = 0;
        waitpid(reader, &status, 0);
        ASSERT_FALSE(sideFiles().isEmpty());
        ASSERT_FALSE(QFileInfo(files[0] + QStringLiteral("-shm")).isWritable());

        // The user makes the files writable again: writing works at once.
        for (const QString &f : files)
            ASSERT_TRUE(QFile::setPermissions(f, writable));
        {
            Collection c(t.folder());
            ASSERT_TRUE(c.openAll(false));
            EXPECT_FALSE(c.isReadOnly(CollectionFile::Data));
            const StoreStatus w = c.locations().insert(location(QStringLiteral("http://new/")));
            EXPECT_TRUE(w) << w;
            EXPECT_EQ(c.locations().count(), 4);
        }
        EXPECT_EQ(sideFiles(), QStringList());
    });
}

TEST(CollectionOpen, BusyFileReportsLocked)
{
    TempCollection t;
    makeCollection(t.folder());
    SQLite::Database holder(t.path(QStringLiteral("URL_C.TPS")).toStdString(),
                            SQLite::OPEN_READWRITE);
    holder.exec("PRAGMA locking_mode = EXCLUSIVE");
    holder.exec("BEGIN EXCLUSIVE");
    Collection c(t.folder());
    ASSERT_TRUE(c.open(CollectionFile::Data, false));
    EXPECT_EQ(c.open(CollectionFile::Categories, false).error, StoreError::Locked);
    holder.exec("COMMIT");
}

TEST(CollectionUpgrade, OlderStructureAndUrlLTableKeepEveryRecord)
{
    TempCollection t;
    makeCollection(t.folder(), {}, 50);
    {
        // Make it look like a collection written by the first structure: Locations stored as
        // URL_L, without the fields added later, with its own indexes.
        SQLite::Database db(t.path(QStringLiteral("URLDATA.TPS")).toStdString(),
                            SQLite::OPEN_READWRITE);
        Collation::registerOn(db.getHandle());
        for (const KeyDef *k : locationsTable().keys)
            db.exec(std::string("DROP INDEX ") + k->sqlIndex);
        for (const char *col : {"EmailAddress", "OriginalFilename", "Custom1", "Custom2", "Custom3"})
            db.exec(std::string("ALTER TABLE Locations DROP COLUMN ") + col);
        db.exec("ALTER TABLE Locations RENAME TO URL_L");
        db.exec("CREATE UNIQUE INDEX old_location ON URL_L (Location COLLATE NOCASE)");
        db.exec("UPDATE PkMeta SET Value = '1' WHERE Name = 'Version:Locations'");
    }
    Collection c(t.folder());
    const StoreStatus s = c.openAll(false);
    ASSERT_TRUE(s) << s;
    EXPECT_EQ(c.storedVersion(locationsTable()), locationsTable().version);
    EXPECT_EQ(c.locations().count(), 50);
    LocationRecord r;
    ASSERT_TRUE(c.locations().get(QStringLiteral("http://site7.example/"), r));
    EXPECT_TRUE(r.Custom1.isEmpty());
    r.Custom1 = QStringLiteral("kept");
    ASSERT_TRUE(c.locations().change(r.Location, r));
    // The old case-insensitive index is gone; the exact key is back.
    EXPECT_TRUE(c.locations().insert(location(QStringLiteral("HTTP://SITE7.EXAMPLE/"))));
    EXPECT_EQ(c.locations().insert(location(QStringLiteral("http://site7.example/"))).error,
              StoreError::DuplicateKey);
}

TEST(CollectionUpgrade, NarrowAddressStructureOpensWithEveryRecordAndTakesLongAddresses)
{
    TempCollection t;
    makeCollection(t.folder(), {}, 40);
    {
        Collection c(t.folder());
        ASSERT_TRUE(c.openAll(false));
        for (int i = 0; i < 40; ++i) {
            const QString address = QStringLiteral("http://site%1.example/").arg(i);
            DetailRecord d{address, 0, QStringLiteral("Label"), QStringLiteral("Value %1").arg(i)};
            ASSERT_TRUE(c.details().insert(d));
        }
    }
    {
        // The structure that held addresses of 255 characters at most.
        SQLite::Database db(t.path(QStringLiteral("URLDATA.TPS")).toStdString(),
                            SQLite::OPEN_READWRITE);
        db.exec("UPDATE PkMeta SET Value = '2' WHERE Name = 'Version:Locations'");
        db.exec("UPDATE PkMeta SET Value = '1' WHERE Name = 'Version:URLDetails'");
        db.exec("UPDATE PkMeta SET Value = '1' WHERE Name = 'Version:URLKeywords'");
    }

    // A read-only copy of it opens as it is: the rows need no change.
    for (const char *name : {"URLDATA.TPS", "URL_C.TPS", "URL_H.TPS"})
        ASSERT_TRUE(QFile::setPermissions(t.path(QString::fromLatin1(name)),
                                          QFileDevice::ReadOwner | QFileDevice::ReadGroup
                                              | QFileDevice::ReadOther));
    withoutPrivileges(t, [&] {
        Collection c(t.folder());
        const StoreStatus s = c.openAll(false);
        EXPECT_TRUE(s) << s;
        EXPECT_EQ(c.locations().count(), 40);
        EXPECT_EQ(c.storedVersion(locationsTable()), 2);
    });
    for (const char *name : {"URLDATA.TPS", "URL_C.TPS", "URL_H.TPS"})
        ASSERT_TRUE(QFile::setPermissions(t.path(QString::fromLatin1(name)),
                                          QFileDevice::ReadOwner | QFileDevice::WriteOwner
                                              | QFileDevice::ReadGroup | QFileDevice::ReadOther));

    Collection c(t.folder());
    const StoreStatus s = c.openAll(false);
    ASSERT_TRUE(s) << s;
    EXPECT_EQ(c.storedVersion(locationsTable()), locationsTable().version);
    EXPECT_EQ(c.storedVersion(detailsTable()), detailsTable().version);
    EXPECT_EQ(c.storedVersion(keywordsTable()), keywordsTable().version);
    EXPECT_EQ(c.locations().count(), 40);
    for (int i = 0; i < 40; ++i) {
        const QString address = QStringLiteral("http://site%1.example/").arg(i);
        EXPECT_TRUE(c.locations().exists(address)) << i;
        std::vector<DetailRecord> rows;
        ASSERT_TRUE(c.details().list(address, rows));
        ASSERT_EQ(rows.size(), 1u) << i;
        EXPECT_EQ(rows[0].DataValue, QStringLiteral("Value %1").arg(i));
    }

    const QString longAddress = QStringLiteral("https://long.example/?q=") + QString(1976, u'x');
    ASSERT_EQ(longAddress.size(), 2000);
    ASSERT_TRUE(c.locations().insert(location(longAddress)));
    DetailRecord d{longAddress, 0, QStringLiteral("Label"), QStringLiteral("long")};
    ASSERT_TRUE(c.details().insert(d));
    c.close();

    Collection again(t.folder());
    ASSERT_TRUE(again.openAll(false));
    LocationRecord back;
    ASSERT_TRUE(again.locations().get(longAddress, back));
    EXPECT_EQ(back.Location, longAddress);
    std::vector<DetailRecord> rows;
    ASSERT_TRUE(again.details().list(longAddress, rows));
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].Location, longAddress);
    EXPECT_EQ(again.locations().count(), 41);
}

TEST(CollectionUpgrade, PreviousVersionLocationsFileIsConverted)
{
    TempCollection t;
    {
        SQLite::Database old(t.path(QStringLiteral("URL_L.TPS")).toStdString(),
                             SQLite::OPEN_READWRITE | SQLite::OPEN_CREATE);
        old.exec(
            "CREATE TABLE URL_L (LOCATION TEXT, DESCRIPTION TEXT, CATEGORY TEXT, RATING INTEGER, "
            "KEYWORD TEXT, SiteInfo TEXT)");
        SQLite::Statement ins(old, "INSERT INTO URL_L VALUES (?, ?, ?, ?, ?, ?)");
        for (int i = 0; i < 40; ++i) {
            ins.reset();
            ins.bind(1, QStringLiteral("http://old%1.example/   ").arg(i).toStdString());
            ins.bind(2, QStringLiteral("Old site %1  ").arg(i).toStdString());
            ins.bind(3, std::string("Archive"));
            ins.bind(4, i % 10);
            ins.bind(5, std::string("kw"));
            ins.bind(6, QStringLiteral("Über info %1").arg(i).toStdString());
            ins.exec();
        }
    }
    const QByteArray oldDigest = fileDigest(t.path(QStringLiteral("URL_L.TPS")));
    Collection c(t.folder());
    ASSERT_TRUE(c.openAll(true));
    EXPECT_EQ(c.locations().count(), 40);
    LocationRecord r;
    ASSERT_TRUE(c.locations().get(QStringLiteral("http://old12.example/"), r));
    EXPECT_EQ(r.Description, QStringLiteral("Old site 12"));
    EXPECT_EQ(r.Rating, 2);
    EXPECT_EQ(r.SiteInfo, QStringLiteral("Über info 12"));
    EXPECT_EQ(r.Category, QStringLiteral("Archive"));
    c.close();
    EXPECT_EQ(fileDigest(t.path(QStringLiteral("URL_L.TPS"))), oldDigest);
    // Converted once: reopening does not copy the rows again.
    ASSERT_TRUE(c.openAll(false));
    EXPECT_EQ(c.locations().count(), 40);
}

TEST(CollectionKeys, OtherCollationVersionAsksForRebuild)
{
    TempCollection t;
    makeCollection(t.folder());
    {
        SQLite::Database db(t.path(QStringLiteral("URLDATA.TPS")).toStdString(),
                            SQLite::OPEN_READWRITE);
        db.exec("UPDATE PkMeta SET Value = '1' WHERE Name = 'Collation'");
    }
    Collection c(t.folder());
    const StoreStatus s = c.open(CollectionFile::Data, false);
    EXPECT_EQ(s.error, StoreError::InvalidKeyFile);
    EXPECT_EQ(s.catalogueNumber, 30);
    ASSERT_TRUE(c.isOpen(CollectionFile::Data));
    ASSERT_TRUE(c.rebuildKeys(CollectionFile::Data));
    EXPECT_TRUE(c.checkFile(CollectionFile::Data));
    c.close();
    EXPECT_TRUE(c.open(CollectionFile::Data, false));
}

TEST(CollectionTransaction, FailureRollsBackEverything)
{
    TempCollection t;
    makeCollection(t.folder(), {}, 0);
    Collection c(t.folder());
    ASSERT_TRUE(c.openAll(false));
    const StoreStatus s = c.transaction([&] {
        EXPECT_TRUE(c.locations().insert(location(QStringLiteral("http://one/"))));
        const StoreStatus inner = c.transaction([&] {
            EXPECT_TRUE(c.locations().insert(location(QStringLiteral("http://two/"))));
            return c.locations().insert(location(QStringLiteral("http://one/"))); // duplicate
        });
        EXPECT_EQ(inner.error, StoreError::DuplicateKey);
        EXPECT_EQ(c.locations().count(), 1); // the inner part alone was undone
        return c.locations().insert(
            location(QStringLiteral("http://bad/"), {}, QStringLiteral("Missing")));
    });
    EXPECT_EQ(s.catalogueNumber, 16);
    EXPECT_EQ(c.locations().count(), 0);
}

TEST(CollectionCrash, KilledWriterLosesNothingCommitted)
{
    TempCollection t;
    makeCollection(t.folder(), {}, 0);
    int pipeFd[2];
    ASSERT_EQ(pipe(pipeFd), 0);
    const pid_t pid = fork();
    if (pid == 0) {
        close(pipeFd[0]);
        Collection c(t.folder());
        if (!c.openAll(false))
            _exit(2);
        for (int batch = 0; batch < 5; ++batch) {
            const StoreStatus committed = c.transaction([&] {
                for (int i = 0; i < 200; ++i) {
                    LocationRecord r = location(
                        QStringLiteral("http://committed/%1/%2").arg(batch).arg(i));
                    DetailRecord d{r.Location, 0, QStringLiteral("L"), QStringLiteral("V")};
                    if (!c.locations().insert(r) || !c.details().insert(d))
                        _exit(4);
                }
                return StoreStatus{};
            });
            if (!committed)
                _exit(4);
        }
        if (!c.categories().insert({QStringLiteral("Committed"), 0, {}}))
            _exit(4);
        const char ready = 'r';
        if (write(pipeFd[1], &ready, 1) != 1)
            _exit(3);
        // A long transaction over both files that never ends.
        static_cast<void>(c.transaction([&] {
            for (int i = 0;; ++i) {
                if (!c.locations().insert(location(QStringLiteral("http://pending/%1").arg(i))))
                    _exit(4);
                if (i % 1000 == 0
                    && !c.categories().insert({QStringLiteral("Pending %1").arg(i), 0, {}}))
                    _exit(4);
            }
            return StoreStatus{};
        }));
        _exit(0);
    }
    close(pipeFd[1]);
    char ready = 0;
    ASSERT_EQ(read(pipeFd[0], &ready, 1), 1);
    close(pipeFd[0]);
    usleep(400 * 1000); // well inside the endless transaction, with cache spills to disk
    kill(pid, SIGKILL);
    int status = 0;
    waitpid(pid, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status));

    Collection c(t.folder());
    const StoreStatus s = c.openAll(false);
    ASSERT_TRUE(s) << s;
    EXPECT_EQ(c.locations().count(), 1000);
    EXPECT_TRUE(c.categories().exists(QStringLiteral("Committed")));
    EXPECT_FALSE(c.categories().exists(QStringLiteral("Pending 0")));
    std::vector<DetailRecord> details;
    ASSERT_TRUE(c.details().list(QStringLiteral("http://committed/4/199"), details));
    EXPECT_EQ(details.size(), 1u);
    for (CollectionFile f :
         {CollectionFile::Data, CollectionFile::Categories, CollectionFile::CatHtml})
        EXPECT_TRUE(c.checkFile(f)) << Collection::fileName(f).toStdString();
    EXPECT_TRUE(c.locations().insert(location(QStringLiteral("http://after-crash/"))));
}

TEST(Collation, OrdersWithoutRegardToCaseConsistently)
{
    auto cmp = [](const char *a, const char *b) {
        return Collation::compare(QByteArrayView(a), QByteArrayView(b));
    };
    EXPECT_EQ(cmp("abc", "ABC"), 0);
    EXPECT_LT(cmp("abc", "abd"), 0);
    EXPECT_LT(cmp("ab", "ABC"), 0);
    EXPECT_GT(cmp("Zebra", "_under"), 0); // letters fold to lower case, after "_"
    EXPECT_EQ(cmp("ÄPFEL", "äpfel"), 0);
    EXPECT_LT(cmp("apfel", "äpfel"), 0);
    EXPECT_EQ(cmp("straße x", "STRASSE X") != 0, true);
    // The ASCII path and the Unicode path agree on mixed strings.
    EXPECT_EQ(cmp("abc é", "ABC É"), 0);
    EXPECT_LT(cmp("abc", "abcé"), 0);
    EXPECT_GT(cmp("abcé", "ABC"), 0);
    // Texts that part inside a multi-byte character are compared from that character on.
    EXPECT_EQ(cmp("http://aÉ", "http://aé"), 0);
    EXPECT_GT(cmp("http://aé", "http://aè"), 0);
    EXPECT_LT(cmp("http://a", "http://aé"), 0);
}

} // namespace
} // namespace pk::test
