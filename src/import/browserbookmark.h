#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>

namespace pk {

/// One bookmark (or, with a blank address, one folder) read from a browser's profile.
struct BrowserBookmark
{
    QString address; ///< blank for a folder
    QString title;
    QString root;        ///< the browser's top folder it lies in ("Bookmarks Toolbar", ...)
    QStringList folders; ///< the folders below that top folder, outermost first
    QStringList tags;
    QDateTime added;     ///< invalid when unknown
    QDateTime lastVisit; ///< invalid when never visited
    QDateTime lastModified; ///< invalid when unknown
    QString keyword;        ///< the keyword that opens it from the address bar, blank for none
};

} // namespace pk
