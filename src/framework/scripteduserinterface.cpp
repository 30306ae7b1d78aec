#include "framework/scripteduserinterface.h"

namespace pk {

QList<QPair<QString, QString>> parseFileFilter(const QString &filter)
{
    QList<QPair<QString, QString>> pairs;
    const QStringList parts = filter.split(QLatin1Char('|'));
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2)
        pairs.append({parts.at(i), parts.at(i + 1)});
    return pairs;
}

QVariant ScriptedUserInterface::take()
{
    if (m_answers.empty())
        return {};
    QVariant answer = m_answers.front();
    m_answers.pop_front();
    return answer;
}

QStringList ScriptedUserInterface::messages() const
{
    QStringList texts;
    for (const Interaction &i : m_interactions) {
        if (i.kind == Kind::Message)
            texts.append(i.text);
    }
    return texts;
}

QStringList ScriptedUserInterface::titles() const
{
    QStringList result;
    for (const Interaction &i : m_interactions)
        result.append(i.title);
    return result;
}

void ScriptedUserInterface::message(const QString &title, const QString &text, Icon)
{
    m_interactions.append({Kind::Message, title, text, {}});
}

bool ScriptedUserInterface::askYesNo(const QString &title,
                                     const QString &text,
                                     bool yesIsDefault,
                                     Icon)
{
    const QVariant answer = take();
    const bool yes = answer.isValid() ? answer.toBool() : yesIsDefault;
    m_interactions.append({Kind::YesNo, title, text, yes});
    return yes;
}

int ScriptedUserInterface::ask(
    const QString &title, const QString &text, const QStringList &, int defaultButton, Icon)
{
    const QVariant answer = take();
    const int chosen = answer.isValid() ? answer.toInt() : defaultButton;
    m_interactions.append({Kind::Ask, title, text, chosen});
    return chosen;
}

std::optional<QString> ScriptedUserInterface::takeText(Kind kind,
                                                       const QString &title,
                                                       const QString &text)
{
    const QVariant answer = take();
    m_interactions.append({kind, title, text, answer});
    if (!answer.isValid())
        return std::nullopt;
    return answer.toString();
}

std::optional<QString> ScriptedUserInterface::saveFileName(const QString &title,
                                                           const QString &presetPath,
                                                           const QString &)
{
    return takeText(Kind::SaveFile, title, presetPath);
}

std::optional<QString> ScriptedUserInterface::openFileName(const QString &title,
                                                           const QString &presetPath,
                                                           const QString &)
{
    return takeText(Kind::OpenFile, title, presetPath);
}

std::optional<QString> ScriptedUserInterface::existingFolder(const QString &title,
                                                             const QString &startFolder)
{
    return takeText(Kind::Folder, title, startFolder);
}

std::optional<QString> ScriptedUserInterface::text(
    const QString &title, const QString &prompt, const QString &, int, bool)
{
    return takeText(Kind::Text, title, prompt);
}

} // namespace pk
