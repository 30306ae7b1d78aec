#pragma once

#include <QString>

#include <functional>

namespace pk {

class Collection;
class UserInterface;
enum class CollectionFile;

/**
 * @brief Opens a collection file and deals with what can go wrong on the way.
 *
 * A locked file gets one recovery attempt, a missing file is created when allowed, a damaged
 * key file is rebuilt when the user agrees. Everything else is shown with its message and ends
 * the program through the halt handler with a short end text ("File Creation Error!",
 * "Invalid Key!", "Error Rebuilding Key!", "Invalid File!", "Disk Error"). A file that exists
 * but is not one of ours is never recreated or changed.
 */
class FileOpener final
{
public:
    using HaltHandler = std::function<void(const QString &endText)>;

    enum class Result {
        Opened,
        Missing, ///< missing, not created, and the caller handles that itself
        Halted,  ///< the message was shown and the halt handler ran
    };

    FileOpener(UserInterface &ui, HaltHandler halt);

    Result open(Collection &collection,
                CollectionFile file,
                bool mayCreate,
                bool callerHandlesMissing = false);
    /// Opens the three files in order (creating missing ones); stops at the first halt.
    Result openAll(Collection &collection);

private:
    Result halt(const QString &title, const QString &message, const QString &endText);

    UserInterface &m_ui;
    HaltHandler m_halt;
};

} // namespace pk
