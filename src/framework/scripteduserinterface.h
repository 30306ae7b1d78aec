#pragma once

#include "framework/userinterface.h"

#include <QList>
#include <QVariant>

#include <deque>

namespace pk {

/**
 * @brief A UserInterface that answers from a queue and records every interaction.
 *
 * Each call takes the next queued answer; with nothing queued, a question takes its default
 * button and a dialog counts as cancelled. Tests look at interactions() afterwards.
 */
class ScriptedUserInterface final : public UserInterface
{
public:
    enum class Kind { Message, YesNo, Ask, SaveFile, OpenFile, Folder, Text };

    struct Interaction
    {
        Kind kind;
        QString title;
        QString text;
        QVariant answer;
    };

    /// Queue answers: bool for askYesNo, int for ask, QString for dialogs and prompts,
    /// an invalid QVariant for "cancelled".
    void push(const QVariant &answer) { m_answers.push_back(answer); }
    void pushCancel() { m_answers.emplace_back(); }

    const QList<Interaction> &interactions() const { return m_interactions; }
    QStringList messages() const; ///< texts of every message() shown, in order
    QStringList titles() const;   ///< titles of every interaction, in order
    const Interaction *last() const
    {
        return m_interactions.isEmpty() ? nullptr : &m_interactions.last();
    }
    void clear()
    {
        m_interactions.clear();
        m_answers.clear();
    }
    int pendingAnswers() const { return static_cast<int>(m_answers.size()); }

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

private:
    QVariant take();
    std::optional<QString> takeText(Kind kind, const QString &title, const QString &text);

    std::deque<QVariant> m_answers;
    QList<Interaction> m_interactions;
};

} // namespace pk
