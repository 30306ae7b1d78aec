#pragma once

#include <QString>

namespace pk {

class UserInterface;

/**
 * @brief The "Enter Picture..." question: asks for a field's display picture.
 *
 * A picture must begin with "@"; anything else is refused with a message and asked again.
 */
class PictureEntry final
{
public:
    static constexpr int Width = 30;

    /// The entered picture, or blank when the user cancelled or left the entry blank.
    static QString ask(UserInterface &ui, const QString &current);
    /// Whether `text` may be taken as a picture.
    static bool isValid(const QString &text);
    /// "Alpha-num"-style kind of a picture: `textKind` for "S"/"s", `numberKind` for "N"/"n",
    /// the picture itself otherwise.
    static QString kindText(const QString &picture,
                            const QString &textKind,
                            const QString &numberKind);
};

} // namespace pk
