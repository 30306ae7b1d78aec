#pragma once

#include "shell/collectionpaths.h"

#include <QString>

#include <cstdio>
#include <memory>

namespace pk {

class Collection;
class ConsoleUserInterface;
class ErrorManager;

namespace Cli {

/// Exit status of every command: 0 done, 1 the work failed, 2 a wrong command line.
enum Exit { Success = 0, Failure = 1, Usage = 2 };

/// The options every command takes.
struct CommonOptions
{
    CollectionPaths::Choice collection;
    bool quiet = false;
    bool progress = false; ///< a progress bar on standard error (a terminal, not quiet)
    bool create = false;   ///< --create
    int waitSeconds = 10;
};

/**
 * @brief What a command works with: the collection, the console's messages and questions, the
 * error catalogue and the two output streams.
 *
 * The collection is opened by the command that needs it (openCollection()), so a command line
 * that is wrong is refused before anything is read.
 */
class CommandContext final
{
public:
    CommandContext(std::FILE *out, std::FILE *err);
    ~CommandContext();
    CommandContext(const CommandContext &) = delete;
    CommandContext &operator=(const CommandContext &) = delete;

    CommonOptions &options() { return m_options; }
    const CommonOptions &options() const { return m_options; }
    /// The collection folder chosen for this run (absolute).
    const QString &folder() const { return m_options.collection.folder; }

    ConsoleUserInterface &ui() { return *m_ui; }
    ErrorManager &errors() { return *m_errors; }
    /// The collection opened by openCollection().
    Collection &collection() { return *m_collection; }
    /// A catalogue message would have ended the program: it ended the command instead.
    bool halted() const { return m_halted; }

    std::FILE *out() const { return m_out; }
    std::FILE *err() const { return m_err; }
    void print(std::FILE *to, const QString &text);
    /// "pathkeep-cli: <text>" and a line break on standard error.
    void complain(const QString &text);
    /// complain() with the hint to --help; returns Usage.
    int usageError(const QString &text);
    /// A note on standard error unless --quiet.
    void note(const QString &text);

    /**
     * Opens the chosen collection; reports why not (naming its folder) and returns false. A
     * command that adds (`creatable`) makes an empty collection where there is none with
     * --create, and makes the default collection, folder and all, also without it, as the
     * program does on its first start.
     */
    bool openCollection(bool creatable = false);
    /// Closes the collection (a restore replaces its files).
    void closeCollection();
    /// The --query option compiled against the store; false (reported) when it is wrong.
    bool checkQuery(const QString &query);
    /// Failure when the command was halted or a message reported a problem, else Success.
    int outcome(bool failed = false) const;

private:
    bool passwordConfirmed();

    std::FILE *m_out;
    std::FILE *m_err;
    CommonOptions m_options;
    std::unique_ptr<ConsoleUserInterface> m_ui;
    std::unique_ptr<ErrorManager> m_errors;
    std::unique_ptr<Collection> m_collection;
    bool m_halted = false;
};

} // namespace Cli
} // namespace pk
