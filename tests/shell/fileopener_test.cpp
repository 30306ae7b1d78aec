#include "shellfixture.h"

#include "shell/fileopener.h"
#include "framework/errorcatalogue.h"
#include "framework/errormanager.h"
#include "framework/terminationrequest.h"
#include "store/collection.h"
#include "store/schemamanager.h"

#include <SQLiteCpp/Database.h>

#include <QFile>
#include <QFileInfo>

#include <unistd.h>

using namespace pk;

namespace {

class FileOpenerTest : public test::ShellFixture
{
protected:
    FileOpener opener()
    {
        return FileOpener(ui, [this](const QString &end) { halts << end; });
    }

    static QByteArray bytesOf(const QString &path)
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
};

} // namespace

TEST_F(FileOpenerTest, MissingFilesAreCreated)
{
    Collection collection(temp.folder());
    EXPECT_EQ(opener().openAll(collection), FileOpener::Result::Opened);
    for (const char *name : {"URLDATA.TPS", "URL_C.TPS", "URL_H.TPS"})
        EXPECT_TRUE(QFileInfo::exists(temp.path(QLatin1String(name)))) << name;
    EXPECT_TRUE(ui.interactions().isEmpty()) << ui.messages().join(QLatin1Char('\n')).toStdString();
    EXPECT_TRUE(halts.isEmpty());
}

TEST_F(FileOpenerTest, MissingFileIsLeftToACallerThatHandlesIt)
{
    Collection collection(temp.folder());
    EXPECT_EQ(opener().open(collection, CollectionFile::CatHtml, false, true),
              FileOpener::Result::Missing);
    EXPECT_FALSE(QFileInfo::exists(temp.path(QStringLiteral("URL_H.TPS"))));
    EXPECT_TRUE(ui.interactions().isEmpty());

    // Not handled by the caller and not to be created: the creation error ends the program.
    EXPECT_EQ(opener().open(collection, CollectionFile::CatHtml, false, false),
              FileOpener::Result::Halted);
    EXPECT_EQ(ui.last()->title, QStringLiteral("File Creation Error"));
    EXPECT_EQ(halts, QStringList{QStringLiteral("File Creation Error!")});
}

TEST_F(FileOpenerTest, ForeignFileIsInvalidAndNeverTouched)
{
    const QByteArray garbage("This is not a collection file at all.\n\x01\x02\x03", 42);
    writeFile(temp.path(QStringLiteral("URLDATA.TPS")), garbage);
    Collection collection(temp.folder());
    EXPECT_EQ(opener().open(collection, CollectionFile::Data, true), FileOpener::Result::Halted);
    ASSERT_EQ(ui.interactions().size(), 1);
    EXPECT_EQ(ui.last()->title, QStringLiteral("Invalid File"));
    EXPECT_TRUE(ui.last()->text.startsWith(QStringLiteral("Error: (")));
    EXPECT_TRUE(ui.last()->text.endsWith(
        QStringLiteral(") accessing URLDATA.TPS.  Press OK to end this application.")));
    EXPECT_EQ(halts, QStringList{QStringLiteral("Invalid File!")});
    EXPECT_EQ(bytesOf(temp.path(QStringLiteral("URLDATA.TPS"))), garbage);
}

TEST_F(FileOpenerTest, StartUpHaltsOnForeignFileWithoutReadingSettings)
{
    writeFile(temp.path(QStringLiteral("URL_C.TPS")), QByteArray(4096, 'x'));
    EXPECT_FALSE(shell->prepare());
    EXPECT_EQ(halts, QStringList{QStringLiteral("Invalid File!")});
    EXPECT_EQ(bytesOf(temp.path(QStringLiteral("URL_C.TPS"))), QByteArray(4096, 'x'));
}

