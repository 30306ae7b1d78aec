#pragma once

#include <QDialog>

#include <functional>
#include <optional>

class QLabel;
class QProgressBar;
class QTimer;

namespace pk {

class IniFile;

/**
 * @brief A modal progress window for a record-by-record run: a bar, the "N% Completed" text
 * and "Cancel".
 *
 * The step function is called on every timer tick; it returns the percentage done, or nothing
 * when the run has ended. Cancel stops the ticks and closes the window.
 */
class RecordProgressDialog final : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(RecordProgressDialog)

public:
    using StepFunction = std::function<std::optional<int>()>;

    RecordProgressDialog(const QString &title, StepFunction step, QWidget *parent = nullptr);

    /// Runs the window until the run ends or is cancelled; true when it ran to its end.
    static bool run(const QString &title,
                    StepFunction step,
                    QWidget *parent = nullptr,
                    IniFile *positions = nullptr,
                    const QString &positionName = {});

    bool completed() const { return m_completed; }
    void setFinalText(const QString &text) { m_finalText = text; }
    /// A line of text above the bar (for instance "Importing").
    void setMessage(const QString &text);

protected:
    void reject() override;

private:
    void tick();

    StepFunction m_step;
    QTimer *m_timer = nullptr;
    QLabel *m_message = nullptr;
    QLabel *m_percent = nullptr;
    QProgressBar *m_bar = nullptr;
    QString m_finalText;
    int m_shown = -1;
    bool m_completed = false;
};

} // namespace pk
