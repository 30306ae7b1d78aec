#include "tools/repairfiles.h"

#include "framework/scripteduserinterface.h"
#include "store/fields.h"
#include "store/locationmanager.h"
#include "store/storefixture.h"
#include "store/view.h"

#include <SQLiteCpp/Database.h>
#include <SQLiteCpp/Statement.h>

#include <QFile>
#include <QFileInfo>

using namespace pk;
using namespace Qt::StringLiterals;

namespace {

class RepairFilesTest : public test::StoreTest
{
protected:
    /// Opens the collection again as the program would, whatever state its files are in.
    void reopenData()
    {
        m_collection = std::make_unique<Collection>(m_temp.folder());
        static_cast<void>(m_collection->openAll(false));
    }

    const RepairRow &row(const RepairFiles &repair, const QString &name)
    {
        for (const RepairRow &r : repair.rows())
            if (r.file == name)
                return r;
        throw std::runtime_error("no such row");
    }

    int indexOf(const RepairFiles &repair, const QString &name)
    {
        for (std::size_t i = 0; i < repair.rows().size(); ++i)
            if (repair.rows()[i].file == name)
                return int(i);
        return -1;
    }

    /// Enough locations to fill many pages; returns them by address.
    std::map<QString, LocationRecord> fill(int n)
    {
        std::map<QString, LocationRecord> all;
        EXPECT_TRUE(c().transaction([&]() -> StoreStatus {
            for (int i = 0; i < n; ++i) {
                LocationRecord r = test::location(u"http://site%1.example/page"_s.arg(i),
                                                  u"Description of site %1 "_s.arg(i)
                                                      + QString(100, QLatin1Char('d')));
                r.Comments = QString(150, QLatin1Char('c'));
                if (StoreStatus s = c().locations().insert(r); !s)
                    return s;
                all[r.Location] = LocationManager::prepared(r);
            }
            return {};
        }));
        return all;
    }

    /// Every location the reopened collection holds must be one that was stored, unchanged.
    qint64 checkRecovered(const std::map<QString, LocationRecord> &all)
    {
        reopen();
        EXPECT_TRUE(c().checkFile(CollectionFile::Data)) << c().checkFile(CollectionFile::Data);
        View view(c(), Keys::urlLocation());
        ViewPage page;
        EXPECT_TRUE(view.firstPage(1000000, page));
        for (const ViewRow &r : page.rows) {
            const auto it = all.find(r.location().Location);

            EXPECT_TRUE(it != all.end());
            if (it != all.end()) {
                EXPECT_TRUE(it->second == r.location());
            }
        }
        return qint64(page.rows.size());
    }
};

} // namespace

TEST_F(RepairFilesTest, OpeningShowsAMissingFileWithoutCreatingIt)
{
    c().close();
    ASSERT_TRUE(QFile::remove(c().filePath(CollectionFile::CatHtml)));
    reopenData();
    ScriptedUserInterface ui;
    RepairFiles repair(c(), ui);
    repair.start();
    EXPECT_EQ(ui.titles(), QStringList{QLatin1String(RepairFiles::WarningTitle)});
    ASSERT_EQ(repair.rows().size(), 6u);
    EXPECT_EQ(repair.rows().front().file, u"Categories"_s);
    EXPECT_EQ(row(repair, u"CatHTML"_s).records, QLatin1String(RepairFiles::ErrorMark));
    EXPECT_TRUE(row(repair, u"CatHTML"_s).diskName.contains(u"not found"_s));
    EXPECT_FALSE(QFileInfo::exists(c().filePath(CollectionFile::CatHtml)));
    EXPECT_EQ(row(repair, u"Categories"_s).records, u"1"_s)
        << row(repair, u"Categories"_s).diskName.toStdString();
    for (const RepairRow &r : repair.rows())
        EXPECT_FALSE(r.tagged);

    repair.toggle(indexOf(repair, u"CatHTML"_s));
    repair.run(RepairOperation::Create);
    EXPECT_EQ(row(repair, u"CatHTML"_s).records, u"0"_s);
    EXPECT_TRUE(c().isOpen(CollectionFile::CatHtml));
}

TEST_F(RepairFilesTest, BuildNeedsTheTableToItself)
{
    ScriptedUserInterface ui;
    RepairFiles repair(c(), ui);
    repair.fill();
    repair.toggle(indexOf(repair, u"PATHKEEP"_s));
    {
        View list(c(), Keys::urlLocation());
        repair.run(RepairOperation::Build);
        ASSERT_EQ(ui.titles(), QStringList{QLatin1String(RepairFiles::AccessTitle)});
        EXPECT_TRUE(ui.messages().front().startsWith(u"This option requires exclusive"_s));
        EXPECT_TRUE(row(repair, u"PATHKEEP"_s).records.isEmpty());
    }
    EXPECT_TRUE(repair.outcomeText(RepairOperation::Build).contains(u"1 table(s) failed"_s))
        << repair.outcomeText(RepairOperation::Build).toStdString();
    ui.clear();
    repair.run(RepairOperation::Build);
    EXPECT_TRUE(ui.titles().isEmpty());
    EXPECT_EQ(row(repair, u"PATHKEEP"_s).records, u"0"_s);
    EXPECT_EQ(repair.outcomeText(RepairOperation::Build),
              u"Keys rebuilt for 1 table(s) holding 0 record(s)."_s);
    repair.run(RepairOperation::Pack);
    repair.run(RepairOperation::Release);
    EXPECT_TRUE(row(repair, u"PATHKEEP"_s).diskName.contains(u"nothing to release"_s));
}

