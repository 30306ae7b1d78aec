#include "framework/errormanager.h"

#include "framework/terminationrequest.h"
#include "framework/userinterface.h"

#include <QCoreApplication>
#include <QPair>

#include <cstdio>
#include <cstdlib>

namespace pk {

ErrorManager::ErrorManager(UserInterface &ui)
    : m_ui(ui)
    , m_halt([](const QString &title, const QString &) {
        std::fprintf(stderr, "%s\n", qUtf8Printable(title));
        // Ends through the program's normal close, never from inside the caller.
        TerminationRequest::request();
        QCoreApplication::exit(EXIT_FAILURE);
    })
{}

QString ErrorManager::fill(const QString &text, const ErrorContext &c) const
{
    // Longer names first where one is a prefix of another: the order is part of the contract.
    const QPair<const char *, const QString *> placeholders[] = {
        {"%FileErrorCode", &c.fileErrorCode},
        {"%FileError", &c.fileError},
        {"%File", &c.file},
        {"%Key", &c.key},
        {"%ErrorCode", &c.errorCode},
        {"%ErrorText", &c.errorText},
        {"%Error", &c.errorText},
        {"%Message", &c.message},
        {"%Field", &c.field},
        {"%Procedure", &c.procedure},
        {"%Category", &c.category},
        {"%Previous", &m_previous},
    };
    QString result = text;
    for (const auto &[name, value] : placeholders) {
        result.replace(QLatin1String(name), *value);
        if (result.size() > MaxMessageLength)
            result.truncate(MaxMessageLength);
    }
    return result;
}

QPair<QString, QString> ErrorManager::format(std::uint16_t number, const ErrorContext &context) const
{
    const ErrorEntry *entry = ErrorCatalogue::find(number);
    if (!entry)
        return {QStringLiteral("Unknown Error"), QStringLiteral("Error %1").arg(number)};
    return {fill(QString::fromUtf8(entry->title), context),
            fill(QString::fromUtf8(entry->message), context)};
}

bool ErrorManager::defaultsToNo(std::uint16_t number)
{
    return number == Msg::ConfirmDelete || number == Msg::ChangesWillBeLost;
}

int ErrorManager::raise(std::uint16_t number, const ErrorContext &context)
{
    const ErrorEntry *entry = ErrorCatalogue::find(number);
    const ErrorLevel level = entry ? entry->level : ErrorLevel::Fatal;
    auto [title, text] = format(number, context);
    text.replace(QLatin1Char('|'), QLatin1Char('\n'));
    m_previous = text;

    switch (level) {
    case ErrorLevel::Benign:
        return 0;
    case ErrorLevel::User:
    case ErrorLevel::Cancel:
        return m_ui.askYesNo(title, text, !defaultsToNo(number)) ? 0 : 4;
    case ErrorLevel::Notify:
        m_ui.message(title, text, UserInterface::Icon::Warning);
        return 5;
    case ErrorLevel::Program:
    case ErrorLevel::Fatal:
        break;
    }
    text += QLatin1String(HaltSuffix);
    m_ui.message(title, text, UserInterface::Icon::Critical);
    m_halt(title, text);
    return 3;
}

} // namespace pk
