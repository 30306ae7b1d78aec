#include "framework/widgets/widgetuserinterface.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <functional>

using namespace pk;
using namespace Qt::StringLiterals;

/// Question boxes as a user meets them: Escape, the close button and Enter.
class WidgetUserInterfaceTest final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void escapeAndCloseButtonCancelEveryQuestion_data();
    void escapeAndCloseButtonCancelEveryQuestion();
    void enterTakesTheDefaultButton();

private:
    /// Runs `act` on the box once it shows.
    static void whenShown(std::function<void(QMessageBox *)> act);
};

void WidgetUserInterfaceTest::whenShown(std::function<void(QMessageBox *)> act)
{
    auto poll = std::make_shared<std::function<void()>>();
    *poll = [act, poll] {
        if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
            act(box);
            return;
        }
        QTimer::singleShot(10, *poll);
    };
    QTimer::singleShot(0, *poll);
}

void WidgetUserInterfaceTest::escapeAndCloseButtonCancelEveryQuestion_data()
{
    QTest::addColumn<QStringList>("buttons");
    QTest::addColumn<bool>("byEscape");
    const QStringList proceed{u"&Proceed"_s, u"Cancel"_s};
    const QStringList yesNo{u"&Yes"_s, u"&No"_s};
    const QStringList themes{u"Fusion"_s, u"Windows"_s, u"Cancel"_s};
    QTest::newRow("proceed/cancel, Escape") << proceed << true;
    QTest::newRow("proceed/cancel, close button") << proceed << false;
    QTest::newRow("yes/no, Escape") << yesNo << true;
    QTest::newRow("yes/no, close button") << yesNo << false;
    QTest::newRow("themes, Escape") << themes << true;
    QTest::newRow("themes, close button") << themes << false;
}

void WidgetUserInterfaceTest::escapeAndCloseButtonCancelEveryQuestion()
{
    QFETCH(QStringList, buttons);
    QFETCH(bool, byEscape);
    WidgetUserInterface ui;
    bool shown = false;
    whenShown([&](QMessageBox *box) {
        shown = true;
        if (byEscape)
            QTest::keyClick(box, Qt::Key_Escape);
        else
            box->close();
        // A box that refused to go would hang the test: choose its first button, so the
        // result shows it.
        QTimer::singleShot(200, box, [box] {
            if (box->isVisible())
                box->buttons().constFirst()->click();
        });
    });
    QCOMPARE(ui.ask(u"Question"_s, u"Go on?"_s, buttons, 0), -1);
    QVERIFY(shown);

    whenShown([&](QMessageBox *box) {
        if (byEscape)
            QTest::keyClick(box, Qt::Key_Escape);
        else
            box->close();
    });
    QCOMPARE(ui.askYesNo(u"Question"_s, u"Go on?"_s, true), false);
}

void WidgetUserInterfaceTest::enterTakesTheDefaultButton()
{
    WidgetUserInterface ui;
    const QStringList yesNo{u"&Yes"_s, u"&No"_s};
    whenShown([](QMessageBox *box) { QTest::keyClick(box, Qt::Key_Return); });
    QCOMPARE(ui.ask(u"Remove Multiple Entries"_s, u"Proceed?"_s, yesNo, 1), 1);
    whenShown([](QMessageBox *box) { QTest::keyClick(box, Qt::Key_Return); });
    QCOMPARE(ui.askYesNo(u"Confirm Delete"_s, u"Delete?"_s, false), false);
    whenShown([](QMessageBox *box) { QTest::keyClick(box, Qt::Key_Return); });
    QCOMPARE(ui.askYesNo(u"Save Record"_s, u"Save?"_s, true), true);
}

QTEST_MAIN(WidgetUserInterfaceTest)
#include "widgetuserinterface_test.moc"
