#pragma once

#include <QString>
#include <QStringList>

#include <functional>

namespace pk {

class UserInterface;

/**
 * @brief Starts a text (address, document, command line) the way the user expects from a
 * double-click: first as a document or address with its default handler, then as a program with
 * parameters, split in several ways, and finally as a command line.
 *
 * Nothing ever goes through a shell: parameters reach the program as separate arguments, so
 * characters such as ";", "|" or "$(...)" are passed on literally.
 */
class Launcher final
{
public:
    /// Results at or below this value are failures, as with the classic "open" action.
    static constexpr int FailureLimit = 32;
    /// Result codes our default "open" primitive reports.
    static constexpr int Success = 42;
    static constexpr int FileNotFound = 2;
    static constexpr int NoAssociation = 31;

    /// Opens `file` (a document, address or program) with `parameters` (empty for none), in
    /// `workingFolder` (empty for the current one). Returns > 32 on success, else an error code.
    using OpenFunction = std::function<
        int(const QString &file, const QString &parameters, const QString &workingFolder)>;
    /// Starts a process directly; returns whether it started.
    using StartFunction = std::function<
        bool(const QString &program, const QStringList &arguments, const QString &workingFolder)>;

    /// Uses the desktop's handlers and QProcess.
    explicit Launcher(UserInterface &ui);
    /// Uses the given primitives (tests record the attempts).
    Launcher(UserInterface &ui, OpenFunction open, StartFunction start);

    /**
     * Starts `text`; on failure shows "Could not start <text>." titled "Error Code <last result>".
     * Returns whether anything started. Callers go on either way.
     */
    bool launch(const QString &text, const QString &workingFolder = {});

    /// The program/parameter split tried after the whole text failed; false when there is none.
    static bool splitProgram(const QString &text, QString &program, QString &parameters);

    /// The default primitives.
    static int defaultOpen(const QString &file,
                           const QString &parameters,
                           const QString &workingFolder);
    static bool defaultStart(const QString &program,
                             const QStringList &arguments,
                             const QString &workingFolder);

private:
    UserInterface &m_ui;
    OpenFunction m_open;
    StartFunction m_start;
};

} // namespace pk
