#include "import/text/textimport.h"

#include "browse/forms/keywordguess.h"
#include "import/csv/locationcsvline.h"
#include "import/importinsert.h"
#include "import/text/addressscanner.h"
#include "store/fieldtext.h"
#include "store/records.h"

using namespace Qt::StringLiterals;

namespace pk {

TextImport::TextImport(Kind kind, ImportInsert &insert, QString sourceFile)
    : m_kind(kind)
    , m_insert(insert)
    , m_sourceFile(trimTrailingSpaces(sourceFile))
{}

bool TextImport::kindFromType(const QString &type, Kind &kind)
{
    const QString t = type.trimmed();
    if (t.compare(u"CSV"_s, Qt::CaseInsensitive) == 0) {
        kind = Kind::Csv;
        return true;
    }
    if (t.compare(u"ASCII"_s, Qt::CaseInsensitive) == 0) {
        kind = Kind::Ascii;
        return true;
    }
    return false;
}

void TextImport::add(QString category, LocationRecord &location)
{
    m_category = m_insert.assignCategory(category, location);
    location.Category = m_category;
    location.Keyword = KeywordGuess::fromDescription(location.Description);
    if (location.Location.startsWith(u'#'))
        return;
    location.OriginalFilename = truncateToWidth(m_sourceFile, 255);
    if (m_insert.insert(location) == ImportInsert::Outcome::Added)
        ++m_count;
}

void TextImport::importLine(QString line)
{
    line.remove(u'\r');
    if (m_kind == Kind::Csv) {
        // A record of several lines keeps its line breaks inside its quoted values.
        QString category;
        LocationRecord location;
        if (!LocationCsvLine::read(line, category, location))
            return;
        if (location.Location.startsWith(u'#')) {
            m_insert.countSkipped(ImportInsert::Skip::Anchor);
            return;
        }
        // Refused before its category is offered: a row of another layout adds nothing at all.
        if (!LocationCsvLine::isAddress(location.Location)) {
            m_insert.countRefused(ImportInsert::Refusal::NotAnAddress);
            return;
        }
        add(category, location);
        return;
    }
    line.remove(u'\n');
    for (const ScannedAddress &address : AddressScanner::scan(line)) {
        LocationRecord location;
        location.Location = address.location;
        location.Description = truncateToWidth(address.rest, 255);
        location.SiteInfo = truncateToWidth(address.rest, 2048);
        add(m_category, location);
    }
}

} // namespace pk
