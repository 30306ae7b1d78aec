#pragma once

#include <QStringList>

class QWidget;

namespace pk::test {

/**
 * @brief What a user notices at once in a window, as a list of findings (empty when none).
 *
 * Looks only at the widgets of `root` a user can see (not those of other windows it owns):
 * buttons, tabs and list entries without text or icon, labels showing a literal '&' or an empty
 * prompt, and accelerator letters used twice within the window. `outerLetters` are letters
 * the surrounding window already takes (the frame's menu bar for a child window).
 */
class WindowInspector final
{
public:
    static QStringList problems(QWidget *root, const QStringList &outerLetters = {});

    /// The accelerator letters of a menu bar's menus or a menu's entries, in order.
    static QStringList menuLetters(const QWidget *menuOrBar);

    /// Letters used twice among the entries of every menu under `menuOrBar`.
    static QStringList menuClashes(const QWidget *menuOrBar);

    /// True when `widget` is part of `root`'s own window (not of a window it owns).
    static bool belongsTo(const QWidget *widget, const QWidget *root);
};

} // namespace pk::test
