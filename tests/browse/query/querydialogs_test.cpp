#include "browse/query/queryfieldtexts.h"
#include "browse/query/querytexts.h"
#include "browse/query/widgets/fieldsearchdialog.h"
#include "browse/query/widgets/querywizarddialog.h"
#include "framework/scripteduserinterface.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QStandardPaths>
#include <QTest>

using namespace pk;

class QueryDialogsTest : public QObject
{
    Q_OBJECT

private:
    template<typename T>
    static T *child(QWidget &parent, const char *name)
    {
        T *w = parent.findChild<T *>(QLatin1String(name));
        if (!w)
            qFatal("missing child %s", name);
        return w;
    }

    static void choose(QComboBox *box, const QString &text)
    {
        const int i = box->findText(text);
        QVERIFY2(i >= 0, qPrintable(text));
        box->setCurrentIndex(i);
    }

    QueryTexts m_texts;
    QueryFieldTable m_fields{QStringLiteral("URL")};
    ScriptedUserInterface m_ui;

private slots:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        m_texts.setDefaults();
        QCOMPARE(m_fields.load(QueryFieldTexts::exports()), 0);
    }

    void init() { m_ui.clear(); }

    void findDialogBuildsTheExpressionAsTheUserTypes()
    {
        FieldSearchMemory memory;
        FieldSearchDialog dialog(QStringLiteral(
                                     "Description|@S100|URL:Description|Rating|@N2b|URL:Rating|"),
                                 memory,
                                 m_ui);
        dialog.show();
        QCOMPARE(dialog.objectName(), QStringLiteral("vsFind"));
        auto *field = child<QComboBox>(dialog, "field");
        auto *value = child<QLineEdit>(dialog, "value");
        auto *expression = child<QLineEdit>(dialog, "expression");
        QCOMPARE(field->count(), 2);
        QCOMPARE(value->toolTip(), QStringLiteral("Search for this value (wildcards accepted)"));
        QVERIFY(child<QLabel>(dialog, "help")
                    ->text()
                    .endsWith(QStringLiteral("(Eg. *computer*, Computer, Co??uter)")));
        QVERIFY(expression->isReadOnly());

        QTest::keyClicks(value, QStringLiteral("O'Neil"));
        QCOMPARE(expression->text(), QStringLiteral("MATCH(URL:Description,'*O''Neil*',17)"));
        field->setCurrentIndex(1);
        QCOMPARE(expression->text(), QStringLiteral("MATCH(URL:Rating,'O''Neil',17)"));

        child<QPushButton>(dialog, "findNext")->click();
        QCOMPARE(dialog.result(), QDialog::Accepted);
        QCOMPARE(dialog.expression(), QStringLiteral("MATCH(URL:Rating,'O''Neil',17)"));
        QCOMPARE(memory.label, QStringLiteral("Rating"));
        QCOMPARE(memory.value, QStringLiteral("O'Neil"));
        QVERIFY(memory.findNext);
    }

    void findDialogReopensWithTheLastSearchAndCancelReturnsNothing()
    {
        FieldSearchMemory memory{QStringLiteral("Rating"), QStringLiteral("5"), false};
        FieldSearchDialog dialog(QStringLiteral(
                                     "Description|@S100|URL:Description|Rating|@N2b|URL:Rating|"),
                                 memory,
                                 m_ui);
        dialog.show();
        QCOMPARE(child<QComboBox>(dialog, "field")->currentText(), QStringLiteral("Rating"));
        QCOMPARE(child<QLineEdit>(dialog, "value")->text(), QStringLiteral("5"));
        QCOMPARE(child<QLineEdit>(dialog, "expression")->text(),
                 QStringLiteral("MATCH(URL:Rating,'5',17)"));
        child<QPushButton>(dialog, "cancel")->click();
        QCOMPARE(dialog.result(), QDialog::Rejected);
        QVERIFY(dialog.expression().isEmpty());
        QCOMPARE(memory.value, QStringLiteral("5"));
    }

    void findDialogWithoutAFieldAsksForOne()
    {
        FieldSearchMemory memory;
        FieldSearchDialog dialog(QString(), memory, m_ui);
        dialog.show();
        child<QPushButton>(dialog, "find")->click();
        QVERIFY(dialog.isVisible());
        QCOMPARE(m_ui.titles(), QStringList{QStringLiteral("Error")});
        QCOMPARE(m_ui.messages(), QStringList{QStringLiteral("Select a field first.")});
    }

    void wizardBuildsAQueryFromConditions()
    {
        QueryWizardDialog dialog(m_fields, m_texts, m_ui);
        QVERIFY(dialog.setQuery(QString()));
        dialog.show();
        auto *field = child<QComboBox>(dialog, "field");
        auto *op = child<QComboBox>(dialog, "operator");
        auto *value = child<QLineEdit>(dialog, "value");

        choose(field, QStringLiteral("Description of site"));
        QCOMPARE(op->count(), 10);
        choose(op, QStringLiteral("Contains"));
        value->setText(QStringLiteral("O'Neil"));
        child<QPushButton>(dialog, "next")->click();
        QCOMPARE(child<QListWidget>(dialog, "conditions")->count(), 1);

        child<QPushButton>(dialog, "or")->click();
        choose(field, QStringLiteral("Validated 0=Unknown, 1=Pass, 2=Fail"));
        QVERIFY(!value->isVisible());
        auto *choice = child<QComboBox>(dialog, "choice");
        QVERIFY(choice->isVisible());
        choose(choice, QStringLiteral("Failed"));
        child<QPushButton>(dialog, "next")->click();

        child<QPushButton>(dialog, "and")->click();
        choose(field, QStringLiteral("Category flag"));
        QCOMPARE(op->itemText(0), QStringLiteral("Is Checked"));
        QCOMPARE(op->itemText(1), QStringLiteral("Is NOT Checked"));
        choose(op, QStringLiteral("Is NOT Checked"));
        QVERIFY(!value->isVisible() && !choice->isVisible());
        child<QPushButton>(dialog, "finish")->click();

        QCOMPARE(dialog.result(), QDialog::Accepted);
        QCOMPARE(dialog.query(),
                 QStringLiteral("URL:Description CONTAINS 'O''Neil' OR "
                                "URL:Validated = 2 AND CAT:Flag IS NOT CHECKED"));
        QVERIFY(m_ui.interactions().isEmpty());
    }

    void wizardRefusesAnInvalidValueAndEditsConditions()
    {
        QueryWizardDialog dialog(m_fields, m_texts, m_ui);
        QVERIFY(dialog.setQuery(QStringLiteral("URL:Rating >= 5 AND URL:Category = 'News'")));
        dialog.show();
        auto *list = child<QListWidget>(dialog, "conditions");
        QCOMPARE(list->count(), 2);
        QCOMPARE(child<QLineEdit>(dialog, "expression")->text(),
                 QStringLiteral("URL:Rating >= 5 AND URL:Category = 'News'"));

        list->setCurrentRow(0);
        child<QPushButton>(dialog, "change")->click();
        auto *value = child<QLineEdit>(dialog, "value");
        QCOMPARE(value->text(), QStringLiteral("5"));
        value->setText(QStringLiteral("lots"));
        child<QPushButton>(dialog, "next")->click();
        QCOMPARE(m_ui.titles(), QStringList{QStringLiteral("Invalid Query")});
        QVERIFY(m_ui.messages().first().startsWith(
            QStringLiteral("The query you have designed is invalid.\n")));
        value->setText(QStringLiteral("7"));
        child<QPushButton>(dialog, "next")->click();
        list->setCurrentRow(1);
        child<QPushButton>(dialog, "remove")->click();
        child<QPushButton>(dialog, "finish")->click();
        QCOMPARE(dialog.query(), QStringLiteral("URL:Rating >= 7"));
    }

    void wizardRefusesAQueryOver1024Characters()
    {
        QueryWizardDialog dialog(m_fields, m_texts, m_ui);
        QString expression;
        for (int i = 0; i < 12; ++i)
            expression += (i ? QStringLiteral(" AND ") : QString())
                          + QStringLiteral("URL:Comments CONTAINS '") + QString(40, u'x') + u'\'';
        QVERIFY(expression.size() < 1024);
        QVERIFY(dialog.setQuery(expression));
        dialog.show();
        child<QPushButton>(dialog, "and")->click();
        choose(child<QComboBox>(dialog, "field"), QStringLiteral("Comments"));
        child<QLineEdit>(dialog, "value")->setText(QString(200, u'y'));
        child<QPushButton>(dialog, "finish")->click();
        QVERIFY(dialog.isVisible());
        QCOMPARE(m_ui.titles(), QStringList{QStringLiteral("Invalid Query")});
        QVERIFY(m_ui.messages().first().contains(QStringLiteral("1024")));
    }

    void wizardReportsQueriesItCannotLoad()
    {
        {
            QueryWizardDialog dialog(m_fields, m_texts, m_ui);
            QVERIFY(dialog.setQuery(QStringLiteral("URL:Rating = = 1")));
            QCOMPARE(m_ui.titles(), QStringList{QStringLiteral("ErrorLoadingQuery")});
        }
        m_ui.clear();
        {
            QueryWizardDialog dialog(m_fields, m_texts, m_ui);
            QVERIFY(dialog.setQuery(QStringLiteral("URL:Renamed = 1")));
            QCOMPARE(m_ui.titles(), QStringList{QStringLiteral("Query No Longer Valid")});
        }
        m_ui.clear();
        {
            QueryWizardDialog dialog(m_fields, m_texts, m_ui);
            m_ui.push(false);
            QVERIFY(!dialog.setQuery(QStringLiteral("NOT URL:Rating = 1")));
            QCOMPARE(m_ui.titles(), QStringList{QStringLiteral("Overwrite Query")});
            QCOMPARE(m_ui.last()->text,
                     QStringLiteral("Do you want to overwrite the query you are editing?"));
        }
    }

    void wizardCancelOffersToSaveChanges()
    {
        QueryWizardDialog dialog(m_fields, m_texts, m_ui);
        QVERIFY(dialog.setQuery(QStringLiteral("URL:Rating = 1")));
        dialog.show();
        child<QPushButton>(dialog, "cancel")->click(); // nothing changed: no question
        QCOMPARE(dialog.result(), QDialog::Rejected);
        QVERIFY(m_ui.interactions().isEmpty());

        QueryWizardDialog changed(m_fields, m_texts, m_ui);
        QVERIFY(changed.setQuery(QStringLiteral("URL:Rating = 1 OR URL:Rating = 2")));
        changed.show();
        child<QListWidget>(changed, "conditions")->setCurrentRow(1);
        child<QPushButton>(changed, "remove")->click();
        m_ui.push(true);
        child<QPushButton>(changed, "cancel")->click();
        QCOMPARE(m_ui.titles(), QStringList{QStringLiteral("Save Query")});
        QCOMPARE(changed.result(), QDialog::Accepted);
        QCOMPARE(changed.query(), QStringLiteral("URL:Rating = 1"));
    }
};

QTEST_MAIN(QueryDialogsTest)
#include "querydialogs_test.moc"
