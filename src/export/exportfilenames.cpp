#include "export/exportfilenames.h"

#include "store/fieldtext.h"

using namespace Qt::StringLiterals;

namespace pk {

ExportFileNames ExportFileNames::of(const QString &exportFile)
{
    const QString trimmed = trimTrailingSpaces(exportFile);
    const qsizetype slash = trimmed.lastIndexOf(u'/');
    const QString folder = trimmed.left(slash + 1);
    QString name = trimmed.mid(slash + 1).toLower();
    const qsizetype htm = name.indexOf(u".htm"_s);
    if (htm >= 0)
        name.truncate(htm);
    name = trimTrailingSpaces(name);
    ExportFileNames names;
    names.basePath = folder + name;
    names.baseName = fileNamePart(names.basePath);
    return names;
}

QString ExportFileNames::fileNamePart(const QString &path)
{
    return path.mid(path.lastIndexOf(u'/') + 1);
}

} // namespace pk
