// The clipboard monitor picking addresses from text another program puts on the X11 clipboard.
// Runs under xvfb-run with xclip as that other program.

#include "framework/errormanager.h"
#include "framework/scripteduserinterface.h"
#include "import/clipboard/clipboardmonitor.h"
#include "import/clipboard/widgets/clipboardmonitorwindow.h"
#include "store/storefixture.h"
#include "support/screenshot.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QProcess>
#include <QStandardPaths>

using namespace Qt::StringLiterals;

namespace pk {
namespace {

/// Puts `text` on the clipboard as another program does, offering only `type`.
bool copyWithXclip(const QByteArray &text, const QString &type = {})
{
    QProcess xclip;
    QStringList arguments{u"-selection"_s, u"clipboard"_s};
    if (!type.isEmpty())
        arguments << u"-t"_s << type;
    xclip.start(u"xclip"_s, arguments);
    if (!xclip.waitForStarted(5000))
        return false;
    xclip.write(text);
    xclip.closeWriteChannel();
    // xclip keeps serving the selection from a child of its own once this one has ended.
    return xclip.waitForFinished(5000) && xclip.exitCode() == 0;
}

bool waitFor(const std::function<bool()> &done)
{
    QDeadlineTimer deadline(10000);
    while (!done() && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    return done();
}

class ClipboardWindowX11 : public test::StoreTest
{
protected:
    void SetUp() override
    {
        if (QStandardPaths::findExecutable(u"xclip"_s).isEmpty()
            || qEnvironmentVariableIsEmpty("DISPLAY"))
            GTEST_SKIP() << "needs an X server and xclip";
        StoreTest::SetUp();
    }

    ScriptedUserInterface m_ui;
    ErrorManager m_errors{m_ui};
};

TEST_F(ClipboardWindowX11, AddsAddressesCopiedInAnotherProgram)
{
    ASSERT_TRUE(copyWithXclip("already there http://before.example/"));
    m_ui.push(true); // ignore what is on the clipboard when the window opens
    ClipboardMonitorWindow window(c(), m_errors, m_ui);
    window.show();
    ASSERT_TRUE(waitFor([&] { return !m_ui.interactions().isEmpty(); }));
    EXPECT_EQ(m_ui.titles(), QStringList{u"Clipboard Contains Data"_s});
    EXPECT_EQ(m_ui.interactions().constFirst().text, u"Ignore current clipboard contents?"_s);

    ASSERT_TRUE(copyWithXclip("<h3>Tools</h3><a href=\"http://tool.example/\">A tool</a> and "
                              "www.second.example"));
    ASSERT_TRUE(waitFor([&] { return window.monitor().count() == 2; }))
        << "added: " << window.monitor().count();
    EXPECT_FALSE(c().locations().exists(u"http://before.example/"_s));
    LocationRecord tool;
    ASSERT_TRUE(c().locations().get(u"http://tool.example/"_s, tool));
    EXPECT_EQ(tool.Category, u"Tools"_s);
    EXPECT_EQ(tool.Description, u"A tool"_s);
    EXPECT_TRUE(c().locations().exists(u"http://www.second.example"_s));
    EXPECT_EQ(window.statusText(), u"Added 2:  http://www.second.example"_s);
    test::screenshot(window, u"clipboardmonitor"_s);

    // A selection of a web page: the link's target, not its text, and its references decoded.
    ASSERT_TRUE(copyWithXclip("<meta charset=\"utf-8\"><p>See <a "
                              "href=\"https://page.example/a?x=1&amp;y=2\">the page</a></p>",
                              u"text/html"_s));
    ASSERT_TRUE(waitFor([&] { return window.monitor().count() == 3; }))
        << "added: " << window.monitor().count();
    LocationRecord page;
    ASSERT_TRUE(c().locations().get(u"https://page.example/a?x=1&y=2"_s, page));
    EXPECT_EQ(page.Description, u"the page"_s);

    // Exit ends with the summary.
    const qsizetype before = m_ui.interactions().size();
    window.exit();
    ASSERT_EQ(m_ui.interactions().size(), before + 1);
    EXPECT_EQ(m_ui.interactions().constLast().title, u"Complete"_s);
    EXPECT_TRUE(m_ui.interactions().constLast().text.startsWith(u"3 URL(s) imported.\nAdded: 3"_s));
}

} // namespace
} // namespace pk

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
