#include "cli/locationoutput.h"

#include "import/csv/locationcsvline.h"
#include "store/picture.h"

#include <QDate>
#include <QJsonDocument>

using namespace Qt::StringLiterals;

namespace pk {

namespace {

constexpr int LocationColumn = 50;
constexpr int CategoryColumn = 20;
constexpr int RatingColumn = 6;
constexpr int StateColumn = 8;
constexpr int DescriptionColumn = 60;

QString cell(const QString &text, int width)
{
    QString flat = text;
    flat.replace(u'\n', u' ').replace(u'\r', u' ').replace(u'\t', u' ');
    if (flat.size() > width)
        return flat.left(width - 1) + u'~';
    return flat.leftJustified(width);
}

QJsonValue date(qint32 day)
{
    const QDate d = DayNumber::toDate(day);
    return d.isValid() ? QJsonValue(d.toString(Qt::ISODate)) : QJsonValue(QJsonValue::Null);
}

} // namespace

std::optional<LocationOutput::Format> LocationOutput::formatFromName(const QString &name)
{
    if (name.compare(u"table"_s, Qt::CaseInsensitive) == 0)
        return Format::Table;
    if (name.compare(u"csv"_s, Qt::CaseInsensitive) == 0)
        return Format::Csv;
    if (name.compare(u"json"_s, Qt::CaseInsensitive) == 0)
        return Format::Json;
    return std::nullopt;
}

LocationOutput::LocationOutput(Format format, std::FILE *out)
    : m_format(format)
    , m_out(out)
{}

QString LocationOutput::stateName(int validated)
{
    switch (validated) {
    case 1:
        return u"passed"_s;
    case 2:
        return u"failed"_s;
    default:
        return u"unknown"_s;
    }
}

QJsonObject LocationOutput::toJson(const LocationRecord &r)
{
    return QJsonObject{
        {u"location"_s, r.Location},
        {u"description"_s, r.Description},
        {u"category"_s, r.Category},
        {u"rating"_s, r.Rating},
        {u"keyword"_s, r.Keyword},
        {u"siteInfo"_s, r.SiteInfo},
        {u"lastVisit"_s, date(r.LastVisit)},
        {u"lastValidated"_s, date(r.LastValidated)},
        {u"validated"_s, stateName(r.Validated)},
        {u"movedTo"_s, r.MovedTo},
        {u"comments"_s, r.Comments},
        {u"userName"_s, r.UserName},
        {u"expires"_s, date(r.Expires)},
        {u"pageSize"_s, r.PageSize},
        {u"emailAddress"_s, r.EmailAddress},
        {u"originalFilename"_s, r.OriginalFilename},
        {u"custom1"_s, r.Custom1},
        {u"custom2"_s, r.Custom2},
        {u"custom3"_s, r.Custom3},
    };
}

QString LocationOutput::tableHeading()
{
    return cell(u"Location"_s, LocationColumn) + u' ' + cell(u"Category"_s, CategoryColumn) + u' '
           + cell(u"Rating"_s, RatingColumn) + u' ' + cell(u"State"_s, StateColumn) + u' '
           + u"Description"_s;
}

QString LocationOutput::tableRow(const LocationRecord &r)
{
    const QString row = cell(r.Location, LocationColumn) + u' ' + cell(r.Category, CategoryColumn)
                        + u' ' + QString::number(r.Rating).rightJustified(RatingColumn - 1)
                        + u"  "_s + cell(stateName(r.Validated), StateColumn) + u' '
                        + cell(r.Description, DescriptionColumn);
    int end = int(row.size());
    while (end > 0 && row.at(end - 1) == u' ')
        --end;
    return row.left(end);
}

void LocationOutput::write(const QByteArray &bytes)
{
    std::fwrite(bytes.constData(), 1, std::size_t(bytes.size()), m_out);
}

void LocationOutput::begin()
{
    m_count = 0;
    if (m_format == Format::Table)
        write(tableHeading().toUtf8() + '\n');
    else if (m_format == Format::Json)
        write("[");
}

void LocationOutput::add(const LocationRecord &record)
{
    switch (m_format) {
    case Format::Table:
        write(tableRow(record).toUtf8() + '\n');
        break;
    case Format::Csv:
        write(LocationCsvLine::write(record, LocationCsvLine::Layout::Full).toUtf8() + '\n');
        break;
    case Format::Json:
        write((m_count == 0 ? QByteArray("\n") : QByteArray(",\n"))
              + QJsonDocument(toJson(record)).toJson(QJsonDocument::Compact));
        break;
    }
    ++m_count;
}

void LocationOutput::end()
{
    if (m_format == Format::Json)
        write(m_count == 0 ? QByteArray("]\n") : QByteArray("\n]\n"));
    std::fflush(m_out);
}

} // namespace pk
