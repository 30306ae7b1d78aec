#include "export/advancedexportfields.h"

#include "import/csv/pictureentry.h"

#include <algorithm>

using namespace Qt::StringLiterals;

namespace pk {

AdvancedExportFields::AdvancedExportFields() = default;

const QList<ExportFieldEntry> &AdvancedExportFields::allFields()
{
    static const QList<ExportFieldEntry> fields{
        {u"URL:Location"_s, u"@s2048"_s},        {u"URL:Description"_s, u"@s255"_s},
        {u"URL:Category"_s, u"@s50"_s},          {u"URL:Rating"_s, u"@N2"_s},
        {u"URL:Keyword"_s, u"@s20"_s},           {u"URL:SiteInfo"_s, u"@s2048"_s},
        {u"URL:LastVisit"_s, u"@d17"_s},         {u"URL:LastValidated"_s, u"@d17"_s},
        {u"URL:Validated"_s, u"@n3"_s},          {u"URL:MovedTo"_s, u"@s2048"_s},
        {u"URL:Comments"_s, u"@s1024"_s},        {u"URL:UserName"_s, u"@s40"_s},
        {u"URL:Password"_s, u"@s20"_s},          {u"URL:Expires"_s, u"@d17b"_s},
        {u"URL:PageSize"_s, u"@n-14"_s},         {u"URL:EmailAddress"_s, u"@s60"_s},
        {u"URL:OriginalFilename"_s, u"@s255"_s}, {u"URL:Custom1"_s, u"@s60"_s},
        {u"URL:Custom2"_s, u"@s60"_s},           {u"URL:Custom3"_s, u"@s60"_s},
        {u"CAT:Category"_s, u"@s50"_s},          {u"CAT:Flag"_s, u"@n3"_s},
        {u"CAT:Description"_s, u"@s255"_s},
    };
    return fields;
}

QList<int> AdvancedExportFields::add(const QList<int> &markedAllRows, int &highlight)
{
    const bool wasEmpty = m_export.isEmpty();
    QList<int> rows = markedAllRows;
    std::sort(rows.begin(), rows.end());
    QList<int> marked;
    for (const int row : std::as_const(rows)) {
        if (row < 0 || row >= allFields().size())
            continue;
        const ExportFieldEntry &entry = allFields().at(row);
        const auto existing = std::find_if(m_export.cbegin(),
                                           m_export.cend(),
                                           [&](const ExportFieldEntry &e) {
                                               return e.name == entry.name;
                                           });
        const int at = static_cast<int>(existing - m_export.cbegin());
        if (existing == m_export.cend())
            m_export.append(entry);
        if (!marked.contains(at))
            marked.append(at);
    }
    if (wasEmpty && !m_export.isEmpty())
        highlight = 0;
    return marked;
}

int AdvancedExportFields::remove(const QList<int> &markedRows, int highlight)
{
    QList<int> rows = markedRows;
    std::sort(rows.begin(), rows.end(), std::greater<>());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    for (const int row : std::as_const(rows)) {
        if (row < 0 || row >= m_export.size())
            continue;
        m_export.removeAt(row);
        if (row < highlight)
            --highlight;
    }
    if (m_export.isEmpty())
        return -1;
    return std::clamp(highlight, 0, static_cast<int>(m_export.size()) - 1);
}

int AdvancedExportFields::shiftUp(int row)
{
    if (row <= 0 || row >= m_export.size())
        return row;
    m_export.swapItemsAt(row, row - 1);
    return row - 1;
}

int AdvancedExportFields::shiftDown(int row)
{
    if (row < 0 || row + 1 >= m_export.size())
        return row;
    m_export.swapItemsAt(row, row + 1);
    return row + 1;
}

void AdvancedExportFields::setPicture(int row, const QString &picture)
{
    if (row >= 0 && row < m_export.size() && !picture.trimmed().isEmpty())
        m_export[row].picture = picture.trimmed();
}

QString AdvancedExportFields::kindText(const QString &picture)
{
    return PictureEntry::kindText(picture, u"Alpha-numeric"_s, u"Numeric"_s);
}

} // namespace pk
