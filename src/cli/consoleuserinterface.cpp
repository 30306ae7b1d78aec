#include "cli/consoleuserinterface.h"

#include "cli/progressbar.h"

#include <QRegularExpression>

using namespace Qt::StringLiterals;

namespace pk {

ConsoleUserInterface::ConsoleUserInterface(std::FILE *err)
    : m_err(err)
{}

QString ConsoleUserInterface::plain(const QString &title, const QString &text)
{
    QString body = text;
    body.replace(u'|', u'\n');
    body = body.trimmed();
    // Blank lines that separate paragraphs in a box only spread a terminal message out.
    static const QRegularExpression blankLines(u"\n\\s*\n"_s);
    body.replace(blankLines, u"\n"_s);
    const QString head = title.trimmed();
    if (head.isEmpty())
        return body;
    if (body.isEmpty())
        return head;
    return head + u": "_s + body;
}

void ConsoleUserInterface::write(const QString &line)
{
    if (m_bar)
        m_bar->clear();
    const QByteArray bytes = line.toLocal8Bit() + '\n';
    std::fwrite(bytes.constData(), 1, std::size_t(bytes.size()), m_err);
    std::fflush(m_err);
}

void ConsoleUserInterface::message(const QString &title, const QString &text, Icon icon)
{
    const bool problem = icon == Icon::Warning || icon == Icon::Critical;
    if (problem)
        ++m_problems;
    if (m_quiet && !problem)
        return;
    write(plain(title, text));
}

bool ConsoleUserInterface::askYesNo(const QString &title,
                                    const QString &text,
                                    bool yesIsDefault,
                                    Icon)
{
    // A question the command answered for the user is its own business; a default taken is told.
    const auto found = m_answers.constFind(text);
    if (found != m_answers.constEnd())
        return *found;
    const bool yes = yesIsDefault;
    if (!m_quiet)
        write(plain(title, text)
              + (yes ? u" (taken as yes: there is nobody to ask)"_s
                     : u" (taken as no: there is nobody to ask)"_s));
    return yes;
}

int ConsoleUserInterface::ask(
    const QString &title, const QString &text, const QStringList &, int, Icon)
{
    // Nobody can choose: the question is told once and closed without a choice, which every
    // caller takes as its safe way out (no retry for ever, no program ended). The command then
    // ends as a failure.
    ++m_problems;
    write(plain(title, text));
    return -1;
}

std::optional<QString> ConsoleUserInterface::saveFileName(const QString &,
                                                          const QString &,
                                                          const QString &)
{
    return std::nullopt;
}

std::optional<QString> ConsoleUserInterface::openFileName(const QString &,
                                                          const QString &,
                                                          const QString &)
{
    return std::nullopt;
}

std::optional<QString> ConsoleUserInterface::existingFolder(const QString &, const QString &)
{
    if (m_folder.isEmpty())
        return std::nullopt;
    return m_folder;
}

std::optional<QString> ConsoleUserInterface::text(
    const QString &, const QString &, const QString &initial, int maxLength, bool secret)
{
    // The only prompt a command can meet is the collection's password.
    if (secret && qEnvironmentVariableIsSet(PasswordVariable))
        return qEnvironmentVariable(PasswordVariable).left(maxLength);
    if (secret)
        return std::nullopt;
    return initial;
}

} // namespace pk
