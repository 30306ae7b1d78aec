#pragma once

#include <QWidget>

#include <QPointer>

#include <memory>
#include <vector>

class QCloseEvent;
class QLabel;
class QProgressBar;

namespace pk {

class LinkTest;
class LinkTestWindow;
class TestLinksProcess;

/**
 * @brief "Testing Multiple Links": the progress window of "Test Links".
 *
 * Closing it stops the process; it goes once every test already started has ended.
 * Each test shows its own window while it runs.
 */
class TestLinksWindow final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TestLinksWindow)

public:
    static constexpr const char *Title = "Testing Multiple Links";

    /// Takes `process`; runs it once the window is shown.
    explicit TestLinksWindow(std::unique_ptr<TestLinksProcess> process,
                             QWidget *testParent,
                             QWidget *parent = nullptr);
    ~TestLinksWindow() override;

    TestLinksProcess &process() { return *m_process; }

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void showTest(LinkTest *test);

    std::unique_ptr<TestLinksProcess> m_process;
    QWidget *m_testParent;
    QLabel *m_text = nullptr;
    QLabel *m_percent = nullptr;
    QProgressBar *m_progress = nullptr;
    /// Test windows whose test has ended, kept hidden for the next tests: making a window
    /// for every test costs more than the test itself on a fast server.
    std::vector<QPointer<LinkTestWindow>> m_idleWindows;
    std::vector<QPointer<LinkTestWindow>> m_allWindows;
    bool m_finished = false;
};

} // namespace pk
