#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace pk {

/**
 * @brief Every question, message and file/folder dialog the program shows goes through here.
 *
 * The window layer supplies an implementation with real dialogs; tests and window-less
 * processes use ScriptedUserInterface, which answers from a script and records what was asked.
 * Texts arrive finished: line breaks are '\n'.
 */
class UserInterface
{
public:
    enum class Icon { Information, Warning, Critical, Question };

    virtual ~UserInterface() = default;

    /// A message box with a single OK button.
    virtual void message(const QString &title, const QString &text, Icon icon = Icon::Information)
        = 0;

    /// A Yes/No question; returns true for Yes. Closing the box counts as No.
    virtual bool askYesNo(const QString &title,
                          const QString &text,
                          bool yesIsDefault = true,
                          Icon icon = Icon::Question)
        = 0;

    /**
     * A question with the given buttons (texts may carry '&' accelerators). Returns the index of
     * the button chosen, or -1 when the box was closed without choosing.
     */
    virtual int ask(const QString &title,
                    const QString &text,
                    const QStringList &buttons,
                    int defaultButton = 0,
                    Icon icon = Icon::Question)
        = 0;

    /// Save-file dialog. `filter` uses the "Description|pattern|Description|pattern" form.
    /// Returns nothing when cancelled.
    virtual std::optional<QString> saveFileName(const QString &title,
                                                const QString &presetPath,
                                                const QString &filter)
        = 0;

    /// Open-file dialog, same conventions as saveFileName().
    virtual std::optional<QString> openFileName(const QString &title,
                                                const QString &presetPath,
                                                const QString &filter)
        = 0;

    /// Folder chooser. Returns nothing when cancelled.
    virtual std::optional<QString> existingFolder(const QString &title, const QString &startFolder)
        = 0;

    /// A one-line text prompt; `secret` hides what is typed. Returns nothing when cancelled.
    virtual std::optional<QString> text(const QString &title,
                                        const QString &prompt,
                                        const QString &initial = {},
                                        int maxLength = 255,
                                        bool secret = false)
        = 0;
};

/// Turns a "Name|*.ext|Other|*.x" filter list into the pairs it describes.
QList<QPair<QString, QString>> parseFileFilter(const QString &filter);

} // namespace pk