TEST_F(FileOpenerTest, UncreatableFileGivesCreationErrorNotACrash)
{
    // A folder below a plain file can never be created, whoever runs the test.
    writeFile(temp.path(QStringLiteral("plainfile")), "x");
    Collection collection(temp.path(QStringLiteral("plainfile/sub")));
    EXPECT_EQ(opener().open(collection, CollectionFile::Data, true), FileOpener::Result::Halted);
    EXPECT_EQ(ui.last()->title, QStringLiteral("File Creation Error"));
    EXPECT_TRUE(ui.last()->text.contains(
        QStringLiteral(") creating URLDATA.TPS.  Press OK to end this application.")))
        << ui.last()->text.toStdString();
    EXPECT_EQ(halts, QStringList{QStringLiteral("File Creation Error!")});
}

TEST_F(FileOpenerTest, ReadOnlyFolderGivesCreationError)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "file permissions do not bind root";
    const QString folder = temp.path(QStringLiteral("locked"));
    ASSERT_TRUE(QDir().mkpath(folder));
    QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    Collection collection(folder);
    EXPECT_EQ(opener().open(collection, CollectionFile::Data, true), FileOpener::Result::Halted);
    EXPECT_EQ(ui.last()->title, QStringLiteral("File Creation Error"));
    EXPECT_EQ(halts, QStringList{QStringLiteral("File Creation Error!")});
    QFile::setPermissions(folder,
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

namespace {

/// Makes the keys of `path` look built by another collation version, so they must be rebuilt.
void spoilKeys(const QString &path)
{
    SQLite::Database db(path.toStdString(), SQLite::OPEN_READWRITE);
    db.exec(std::string("UPDATE ") + SchemaManager::MetaTable
            + " SET Value = '0' WHERE Name = 'Collation'");
}

} // namespace

TEST_F(FileOpenerTest, InvalidKeysAreRebuiltWhenTheUserAgrees)
{
    {
        Collection created(temp.folder());
        ASSERT_EQ(opener().openAll(created), FileOpener::Result::Opened);
    }
    spoilKeys(temp.path(QStringLiteral("URL_C.TPS")));

    // No: the program ends.
    Collection refused(temp.folder());
    ui.push(false);
    EXPECT_EQ(opener().open(refused, CollectionFile::Categories, true), FileOpener::Result::Halted);
    EXPECT_EQ(ui.last()->title, QStringLiteral("Invalid Key"));
    EXPECT_EQ(ui.last()->text,
              QStringLiteral("URL_C.TPS key file is invalid.  Do you want to rebuild the key?"));
    EXPECT_EQ(halts, QStringList{QStringLiteral("Invalid Key!")});

    // Yes: the keys are rebuilt and the file opens; the next open needs no question.
    halts.clear();
    ui.clear();
    Collection repaired(temp.folder());
    ui.push(true);
    EXPECT_EQ(opener().open(repaired, CollectionFile::Categories, true), FileOpener::Result::Opened);
    EXPECT_TRUE(halts.isEmpty());
    EXPECT_EQ(ui.interactions().size(), 1);
    repaired.close();
    ui.clear();
    Collection again(temp.folder());
    EXPECT_EQ(opener().open(again, CollectionFile::Categories, true), FileOpener::Result::Opened);
    EXPECT_TRUE(ui.interactions().isEmpty());
}

TEST(FatalErrorTest, AFatalErrorAsksTheProgramToEndAndReturnsToItsCaller)
{
    // The program's own halt, not a test's: it must not end the process from inside the
    // caller, only ask for the normal close.
    test::TempCollection temp;
    ASSERT_TRUE(temp.isValid());
    const QString oldDir = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(temp.folder()));
    ScriptedUserInterface ui;
    {
        Shell shell(ui);
        ErrorContext context;
        context.file = QStringLiteral("URLDATA.TPS");
        context.errorText = QStringLiteral("Access denied");
        EXPECT_EQ(shell.errors().raise(Msg::FileAccessError, context), 3);
        EXPECT_TRUE(shell.halted());
        EXPECT_TRUE(TerminationRequest::isRequested());
        ASSERT_FALSE(ui.interactions().isEmpty());
        EXPECT_TRUE(ui.last()->text.contains(QStringLiteral("Press OK to end this application")));
    }
    TerminationRequest::resetForTest();
    QDir::setCurrent(oldDir);
}
