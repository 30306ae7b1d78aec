// The background damage check of a collection's files after they are opened.

#include "framework/scripteduserinterface.h"
#include "platform/inifile.h"
#include "shell/collectionfilecheck.h"
#include "store/categorymanager.h"
#include "store/collection.h"
#include "store/filedamagecheck.h"
#include "store/locationmanager.h"
#include "support/tempcollection.h"

#include <QCoreApplication>
#include <QFile>
#include <QSignalSpy>

#include <gtest/gtest.h>

#include <memory>

using namespace Qt::StringLiterals;

namespace pk::test {
namespace {

class CollectionFileCheckTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        static int argc = 1;
        static char name[] = "collectionfilecheck_test";
        static char *argv[] = {name, nullptr};
        if (!QCoreApplication::instance())
            m_app = std::make_unique<QCoreApplication>(argc, argv);
        ASSERT_TRUE(m_temp.isValid());
        Collection c(m_temp.folder());
        ASSERT_TRUE(c.openAll(true).ok());
        ASSERT_TRUE(c.categories().insert({u"General"_s, 0, {}}).ok());
        // Enough rows for a file of some megabytes, so that its middle is far from the root.
        ASSERT_TRUE(c.transaction([&]() -> StoreStatus {
                         for (int i = 0; i < 2000; ++i) {
                             LocationRecord r;
                             r.Location = u"http://site%1.test/"_s.arg(i, 4, 10, QLatin1Char('0'));
                             r.Description = r.Location;
                             r.Category = u"General"_s;
                             r.SiteInfo = QString(1800, QLatin1Char('s'));
                             if (StoreStatus s = c.locations().insert(r); !s)
                                 return s;
                         }
                         return {};
                     }).ok());
        c.close();
        m_ini = std::make_unique<IniFile>(m_temp.root() + u"/PATHKEEP.INI"_s);
        ASSERT_TRUE(m_ini->load());
    }

    QString data() const { return m_temp.path(u"URLDATA.TPS"_s); }
    QStringList files() const
    {
        return {data(), m_temp.path(u"URL_C.TPS"_s), m_temp.path(u"URL_H.TPS"_s)};
    }

    /// Overwrites four pages in the middle of the file, keeping its size and modification time.
    void scribble(const QString &path)
    {
        QFile file(path);
        const QDateTime modified = QFileInfo(path).lastModified();
        ASSERT_TRUE(file.open(QIODevice::ReadWrite));
        const qint64 page = 4096;
        const qint64 middle = file.size() / page / 2;
        for (qint64 p = middle; p < middle + 4; ++p) {
            ASSERT_TRUE(file.seek(p * page));
            file.write(QByteArray(page, '\xA5'));
        }
        ASSERT_TRUE(file.flush());
        ASSERT_TRUE(file.setFileTime(modified, QFileDevice::FileModificationTime));
    }

    /// Runs one check to its end; false when nothing was started (every file skipped).
    bool runCheck(CollectionFileCheck &check)
    {
        QSignalSpy done(&check, &CollectionFileCheck::finished);
        check.start(files());
        if (!check.isRunning() && done.isEmpty())
            return done.wait(200);
        return done.wait(60000);
    }

    int damageReports() const
    {
        int n = 0;
        for (const auto &i : m_ui.interactions()) {
            if (i.title == QLatin1String(CollectionFileCheck::Title))
                ++n;
        }
        return n;
    }

    std::unique_ptr<QCoreApplication> m_app;
    TempCollection m_temp;
    ScriptedUserInterface m_ui;
    std::unique_ptr<IniFile> m_ini;
};

