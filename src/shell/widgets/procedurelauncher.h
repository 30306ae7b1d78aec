#pragma once

#include "shell/procedurestarter.h"

#include <QObject>
#include <QPointer>

#include <functional>
#include <map>

class QMdiArea;
class QMdiSubWindow;
class QWidget;

namespace pk {

class Shell;

/**
 * @brief Starts procedures by name for the frame, the tray and the lists.
 *
 * A registered procedure's window goes into the frame as a child window with the next logical
 * thread number, its position restored from POSITION.INI under the procedure's name and saved
 * there again when it closes. A window built as a window of its own (a progress window) stays
 * one, owned by the frame and kept above it, so that no list window covers it. A name nobody
 * registered is reported as not defined.
 */
class ProcedureLauncher final : public QObject, public ProcedureStarter
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ProcedureLauncher)

public:
    ProcedureLauncher(Shell &shell, QMdiArea *area, QWidget *frame);

    /// Runs before every start (the frame closes its splash there).
    void setBeforeStart(std::function<void()> hook) { m_beforeStart = std::move(hook); }

    bool isDefined(const QString &procedure) const override;

    /// Places an already built window in the frame as a child window of `procedure`; returns
    /// the window placed (its sub-window in the frame, or itself when it floats above the frame).
    QWidget *addWindow(const QString &procedure, QWidget *window);

    /// The child window in the frame with this logical thread number, or nullptr.
    QMdiSubWindow *window(int thread) const;

protected:
    /// Starts `procedure`; false when it is not defined (or takes no request of this type) or
    /// could not be started.
    bool startProcedure(const QString &procedure, const std::any &request) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    struct Child
    {
        QString procedure;
        int thread = 0;
    };

    Shell &m_shell;
    QMdiArea *m_area;
    QWidget *m_frame;
    std::function<void()> m_beforeStart;
    std::map<QObject *, Child> m_children;
};

} // namespace pk
