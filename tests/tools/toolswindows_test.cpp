#include "tools/widgets/repairwindow.h"
#include "tools/widgets/searchreplacewindow.h"

#include "framework/errormanager.h"
#include "framework/scripteduserinterface.h"
#include "store/categorymanager.h"
#include "store/collection.h"
#include "store/fields.h"
#include "store/locationmanager.h"
#include "store/view.h"
#include "support/tempcollection.h"
#include "tools/globalreplace.h"

#include <QLineEdit>
#include <QListWidget>
#include <QTest>
#include <QTreeWidget>

using namespace pk;
using namespace Qt::StringLiterals;

class ToolsWindowsTest : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<test::TempCollection> m_temp;
    std::unique_ptr<Collection> m_collection;
    ScriptedUserInterface m_ui;

    SearchReplaceEnvironment environment(ErrorManager &errors)
    {
        SearchReplaceEnvironment env;
        env.collection = [this] { return m_collection.get(); };
        env.ui = &m_ui;
        env.errors = &errors;
        return env;
    }

    void addLocation(const QString &address, const QString &description)
    {
        LocationRecord r;
        r.Location = address;
        r.Description = description;
        r.Category = u"General"_s;
        QVERIFY(m_collection->locations().insert(r));
    }

private slots:
    void init()
    {
        m_temp = std::make_unique<test::TempCollection>();
        m_collection = std::make_unique<Collection>(m_temp->folder());
        QVERIFY(m_collection->openAll(true));
        QVERIFY(m_collection->categories().insert({u"General"_s, 0, {}}));
        m_ui.clear();
    }

    void cleanup()
    {
        m_collection.reset();
        m_temp.reset();
    }

    void entryLengthFollowsTheChosenField()
    {
        ErrorManager errors(m_ui);
        SearchReplaceWindow window(environment(errors));
        auto *fields = window.findChild<QListWidget *>(u"fields"_s);
        auto *search = window.findChild<QLineEdit *>(u"search"_s);
        QVERIFY(fields && search);
        QCOMPARE(search->maxLength(), 255);
        fields->setCurrentRow(2); // Category
        QCOMPARE(fields->currentItem()->text(), u"Category"_s);
        QCOMPARE(search->maxLength(), 30);
        QCOMPARE(window.findChild<QLineEdit *>(u"replacement"_s)->maxLength(), 30);
    }

    void okReplacesAndTheWindowStaysForTheNextRun()
    {
        addLocation(u"http://a.example/"_s, u"Old shop"_s);
        addLocation(u"http://b.example/"_s, u"old SHOP"_s);
        ErrorManager errors(m_ui);
        SearchReplaceWindow window(environment(errors));
        window.findChild<QListWidget *>(u"fields"_s)->setCurrentRow(1); // Description
        window.findChild<QLineEdit *>(u"search"_s)->setText(u"shop"_s);
        window.findChild<QLineEdit *>(u"replacement"_s)->setText(u"store"_s);
        m_ui.push(false); // no query
        window.accept();
        QCOMPARE(m_ui.titles(),
                 QStringList({QLatin1String(GlobalReplace::QueryCaption),
                              QLatin1String(GlobalReplace::CompleteTitle)}));
        QVERIFY(m_ui.messages().last().startsWith(u"Process complete.\n\nSelect another"_s));
        LocationRecord r;
        QVERIFY(m_collection->locations().get(u"http://b.example/"_s, r));
        QCOMPARE(r.Description, u"old store"_s);

        // A duplicate address: message 28, and the window still answers.
        m_ui.clear();
        window.findChild<QListWidget *>(u"fields"_s)->setCurrentRow(0);
        window.findChild<QLineEdit *>(u"search"_s)->setText(u"b.example"_s);
        window.findChild<QLineEdit *>(u"replacement"_s)->setText(u"a.example"_s);
        m_ui.push(false);
        window.accept();
        QVERIFY(m_ui.titles().contains(u"Record was not updated"_s));
        QCOMPARE(m_ui.titles().last(), QLatin1String(GlobalReplace::CompleteTitle));
        QVERIFY(m_collection->locations().exists(u"http://b.example/"_s));
    }

    void repairWindowWarnsAndRefusesATableInUse()
    {
        RepairWindow window(*m_collection, m_ui);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        window.start();
        QCOMPARE(m_ui.titles(), QStringList{QLatin1String(RepairFiles::WarningTitle)});
        QCOMPARE(window.repair().rows().size(), std::size_t(6));
        m_ui.clear();
        View list(*m_collection, Keys::urlLocation());
        const auto &rows = window.repair().rows();
        const auto locations = std::find_if(rows.begin(), rows.end(), [](const RepairRow &r) {
            return r.file == u"PATHKEEP"_s;
        });
        QVERIFY(locations != rows.end());
        auto *tree = window.findChild<QTreeWidget *>();
        QVERIFY(tree);
        QTest::mouseClick(tree->viewport(),
                          Qt::LeftButton,
                          {},
                          tree->visualItemRect(tree->topLevelItem(int(locations - rows.begin())))
                              .center());
        QVERIFY(locations->tagged);
        window.runOperation(RepairOperation::Build);
        // The refusal, then what the run did: the table counted as failed.
        QCOMPARE(m_ui.titles(),
                 QStringList(
                     {QLatin1String(RepairFiles::AccessTitle), QLatin1String(RepairFiles::Title)}));
        QVERIFY(m_ui.messages().last().contains(u"1 table(s) failed"_s));
    }
};

QTEST_MAIN(ToolsWindowsTest)
#include "toolswindows_test.moc"
