#pragma once

#include "framework/userinterface.h"

#include <QHash>

#include <cstdio>

namespace pk {

class ProgressBar;

/**
 * @brief The UserInterface of the command line: messages go to standard error as text. A yes/no
 * question takes its default answer unless the command set another one for its text; a question
 * with other choices (Retry/Abort, Continue/End Program) is told and closed without a choice,
 * the safe answer of every caller, and counts as a problem.
 *
 * Dialogs for files and folders count as cancelled (a command gets its files as arguments).
 * The password prompt reads PATHKEEP_PASSWORD from the environment. With `quiet`, only
 * warnings and errors are written.
 */
class ConsoleUserInterface final : public UserInterface
{
public:
    static constexpr const char *PasswordVariable = "PATHKEEP_PASSWORD";

    explicit ConsoleUserInterface(std::FILE *err = stderr);

    void setQuiet(bool quiet) { m_quiet = quiet; }
    bool isQuiet() const { return m_quiet; }
    /// The answer askYesNo() gives, without a word, to the question with this text.
    void setAnswer(const QString &text, bool yes) { m_answers.insert(text, yes); }
    /// The folder the folder chooser returns (blank: it counts as cancelled).
    void setFolder(const QString &folder) { m_folder = folder; }
    /// A progress bar on the same stream: its line is cleared before a message is written.
    void setProgressBar(ProgressBar *bar) { m_bar = bar; }
    /// Messages shown with the warning or critical icon, and questions nobody could answer.
    int problems() const { return m_problems; }

    void message(const QString &title, const QString &text, Icon icon = Icon::Information) override;
    bool askYesNo(const QString &title,
                  const QString &text,
                  bool yesIsDefault = true,
                  Icon icon = Icon::Question) override;
    int ask(const QString &title,
            const QString &text,
            const QStringList &buttons,
            int defaultButton = 0,
            Icon icon = Icon::Question) override;
    std::optional<QString> saveFileName(const QString &title,
                                        const QString &presetPath,
                                        const QString &filter) override;
    std::optional<QString> openFileName(const QString &title,
                                        const QString &presetPath,
                                        const QString &filter) override;
    std::optional<QString> existingFolder(const QString &title, const QString &startFolder) override;
    std::optional<QString> text(const QString &title,
                                const QString &prompt,
                                const QString &initial = {},
                                int maxLength = 255,
                                bool secret = false) override;

    /// "Title: text" on one line per text line, accelerators and '|' breaks made plain.
    static QString plain(const QString &title, const QString &text);

private:
    void write(const QString &line);

    std::FILE *m_err;
    QHash<QString, bool> m_answers;
    QString m_folder;
    ProgressBar *m_bar = nullptr;
    bool m_quiet = false;
    int m_problems = 0;
};

} // namespace pk
