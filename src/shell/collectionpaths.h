#pragma once

#include <QString>
#include <QStringList>

namespace pk {

/// Folder rules of the "&New Database" and "&Open Database" commands, with '/' as separator,
/// and the collection a program works on when it is started without one.
class CollectionPaths final
{
public:
    /// The environment variable that names the collection folder (`scripts/run.sh`, the
    /// command line).
    static constexpr const char *CollectionVariable = "PATHKEEP_COLLECTION";

    /// Why a folder was taken as the collection.
    enum class Source { Option, Environment, CurrentFolder, Default };

    struct Choice
    {
        QString folder; ///< absolute
        Source source = Source::Default;
    };

    /// The collection the desktop entry and `scripts/run.sh` start on: `Pathkeep` in the home
    /// folder.
    static QString defaultFolder();
    /**
     * The collection a program works on: `option` when given, else the folder in
     * PATHKEEP_COLLECTION, else `currentFolder` when it holds a collection (URLDATA.TPS in any
     * letter case), else defaultFolder().
     */
    static Choice choose(const QString &option, const QString &currentFolder);
    /// How `source` is named in help texts: "--collection", "PATHKEEP_COLLECTION", ...
    static QString sourceName(Source source);

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
