#pragma once

#include <QString>
#include <QStringList>

namespace pk {

/// Folder rules of the "&New Database" and "&Open Database" commands, with '/' as separator.
class CollectionPaths final
{
public:
    /// Adds a trailing '/' when missing.
    static QString withSlash(const QString &folder);

    /**
     * The folder named by the path a save dialog returned for a new collection: cut at
     * "/URLDATA.TPS.TPS/" when present, else the last component is dropped when it ends in
     * ".TPS" (any letter case); otherwise the whole path names the (possibly new) folder.
     * The result ends with '/'.
     */
    static QString newCollectionFolder(const QString &returnedPath);

    /**
     * The folder named by the path an open dialog returned: "/URLDATA.TPS" and what follows are
     * removed (any letter case), or the last component when it ends in ".TPS". Ends with '/'.
     */
    static QString openCollectionFolder(const QString &returnedPath);

    /// Same folder (both made absolute and cleaned; letter case matters on this system).
    static bool sameFolder(const QString &a, const QString &b);

    /// Files of `folder` whose names match `pattern` in any letter case (e.g. "*.HTM").
    static QStringList matchingFiles(const QString &folder, const QString &pattern);
    /// The name of a file in `folder` matching `name` in any letter case, or empty.
    static QString findFile(const QString &folder, const QString &name);
};

} // namespace pk
