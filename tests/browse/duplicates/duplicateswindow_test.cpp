#include "browse/duplicates/widgets/duplicateswindow.h"
#include "framework/scripteduserinterface.h"
#include "store/categorymanager.h"
#include "store/collection.h"
#include "store/keywordmanager.h"
#include "store/locationmanager.h"
#include "support/screenshot.h"
#include "support/tempcollection.h"

#include <QPushButton>
#include <QTest>
#include <QTreeWidget>

#include <memory>

using namespace pk;
using namespace Qt::StringLiterals;

class DuplicatesWindowTest : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<test::TempCollection> m_temp;
    std::unique_ptr<Collection> m_collection;
    std::unique_ptr<ScriptedUserInterface> m_ui;

    void add(const QString &address, const QString &keyword)
    {
        LocationRecord r;
        r.Location = address;
        r.Category = u"C"_s;
        r.Keyword = keyword;
        QVERIFY(m_collection->locations().insert(r));
    }

private slots:
    void init()
    {
        m_temp = std::make_unique<test::TempCollection>();
        m_collection = std::make_unique<Collection>(m_temp->folder());
        QVERIFY(m_collection->openAll(true));
        QVERIFY(m_collection->categories().insert({u"C"_s, 0, {}}));
        m_ui = std::make_unique<ScriptedUserInterface>();
        add(u"http://a.test/"_s, u"one"_s);
        add(u"https://www.a.test"_s, u"two"_s);
        add(u"http://b.test/"_s, u"three"_s);
        add(u"http://b.test/#x"_s, u"four"_s);
        add(u"http://single.test/"_s, {});
    }

    void listsGroupsAndMergesOnlyWhenConfirmed()
    {
        DuplicatesWindow window(*m_collection, *m_ui);
        window.show();
        QVERIFY(!window.mergeButton()->isEnabled());
        window.findButton()->click();
        QTreeWidget *tree = window.groups();
        QCOMPARE(tree->topLevelItemCount(), 2);
        QCOMPARE(tree->topLevelItem(0)->childCount(), 2);
        QVERIFY(window.mergeButton()->isEnabled());
        test::screenshot(window, u"findduplicates"_s);

        // Keep the second location of the first group; the user says no first.
        tree->setCurrentItem(tree->topLevelItem(0)->child(1));
        const QString keep = tree->currentItem()->text(0);
        const QString other = tree->topLevelItem(0)->child(0)->text(0);
        m_ui->push(false);
        window.mergeButton()->click();
        QVERIFY(m_collection->locations().exists(other));
        QCOMPARE(tree->topLevelItemCount(), 2);

        m_ui->push(true);
        window.mergeButton()->click();
        QVERIFY(!m_collection->locations().exists(other));
        QVERIFY(m_collection->locations().exists(keep));
        std::vector<KeywordRecord> words;
        QVERIFY(m_collection->keywords().list(keep, words));
        QCOMPARE(words.size(), std::size_t(1));
        QCOMPARE(tree->topLevelItemCount(), 1);

        // Delete: the group item chosen keeps its first location.
        tree->setCurrentItem(tree->topLevelItem(0));
        m_ui->push(true);
        window.deleteButton()->click();
        QCOMPARE(m_collection->locations().count(), qint64(3));
        QCOMPARE(tree->topLevelItemCount(), 0);
        QVERIFY(m_ui->titles().contains(QLatin1String(DuplicatesWindow::Title)));
    }
};

QTEST_MAIN(DuplicatesWindowTest)
#include "duplicateswindow_test.moc"
