#pragma once

#include <QElapsedTimer>
#include <QString>

#include <cstdio>

namespace pk {

/**
 * @brief A one-line progress bar on standard error, redrawn in place with a carriage return.
 *
 * Drawn only when enabled (standard error is a terminal and the command is not quiet); a
 * disabled bar writes nothing, so logs and pipes stay clean. Redraws at most every 100 ms.
 */
class ProgressBar final
{
public:
    static constexpr int Width = 30;

    ProgressBar(bool enabled, std::FILE *err = stderr);
    ~ProgressBar();
    ProgressBar(const ProgressBar &) = delete;
    ProgressBar &operator=(const ProgressBar &) = delete;

    /// Whether standard error is a terminal.
    static bool stderrIsTerminal();

    bool isEnabled() const { return m_enabled; }
    /// Shows `percent` (0..100) with `label`; skipped when the last redraw was too recent.
    void update(int percent, const QString &label = {});
    /// Clears the line, so a message written next starts at the left edge.
    void clear();

    /// The line drawn for `percent` and `label` (without the carriage return).
    static QString line(int percent, const QString &label);

private:
    void draw(const QString &text);

    bool m_enabled;
    std::FILE *m_err;
    QElapsedTimer m_since;
    int m_lastPercent = -1;
    qsizetype m_drawn = 0;
};

} // namespace pk
