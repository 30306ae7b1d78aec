#include "framework/widgets/plainfileiconprovider.h"

#include <QApplication>
#include <QStyle>

namespace pk {

PlainFileIconProvider::PlainFileIconProvider()
{
    // A folder's own icon setting would be read from a file inside it.
    setOptions(DontUseCustomDirectoryIcons);
}

QIcon PlainFileIconProvider::icon(IconType type) const
{
    QStyle *style = QApplication::style();
    switch (type) {
    case Computer:
        return style->standardIcon(QStyle::SP_ComputerIcon);
    case Desktop:
        return style->standardIcon(QStyle::SP_DesktopIcon);
    case Trashcan:
        return style->standardIcon(QStyle::SP_TrashIcon);
    case Network:
        return style->standardIcon(QStyle::SP_DriveNetIcon);
    case Drive:
        return style->standardIcon(QStyle::SP_DriveHDIcon);
    case Folder:
        return style->standardIcon(QStyle::SP_DirIcon);
    case File:
        break;
    }
    return style->standardIcon(QStyle::SP_FileIcon);
}

QIcon PlainFileIconProvider::icon(const QFileInfo &info) const
{
    if (info.isRoot())
        return icon(Drive);
    if (info.isDir())
        return icon(Folder);
    return icon(File);
}

QString PlainFileIconProvider::type(const QFileInfo &info) const
{
    if (info.isRoot())
        return QStringLiteral("Drive");
    if (info.isDir())
        return QStringLiteral("Folder");
    const QString suffix = info.suffix();
    return suffix.isEmpty() ? QStringLiteral("File") : suffix.toUpper() + QStringLiteral(" File");
}

} // namespace pk
