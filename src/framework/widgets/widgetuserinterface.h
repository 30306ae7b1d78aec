#pragma once

#include "framework/userinterface.h"

class QWidget;

namespace pk {

/// UserInterface with real Qt dialogs, parented to the given window (may be null).
class WidgetUserInterface final : public UserInterface
{
public:
    explicit WidgetUserInterface(QWidget *parent = nullptr)
        : m_parent(parent)
    {}
    void setParentWidget(QWidget *parent) { m_parent = parent; }

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
    /// The window a message box or dialog is shown over.
    QWidget *dialogParent() const;

    QWidget *m_parent;
};

} // namespace pk
