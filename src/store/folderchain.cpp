#include "store/folderchain.h"

#include "store/fieldtext.h"

using namespace Qt::StringLiterals;

namespace pk {

QString FolderChain::extend(const QString &category, const QString &folder)
{
    const QString base = trimTrailingSpaces(category);
    if (base.isEmpty())
        return fitToField(folder, CategoryWidth);
    if (characterCount(base) >= GrowthLimit)
        return base;
    return fitToField(QString(base + u": "_s + folder), CategoryWidth);
}

QStringList FolderChain::split(const QString &category)
{
    QStringList parts;
    QString built;
    QString rest = trimTrailingSpaces(category);
    for (;;) {
        const qsizetype colon = rest.indexOf(u": "_s);
        if (colon <= 0) {
            parts << rest;
            break;
        }
        const QString head = rest.left(colon);
        const QString grown = built.isEmpty() ? head : built + u": "_s + head;
        // Once the chain stops growing, the folder that stopped it carries the rest of the name.
        if (characterCount(grown) >= GrowthLimit) {
            parts << rest;
            break;
        }
        parts << head;
        built = grown;
        rest = rest.mid(colon + 2);
    }
    return parts;
}

} // namespace pk
