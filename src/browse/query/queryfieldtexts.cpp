#include "browse/query/queryfieldtexts.h"

namespace pk::QueryFieldTexts {

// Columns: prompt, 0, name, picture, length, type, control, -, choices, -. Separators: U+00A6
// between columns, U+00AB after each row.

#define PK_LOCATION_FIELD_ROWS \
    u"Location (URL)¦0¦URL:Location¦@s255¦2048¦1¦1¦¦¦«" \
    u"Description of site¦0¦URL:Description¦@s100¦255¦1¦1¦¦¦«" \
    u"Category¦0¦URL:Category¦@s50¦50¦1¦1¦¦¦«" \
    u"Rating¦0¦URL:Rating¦@N2¦2¦2¦1¦¦¦«" \
    u"Keyword (or alternate category)¦0¦URL:Keyword¦@s20¦20¦1¦1¦¦¦«" \
    u"Information about site¦0¦URL:SiteInfo¦@s255¦2048¦1¦1¦¦¦«" \
    u"Date of last visit¦0¦URL:LastVisit¦@d17¦4¦2¦1¦¦¦«" \
    u"Date of last validation¦0¦URL:LastValidated¦@d17¦4¦2¦1¦¦¦«" \
    u"Validated 0=Unknown, 1=Pass, 2=Fail¦0¦URL:Validated¦@n3¦1¦2¦3¦¦Unknown|Passed|Failed¦«" \
    u"URL this entry has moved to¦0¦URL:MovedTo¦@s255¦2048¦1¦1¦¦¦«" \
    u"Comments¦0¦URL:Comments¦@s255¦1024¦1¦1¦¦¦«" \
    u"A user name associated with this site¦0¦URL:UserName¦@s40¦40¦1¦1¦¦¦«" \
    u"A password associated with this site¦0¦URL:Password¦@s20¦20¦1¦1¦¦¦«" \
    u"Date page expires according to server¦0¦URL:Expires¦@d17b¦4¦4¦1¦¦¦«" \
    u"Page size in bytes¦0¦URL:PageSize¦@n-14¦4¦2¦1¦¦¦«" \
    u"Associated e-mail address¦0¦URL:EmailAddress¦@s60¦60¦1¦1¦¦¦«" \
    u"Original file name this URL was loaded from¦0¦URL:OriginalFilename¦@s255¦255¦1¦1¦¦¦«" \
    u"Custom information field #1¦0¦URL:Custom1¦@s60¦60¦1¦1¦¦¦«" \
    u"Custom information field #2¦0¦URL:Custom2¦@s60¦60¦1¦1¦¦¦«" \
    u"Custom information field #3¦0¦URL:Custom3¦@s60¦60¦1¦1¦¦¦«"

namespace {

constexpr char16_t LocationRows[] = PK_LOCATION_FIELD_ROWS;

constexpr char16_t ExportRows[]
    = u"Category name¦0¦CAT:Category¦@s50¦50¦1¦1¦¦¦«"
      u"Category flag¦0¦CAT:Flag¦@n3¦1¦2¦2¦¦Flag¦«"
      u"Category description¦0¦CAT:Description¦@s255¦1000¦1¦1¦¦¦«" PK_LOCATION_FIELD_ROWS;

constexpr char16_t KeywordRows[] = u"Location¦0¦UDK:Location¦@s255¦2048¦1¦1¦¦¦«"
                                   u"Keyword¦0¦UDK:Keyword¦@s32¦32¦1¦1¦¦¦«";

constexpr char16_t DetailRows[] = u"Location¦0¦UDT:Location¦@s255¦2048¦1¦1¦¦¦«"
                                  u"Label¦0¦UDT:DataLabel¦@s30¦30¦1¦1¦¦¦«"
                                  u"Value¦0¦UDT:DataValue¦@s90¦90¦1¦1¦¦¦«";

} // namespace

#undef PK_LOCATION_FIELD_ROWS

QStringView locations()
{
    return QStringView(LocationRows);
}

QStringView exports()
{
    return QStringView(ExportRows);
}

QStringView keywords()
{
    return QStringView(KeywordRows);
}

QStringView details()
{
    return QStringView(DetailRows);
}

} // namespace pk::QueryFieldTexts
