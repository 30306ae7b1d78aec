#pragma once

#include "framework/errorcatalogue.h"

#include <QString>

#include <functional>

namespace pk {

class UserInterface;

/// What the error manager fills placeholders from.
struct ErrorContext
{
    QString file;          ///< %File
    QString errorCode;     ///< %ErrorCode: the last runtime operation's error code
    QString errorText;     ///< %ErrorText (and %Error)
    QString fileErrorCode; ///< %FileErrorCode: the file driver's own code
    QString fileError;     ///< %FileError: the file driver's own text
    QString key;           ///< %Key
    QString message;       ///< %Message
    QString field;         ///< %Field
    QString procedure;     ///< %Procedure
    QString category;      ///< %Category
};

/**
 * @brief Raises numbered catalogue messages and acts on their level.
 *
 * Level 0 shows nothing, 1 and 4 ask Yes/No (Yes returns 0, No returns 4), 5 shows the message
 * and returns 5, and 2, 3 or anything else show the message with the closing sentence and halt
 * the program through the halt handler. The default handler asks the program to end as an end
 * signal does (see TerminationRequest) and returns: the caller unwinds, and the program closes
 * its windows the normal way.
 */
class ErrorManager final
{
public:
    static constexpr int MaxMessageLength = 2000;
    static constexpr const char *HaltSuffix = "  Press OK to end this application";

    using HaltHandler = std::function<void(const QString &title, const QString &message)>;

    explicit ErrorManager(UserInterface &ui);

    /// Replaces the default halt (which asks the program to end) — tests record instead.
    void setHaltHandler(HaltHandler handler) { m_halt = std::move(handler); }

    /// Raises entry `number`; returns 0 (go on), 4 (cancel), 5 (acknowledged) or 3 (halted).
    int raise(std::uint16_t number, const ErrorContext &context = {});

    /// Title and message of an entry with every placeholder filled, '|' still in place.
    QPair<QString, QString> format(std::uint16_t number, const ErrorContext &context) const;

    /// Fills the placeholders of `text` in the catalogue's order, capped at 2000 characters.
    QString fill(const QString &text, const ErrorContext &context) const;

    UserInterface &ui() const { return m_ui; }

    /// Questions whose Yes destroys something (a record, unsaved changes) default to No, so a
    /// stray Enter keeps the data.
    static bool defaultsToNo(std::uint16_t number);

private:
    UserInterface &m_ui;
    HaltHandler m_halt;
    QString m_previous;
};

} // namespace pk
