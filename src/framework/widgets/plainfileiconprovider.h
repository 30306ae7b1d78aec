#pragma once

#include <QFileIconProvider>

namespace pk {

/**
 * @brief File icons and type names from the directory entry alone, never from the contents.
 *
 * Qt's own provider asks the MIME database, which opens a file whose name it does not know
 * to look at its first bytes. Closing that descriptor releases every POSIX lock the process
 * holds on the file, and SQLite keeps its locks that way: a file dialog on the collection
 * folder must not open the collection's files. This provider only looks at the entry's kind
 * and its name.
 */
class PlainFileIconProvider final : public QFileIconProvider
{
public:
    PlainFileIconProvider();

    QIcon icon(IconType type) const override;
    QIcon icon(const QFileInfo &info) const override;
    QString type(const QFileInfo &info) const override;
};

} // namespace pk