TEST_F(CollectionFileCheckTest, DamageIsToldOnceWithTheWayToRepairAndCheckedAgainNextTime)
{
    scribble(data());
    CollectionFileCheck check(m_ui, *m_ini);
    ASSERT_TRUE(runCheck(check));
    ASSERT_EQ(damageReports(), 1);
    const QString text = m_ui.last()->text;
    EXPECT_TRUE(text.startsWith(u"URLDATA.TPS ("_s)) << text.toStdString();
    EXPECT_TRUE(text.contains(u"File, Support Tools, Repair Databases"_s));
    // The two intact files are not named; they are recorded as clean, the damaged one is not.
    EXPECT_FALSE(text.contains(u"URL_C.TPS"_s));
    EXPECT_EQ(CollectionFileCheck::recorded(*m_ini, data()).size, -1);
    EXPECT_EQ(CollectionFileCheck::recorded(*m_ini, files()[1]),
              CollectionFileCheck::stampOf(files()[1]));

    // The next start looks at the damaged file again, and only at that one.
    IniFile reread(m_ini->path());
    ASSERT_TRUE(reread.load());
    EXPECT_EQ(CollectionFileCheck::recorded(reread, files()[2]),
              CollectionFileCheck::stampOf(files()[2]));
    ASSERT_TRUE(runCheck(check));
    EXPECT_EQ(damageReports(), 2);
}

TEST_F(CollectionFileCheckTest, ACleanFileIsNotReportedAndNotReadAgainUntilItChanges)
{
    CollectionFileCheck check(m_ui, *m_ini);
    // Another program writes the INI file meanwhile: its value stays beside the stamps.
    ASSERT_TRUE(IniFile::write(m_ini->path(), u"Other"_s, u"Key"_s, u"kept"_s));
    ASSERT_TRUE(runCheck(check));
    EXPECT_EQ(damageReports(), 0);
    IniFile onDisk(m_ini->path());
    ASSERT_TRUE(onDisk.load());
    EXPECT_EQ(onDisk.value(u"Other"_s, u"Key"_s), u"kept"_s);
    for (const QString &f : files()) {
        EXPECT_EQ(CollectionFileCheck::recorded(*m_ini, f), CollectionFileCheck::stampOf(f));
        EXPECT_EQ(CollectionFileCheck::recorded(onDisk, f), CollectionFileCheck::stampOf(f));
    }

    // Same size and time: skipped, even though the pages are damaged now.
    scribble(data());
    EXPECT_FALSE(runCheck(check));
    EXPECT_FALSE(check.isRunning());
    EXPECT_EQ(damageReports(), 0);

    // Another modification time: read again, and the damage is found.
    QFile file(data());
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    ASSERT_TRUE(file.setFileTime(QDateTime::currentDateTime().addSecs(60),
                                 QFileDevice::FileModificationTime));
    file.close();
    ASSERT_TRUE(runCheck(check));
    EXPECT_EQ(damageReports(), 1);

    // Switched off, nothing is read at all.
    m_ini->removeSection(QLatin1String(CollectionFileCheck::Section));
    CollectionFileCheck::setEnabled(*m_ini, false);
    EXPECT_FALSE(runCheck(check));
    EXPECT_EQ(damageReports(), 1);
}

TEST_F(CollectionFileCheckTest, QuittingDuringACheckStopsItWithoutAReport)
{
    // The check itself ends at the next look at the stop request.
    int looks = 0;
    const FileDamageCheck::Result stopped = FileDamageCheck::run(data(),
                                                                 [&] { return ++looks > 3; });
    EXPECT_EQ(stopped.outcome, FileDamageCheck::Outcome::Stopped) << stopped.detail.toStdString();
    EXPECT_EQ(FileDamageCheck::run(data()).outcome, FileDamageCheck::Outcome::Clean);

    scribble(data());
    {
        // The program ends while the check runs: the object goes, its thread with it.
        CollectionFileCheck check(m_ui, *m_ini);
        check.start(files());
        EXPECT_TRUE(check.isRunning());
    }
    QCoreApplication::processEvents();
    EXPECT_EQ(damageReports(), 0);
    EXPECT_TRUE(m_ini->keys(QLatin1String(CollectionFileCheck::Section)).isEmpty());

    // A check stopped for a collection switch does not report afterwards either.
    CollectionFileCheck check(m_ui, *m_ini);
    check.start(files());
    check.stop();
    EXPECT_FALSE(check.isRunning());
    QCoreApplication::processEvents();
    EXPECT_EQ(damageReports(), 0);
}

} // namespace
} // namespace pk::test
