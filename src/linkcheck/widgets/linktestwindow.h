#pragma once

#include <QDialog>
#include <QPointer>

class QCloseEvent;
class QPlainTextEdit;
class QProgressBar;

namespace pk {

class LinkTest;

/**
 * @brief "Retrieving information...": shows one link test's page buffer and a moving progress
 * bar. It has no buttons; closing it through the frame cancels the test.
 */
class LinkTestWindow final : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(LinkTestWindow)

public:
    static constexpr const char *Title = "Retrieving information...";

    explicit LinkTestWindow(LinkTest &test, QWidget *parent = nullptr);

    /// Starts the test and waits, with this window shown modally, until it ends.
    int exec() override;
    /// Shows `test` from now on instead of the test it showed (a window kept for reuse).
    void attach(LinkTest &test);
    /// Whether the window shows `test` (compared only; the test may be going).
    bool shows(const LinkTest *test) const { return m_shown == test; }

protected:
    void closeEvent(QCloseEvent *event) override;
    void reject() override;

private:
    QPointer<LinkTest> m_test; ///< the test may go first (its owner ended it)
    const LinkTest *m_shown = nullptr;
    QMetaObject::Connection m_connections[4];
    QPlainTextEdit *m_text = nullptr;
    QProgressBar *m_progress = nullptr;
};

} // namespace pk
