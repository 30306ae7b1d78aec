#include "import/csv/pictureentry.h"

#include "framework/userinterface.h"

using namespace Qt::StringLiterals;

namespace pk {

bool PictureEntry::isValid(const QString &text)
{
    return text.trimmed().startsWith(u'@');
}

QString PictureEntry::ask(UserInterface &ui, const QString &current)
{
    QString entry = current;
    for (;;) {
        const auto answer = ui.text(u"Enter Picture..."_s, u"Picture:"_s, entry, Width);
        if (!answer)
            return {};
        entry = answer->trimmed().left(Width);
        if (entry.isEmpty() || isValid(entry))
            return entry;
        ui.message(u"Invalid Picture!"_s,
                   u"Pictures must begin with \"@\""_s,
                   UserInterface::Icon::Warning);
    }
}

QString PictureEntry::kindText(const QString &picture,
                               const QString &textKind,
                               const QString &numberKind)
{
    const QString pic = picture.trimmed();
    const QChar kind = pic.size() >= 2 ? pic.at(1).toUpper() : QChar();
    if (kind == u'S')
        return textKind;
    if (kind == u'N')
        return numberKind;
    return pic;
}

} // namespace pk