TEST_F(RepairFilesTest, FreshenKeepsEveryRecord)
{
    const auto all = fill(300);
    ScriptedUserInterface ui;
    RepairFiles repair(c(), ui);
    repair.fill();
    repair.toggle(indexOf(repair, u"PATHKEEP"_s));
    repair.run(RepairOperation::Freshen);
    EXPECT_EQ(row(repair, u"PATHKEEP"_s).records, u"300"_s)
        << row(repair, u"PATHKEEP"_s).diskName.toStdString();
    EXPECT_EQ(c().locations().count(), 300);
    EXPECT_EQ(checkRecovered(all), 300);

    RepairFiles again(c(), ui); // the check above opened the collection anew
    again.fill();
    again.tagAll();
    again.run(RepairOperation::Info);
    const QString said = again.outcomeText(RepairOperation::Info);
    EXPECT_TRUE(said.startsWith(QString::number(again.rows().size()) + u" table(s) checked: "_s))
        << said.toStdString();
    EXPECT_FALSE(said.contains(u"failed"_s)) << said.toStdString();
}

TEST_F(RepairFilesTest, RepairRecoversTheIntactRecordsOfAScribbledOverFile)
{
    const auto all = fill(3000);
    const QString path = c().filePath(CollectionFile::Data);
    c().close();
    int damagedPage = 0;
    int rowsOnIt = 0;
    {
        SQLite::Database db(path.toStdString(), SQLite::OPEN_READONLY);
        SQLite::Statement st(db,
                             "SELECT pageno, ncell FROM dbstat WHERE name = 'Locations' AND "
                             "pagetype = 'leaf' ORDER BY pageno LIMIT 1 OFFSET 20");
        ASSERT_TRUE(st.executeStep());
        damagedPage = st.getColumn(0).getInt();
        rowsOnIt = st.getColumn(1).getInt();
    }
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::ReadWrite));
        ASSERT_TRUE(f.seek(qint64(damagedPage - 1) * 4096));
        f.write(QByteArray(4096, '\xA5'));
    }
    reopenData();
    ScriptedUserInterface ui;
    ui.push(true); // continue with the multi-table file
    RepairFiles repair(c(), ui);
    repair.fill();
    repair.toggle(indexOf(repair, u"PATHKEEP"_s));
    repair.run(RepairOperation::Repair);
    EXPECT_TRUE(ui.titles().contains(QLatin1String(RepairFiles::WarningTitle)));
    EXPECT_TRUE(QFileInfo::exists(path + QLatin1String(RepairFiles::DamagedSuffix)));
    const qint64 kept = checkRecovered(all);
    // Only the rows of the overwritten page are gone.
    ASSERT_GT(rowsOnIt, 0);
    EXPECT_EQ(kept, 3000 - rowsOnIt);
}

TEST_F(RepairFilesTest, RepairRecoversWhatATruncatedFileStillHolds)
{
    const auto all = fill(2000);
    const QString path = c().filePath(CollectionFile::Data);
    c().close();
    qint64 keptPages = 0;
    qint64 rowsOnKeptPages = 0;
    {
        SQLite::Database db(path.toStdString(), SQLite::OPEN_READONLY);
        // The cut falls among the pages of Locations (other tables may lie after them).
        SQLite::Statement last(db, "SELECT max(pageno) FROM dbstat WHERE name = 'Locations'");
        ASSERT_TRUE(last.executeStep());
        keptPages = last.getColumn(0).getInt64() * 3 / 4;
        SQLite::Statement st(db,
                             "SELECT sum(ncell) FROM dbstat WHERE name = 'Locations' AND "
                             "pagetype = 'leaf' AND pageno <= ?");
        st.bind(1, static_cast<int64_t>(keptPages));
        ASSERT_TRUE(st.executeStep());
        rowsOnKeptPages = st.getColumn(0).getInt64();
    }
    ASSERT_TRUE(QFile::resize(path, keptPages * 4096));
    reopenData();
    ScriptedUserInterface ui;
    ui.push(true);
    RepairFiles repair(c(), ui);
    repair.fill();
    repair.toggle(indexOf(repair, u"URLKeywords"_s));
    repair.run(RepairOperation::Repair);
    const qint64 kept = checkRecovered(all);
    SCOPED_TRACE(row(repair, u"URLKeywords"_s).diskName.toStdString());
    EXPECT_EQ(kept, rowsOnKeptPages);
    EXPECT_LT(kept, 2000);
}
