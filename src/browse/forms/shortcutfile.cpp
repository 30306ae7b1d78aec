#include "browse/forms/shortcutfile.h"

#include <QFile>
#include <QFileInfo>
#include <QList>
#include <QSaveFile>

namespace pk {

namespace {

QByteArray trimmedLine(const QByteArray &line)
{
    return line.trimmed();
}

bool isSection(const QByteArray &line)
{
    const QByteArray t = trimmedLine(line);
    return t.startsWith('[') && t.endsWith(']');
}

bool isShortcutSection(const QByteArray &line)
{
    return isSection(line)
           && trimmedLine(line).mid(1, trimmedLine(line).size() - 2).trimmed().toLower()
                  == "internetshortcut";
}

bool isUrlKey(const QByteArray &line)
{
    const qsizetype eq = line.indexOf('=');
    return eq > 0 && line.left(eq).trimmed().toUpper() == "URL";
}

} // namespace

bool ShortcutFile::hasShortcutName(const QString &fileName)
{
    return fileName.toUpper().contains(QLatin1String(".URL"));
}

bool ShortcutFile::exists(const QString &fileName)
{
    return hasShortcutName(fileName) && QFileInfo(fileName).isFile();
}

QByteArray ShortcutFile::withUrl(const QByteArray &text, const QString &url)
{
    const QByteArray eol = text.contains("\r\n") ? QByteArray("\r\n") : QByteArray("\n");
    QList<QByteArray> lines = text.split('\n');
    for (QByteArray &line : lines) {
        if (line.endsWith('\r'))
            line.chop(1);
    }
    const bool endsWithEol = text.endsWith('\n');
    if (endsWithEol)
        lines.removeLast();

    // Line breaks in the address would start new keys in the file.
    QByteArray value = url.toUtf8();
    value.replace('\r', ' ').replace('\n', ' ');

    qsizetype section = -1;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (isShortcutSection(lines[i])) {
            section = i;
            break;
        }
    }
    if (section < 0)
        return {};
    qsizetype end = section + 1;
    while (end < lines.size() && !isSection(lines[end]))
        ++end;
    bool written = false;
    for (qsizetype i = section + 1; i < end; ++i) {
        if (isUrlKey(lines[i])) {
            lines[i] = lines[i].left(lines[i].indexOf('=') + 1) + value;
            written = true;
            break;
        }
    }
    if (!written)
        lines.insert(section + 1, "URL=" + value);

    QByteArray out = lines.join(eol);
    if (endsWithEol)
        out += eol;
    return out;
}

ShortcutFile::Result ShortcutFile::writeUrl(const QString &fileName, const QString &url)
{
    if (!hasShortcutName(fileName))
        return Result::NotShortcutName;
    const QFileInfo info(fileName);
    if (!info.isFile())
        return Result::Missing;
    // A file without write permission bits is read-only even for a user who could write it anyway.
    const auto writeBits = QFile::WriteOwner | QFile::WriteGroup | QFile::WriteOther;
    if (!info.isWritable() || !(info.permissions() & writeBits))
        return Result::ReadOnly;
    QFile in(fileName);
    if (!in.open(QIODevice::ReadOnly))
        return Result::Failed;
    // A shortcut is a small text file; anything big is not one.
    const QByteArray text = in.read(1 << 20);
    in.close();
    const QByteArray updated = withUrl(text, url);
    if (updated.isEmpty())
        return Result::NotShortcut;
    if (updated == text)
        return Result::Written;
    QSaveFile out(fileName);
    if (!out.open(QIODevice::WriteOnly) || out.write(updated) != updated.size() || !out.commit())
        return Result::Failed;
    return Result::Written;
}

} // namespace pk
