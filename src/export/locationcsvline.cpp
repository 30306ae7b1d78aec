#include "export/locationcsvline.h"

using namespace Qt::StringLiterals;

namespace pk::LocationCsvLine {

namespace {

QString oneLine(const QString &value)
{
    if (!value.contains(u'\n') && !value.contains(u'\r'))
        return value;
    QString out = value;
    out.replace(u"\r\n"_s, u" "_s);
    out.replace(u'\n', u' ');
    out.replace(u'\r', u' ');
    return out;
}

} // namespace

QString write(const LocationRecord &record, bool withSiteInfo, bool withRating)
{
    QString line = u'"' + oneLine(record.Category) + u"\",\""_s + oneLine(record.Location)
                   + u"\",\""_s + oneLine(record.Description) + u'"';
    if (withSiteInfo) {
        line.chop(1);
        line += u"\",\""_s + oneLine(record.SiteInfo) + u'"';
    }
    if (withRating)
        line += u',' + QString::number(record.Rating);
    return line;
}

} // namespace pk::LocationCsvLine
