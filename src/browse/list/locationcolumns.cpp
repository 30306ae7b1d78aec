#include "browse/list/locationcolumns.h"

#include "store/picture.h"

#include <QStringList>

#include <array>

namespace pk {

namespace {

constexpr std::array<LocationColumn, LocationColumns::Count> kColumns{{
    {"", "URL:Validated", "", 10},
    {"Description", "URL:Description", "@S100", 107},
    {"Location", "URL:Location", "@S2048", 89},
    {"Category", "URL:Category", "@S50", 60},
    {"Rating", "URL:Rating", "@N2b", 25},
    {"Keyword", "URL:Keyword", "@s20", 46},
    {"Last Visit", "URL:LastVisit", "@d17", 47},
    {"Last Validated", "URL:LastValidated", "@d17", 51},
    {"Comments", "URL:Comments", "@s255", 100},
    {"User Name", "URL:UserName", "@s40", 100},
    {"Password", "URL:Password", "@s20", 80},
    {"Custom 1", "URL:Custom1", "@s60", 100},
    {"Custom 2", "URL:Custom2", "@s60", 100},
    {"Custom 3", "URL:Custom3", "@s60", 100},
    {"Site Info", "URL:SiteInfo", "@s255", 1020},
    {"Email Address", "URL:EmailAddress", "@s60", 240},
}};

QString text(const LocationRecord &r, int column)
{
    switch (column) {
    case LocationColumns::Description:
        return r.Description;
    case LocationColumns::Location:
        return r.Location;
    case LocationColumns::Category:
        return r.Category;
    case LocationColumns::Keyword:
        return r.Keyword;
    case LocationColumns::Comments:
        return r.Comments;
    case LocationColumns::UserName:
        return r.UserName;
    case LocationColumns::Password:
        return r.Password;
    case LocationColumns::Custom1:
        return r.Custom1;
    case LocationColumns::Custom2:
        return r.Custom2;
    case LocationColumns::Custom3:
        return r.Custom3;
    case LocationColumns::SiteInfo:
        return r.SiteInfo;
    case LocationColumns::EmailAddress:
        return r.EmailAddress;
    default:
        return {};
    }
}

} // namespace

std::span<const LocationColumn> LocationColumns::columns()
{
    return kColumns;
}

const LocationColumn &LocationColumns::column(int index)
{
    return kColumns.at(static_cast<std::size_t>(index));
}

QVariant LocationColumns::value(const LocationRecord &record, int column)
{
    switch (column) {
    case State:
        return int(record.Validated);
    case Rating:
        return record.Rating;
    case LastVisit:
        return record.LastVisit;
    case LastValidated:
        return record.LastValidated;
    default:
        return text(record, column);
    }
}

QString LocationColumns::display(const LocationRecord &record, int column)
{
    if (column < 0 || column >= Count || column == State)
        return {};
    // One Picture per column, made once: formatting runs for every visible cell.
    static const std::array<Picture, Count> pictures = [] {
        std::array<Picture, Count> out{Picture(QString()),
                                       Picture(QString()),
                                       Picture(QString()),
                                       Picture(QString()),
                                       Picture(QString()),
                                       Picture(QString()),
                                       Picture(QString()),
                                       Picture(QString()),
                                       Picture(QString()),
                                       Picture(QString()),
                                       Picture(QString()),
                                       Picture(QString()),
                                       Picture(QString()),
                                       Picture(QString()),
                                       Picture(QString()),
                                       Picture(QString())};
        for (int c = 0; c < Count; ++c)
            out[std::size_t(c)] = Picture(QString::fromLatin1(kColumns[std::size_t(c)].picture));
        return out;
    }();
    const Picture &picture = pictures[std::size_t(column)];
    switch (column) {
    case Rating:
        return picture.format(record.Rating).trimmed();
    case LastVisit:
        return record.LastVisit == 0 ? QString() : picture.format(record.LastVisit);
    case LastValidated:
        return record.LastValidated == 0 ? QString() : picture.format(record.LastValidated);
    default:
        return picture.format(text(record, column));
    }
}

const char *LocationColumns::sqlColumn(int column)
{
    if (column < 0 || column >= Count)
        return nullptr;
    // "URL:Validated" -> "Validated"
    const char *field = kColumns[std::size_t(column)].field;
    return field + 4;
}

QString LocationColumns::builtInFormat()
{
    QStringList parts;
    for (const LocationColumn &c : kColumns)
        parts << QString::fromLatin1(c.field) + QLatin1Char('/') + QString::number(c.width);
    return QStringLiteral("v1:") + parts.join(QLatin1Char(','));
}

QString LocationColumns::findFields()
{
    QString out;
    for (int i = Description; i < Count; ++i) {
        const LocationColumn &c = kColumns[std::size_t(i)];
        out += QString::fromLatin1(c.heading) + QLatin1Char('|') + QString::fromLatin1(c.picture)
               + QLatin1Char('|') + QString::fromLatin1(c.field) + QLatin1Char('|');
    }
    return out;
}

} // namespace pk
