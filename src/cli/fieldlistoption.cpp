#include "cli/fieldlistoption.h"

#include "import/advanced/advancedimport.h"

#include <QStringList>

using namespace Qt::StringLiterals;

namespace pk {

namespace {

QStringList entries(const QString &text)
{
    QStringList list;
    for (const QString &part : text.split(u',', Qt::SkipEmptyParts))
        if (!part.trimmed().isEmpty())
            list << part.trimmed();
    return list;
}

} // namespace

std::optional<QList<ExportFieldEntry>> FieldListOption::exportFields(const QString &text,
                                                                     QString &error)
{
    QList<ExportFieldEntry> fields;
    for (const QString &entry : entries(text)) {
        const qsizetype at = entry.indexOf(u'@');
        const QString name = (at < 0 ? entry : entry.left(at)).trimmed();
        const ExportFieldEntry *known = nullptr;
        for (const ExportFieldEntry &field : AdvancedExportFields::allFields())
            if (field.name.compare(name, Qt::CaseInsensitive) == 0)
                known = &field;
        if (!known) {
            error = u"unknown field '"_s + name + u"'"_s;
            return std::nullopt;
        }
        ExportFieldEntry chosen = *known;
        if (at >= 0) {
            chosen.picture = entry.mid(at).trimmed();
            if (chosen.picture.size() < 2) {
                error = u"no picture after '@' in '"_s + entry + u"'"_s;
                return std::nullopt;
            }
        }
        fields << chosen;
    }
    if (fields.isEmpty()) {
        error = u"no fields given"_s;
        return std::nullopt;
    }
    return fields;
}

std::optional<QList<FieldListOption::ImportColumn>> FieldListOption::importMap(const QString &text,
                                                                               QString &error)
{
    QList<ImportColumn> map;
    const QStringList &targets = AdvancedImport::targetNames();
    for (const QString &entry : entries(text)) {
        const qsizetype eq = entry.indexOf(u'=');
        const QString name = entry.left(eq).trimmed();
        QString columnText = eq < 0 ? QString() : entry.mid(eq + 1).trimmed();
        QString picture;
        const qsizetype at = columnText.indexOf(u'@');
        if (at >= 0) {
            picture = columnText.mid(at).trimmed();
            columnText = columnText.left(at).trimmed();
            if (picture.size() < 2) {
                error = u"no picture after '@' in '"_s + entry + u"'"_s;
                return std::nullopt;
            }
        }
        bool number = false;
        const int column = eq < 0 ? 0 : columnText.toInt(&number);
        if (eq < 0 || !number || column < 1) {
            error = u"'"_s + entry + u"' is not FIELD=COLUMN (columns count from 1)"_s;
            return std::nullopt;
        }
        qsizetype target = -1;
        for (qsizetype i = 0; i < targets.size(); ++i)
            if (targets.at(i).compare(name, Qt::CaseInsensitive) == 0)
                target = i;
        if (target < 0) {
            error = u"unknown field '"_s + name + u"'"_s;
            return std::nullopt;
        }
        map.append({int(target), column - 1, picture});
    }
    if (map.isEmpty()) {
        error = u"no fields given"_s;
        return std::nullopt;
    }
    return map;
}

} // namespace pk
