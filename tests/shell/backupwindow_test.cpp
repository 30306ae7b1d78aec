#include "framework/scripteduserinterface.h"
#include "shell/backupjob.h"
#include "shell/widgets/backupwindow.h"
#include "store/categorymanager.h"
#include "store/collection.h"
#include "store/locationmanager.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

using namespace pk;

namespace {

void fillCollection(const QString &folder, int from, int to)
{
    QDir().mkpath(folder);
    Collection c(folder);
    QVERIFY(c.openAll(true));
    if (!c.categories().exists(QStringLiteral("General"))) {
        QVERIFY(c.categories().insert({QStringLiteral("General"), 0, {}}));
    }
    for (int i = from; i < to; ++i) {
        LocationRecord r;
        r.Location = QStringLiteral("http://site%1.example/").arg(i);
        r.Category = QStringLiteral("General");
        QVERIFY(c.locations().insert(r));
    }
}

qint64 locationsOf(const QString &folder)
{
    Collection c(folder);
    return c.openAll(false) ? c.locations().count() : -1;
}

} // namespace

/// The backup utility's window over real backups, its questions answered from a script.
class BackupWindowTest final : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void anUnusableNewestBackupIsMarkedAndNotChosen();
    void theRestoreQuestionDefaultsToNoAndThenRestores();
    void anUnusableBackupChosenByHandIsNotRestored();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_collection;
    QString m_parent;
    QString m_older;
    QString m_newer;
};

void BackupWindowTest::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    m_collection = m_dir->filePath(QStringLiteral("collection"));
    m_parent = m_dir->filePath(QStringLiteral("backups"));
    fillCollection(m_collection, 0, 4);
    QString error;
    m_older = BackupJob::datedFolder(m_parent, QDateTime(QDate(2026, 1, 1), QTime(8, 0)));
    QVERIFY2(BackupJob::backup(m_collection, m_older, error), qPrintable(error));
    fillCollection(m_collection, 4, 6);
    // The newest backup is broken: its location file was cut off.
    m_newer = BackupJob::datedFolder(m_parent, QDateTime(QDate(2026, 2, 1), QTime(8, 0)));
    QVERIFY2(BackupJob::backup(m_collection, m_newer, error), qPrintable(error));
    QFile data(m_newer + QStringLiteral("/URLDATA.TPS"));
    QVERIFY(data.resize(data.size() / 2));
    fillCollection(m_collection, 6, 9);
}

void BackupWindowTest::anUnusableNewestBackupIsMarkedAndNotChosen()
{
    ScriptedUserInterface ui;
    BackupWindow window(ui, m_collection, m_parent);
    QTreeWidget *list = window.backupList();
    QCOMPARE(list->topLevelItemCount(), 2);
    QTreeWidgetItem *broken = list->topLevelItem(0);
    QCOMPARE(broken->text(BackupWindow::FolderColumn), m_newer);
    QVERIFY2(broken->text(BackupWindow::StateColumn)
                 .startsWith(u"Cannot be restored: URLDATA.TPS is cut short"),
             qPrintable(broken->text(BackupWindow::StateColumn)));
    QCOMPARE(broken->text(BackupWindow::LocationsColumn), QStringLiteral("?"));
    QVERIFY(broken->foreground(0).color() != list->topLevelItem(1)->foreground(0).color());
    QCOMPARE(list->currentItem(), list->topLevelItem(1));
    QCOMPARE(list->topLevelItem(1)->text(BackupWindow::StateColumn), QStringLiteral("Usable"));

    // Only broken backups: none is chosen.
    QVERIFY(QDir(m_older).removeRecursively());
    window.refresh();
    QCOMPARE(list->topLevelItemCount(), 1);
    QVERIFY(list->currentItem() == nullptr);
}

void BackupWindowTest::theRestoreQuestionDefaultsToNoAndThenRestores()
{
    ScriptedUserInterface ui;
    BackupWindow window(ui, m_collection, m_parent);
    // Nothing queued: the question takes its default, which must keep the collection.
    window.restoreChosen();
    QCOMPARE(ui.interactions().size(), 1);
    QCOMPARE(ui.last()->kind, ScriptedUserInterface::Kind::YesNo);
    QVERIFY(ui.last()->text.startsWith(u"Replace the collection in " + m_collection));
    QVERIFY(ui.last()->text.endsWith(u"Changes made since then are lost."));
    QCOMPARE(ui.last()->answer.toBool(), false);
    QCOMPARE(locationsOf(m_collection), qint64(9));

    ui.push(true);
    window.restoreChosen();
    QCOMPARE(locationsOf(m_collection), qint64(4));
    QCOMPARE(ui.last()->kind, ScriptedUserInterface::Kind::Message);
    QVERIFY2(ui.last()->text.contains(u"The files it replaced are kept in " + m_collection
                                      + u"/Replaced "),
             qPrintable(ui.last()->text));
}

void BackupWindowTest::anUnusableBackupChosenByHandIsNotRestored()
{
    ScriptedUserInterface ui;
    BackupWindow window(ui, m_collection, m_parent);
    window.backupList()->setCurrentItem(window.backupList()->topLevelItem(0));
    ui.push(true);
    window.restoreChosen();
    QCOMPARE(ui.interactions().size(), 1);
    QCOMPARE(ui.last()->kind, ScriptedUserInterface::Kind::Message);
    QVERIFY2(ui.last()->text.contains(u"cannot be restored: URLDATA.TPS is cut short"),
             qPrintable(ui.last()->text));
    QCOMPARE(locationsOf(m_collection), qint64(9));
}

QTEST_MAIN(BackupWindowTest)
#include "backupwindow_test.moc"
