#include "export/defaulthtmlreader.h"

#include <QFile>

namespace pk {

void DefaultHtmlReader::cutLine(QStringView line, QStringList &pieces)
{
    auto add = [&pieces](QStringView piece) {
        if (!piece.trimmed().isEmpty())
            pieces << piece.toString();
    };
    qsizetype start = 0;
    for (qsizetype i = 0; i < line.size(); ++i) {
        if (line[i] == u'<') {
            add(line.mid(start, i - start));
            start = i;
        } else if (line[i] == u'>') {
            add(line.mid(start, i + 1 - start));
            start = i + 1;
        }
    }
    add(line.mid(start));
}

bool DefaultHtmlReader::read(const QString &path, QStringList &pieces)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray bytes = file.readAll();
    const QByteArray head = bytes.left(1024);
    const char end = head.contains('\n') && !head.contains('\r') ? '\n' : '\r';
    for (const QByteArray &raw : bytes.split(end)) {
        QString line = QString::fromUtf8(raw);
        line.remove(u'\n');
        line.remove(u'\r');
        cutLine(line, pieces);
    }
    return true;
}

} // namespace pk
