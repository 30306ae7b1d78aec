#pragma once

#include <QString>
#include <QStringList>

namespace pk {

/**
 * @brief Categories made of nested folders: "News: Local" for a folder "Local" inside "News".
 *
 * A category grows by ": " and the next folder's name only while it is shorter than
 * GrowthLimit characters, and is cut to the category width; deeper folders add nothing.
 * split() is the inverse for writing a category out as nested folders: reading those folders
 * back with extend() gives the category again.
 */
class FolderChain final
{
public:
    static constexpr int GrowthLimit = 25;
    static constexpr int CategoryWidth = 50;

    /// The category of `folder` inside a folder whose category is `category` (blank at the top).
    static QString extend(const QString &category, const QString &folder);
    /// The folder names, outermost first, that extend() turns back into `category`.
    static QStringList split(const QString &category);
};

} // namespace pk
