#include "store/fields.h"

#include <QLatin1StringView>

#include <array>

namespace pk {

namespace {

using FT = FieldType;

constexpr FieldDef kLocationFields[] = {
    {"URL:Location", "Location", FT::Text, 2048, "@S2048", "Location (URL)", "&Location:"},
    {"URL:Description", "Description", FT::Text, 255, "@S100", "Description of site", "&Description:"},
    {"URL:Category", "Category", FT::Text, 50, "@S50", "Category", "&Category:"},
    {"URL:Rating", "Rating", FT::Number, 2, "@N2b", "Rating", "&Rating:"},
    {"URL:Keyword", "Keyword", FT::Text, 20, "@s20", "Keyword (or alternate category)", "&Keyword:"},
    {"URL:SiteInfo", "SiteInfo", FT::Text, 2048, "@s255", "Information about site", "&Site Info:"},
    {"URL:LastVisit", "LastVisit", FT::DayNumber, 0, "@d17", "Date of last visit", "&Last Visit:"},
    {"URL:LastValidated",
     "LastValidated",
     FT::DayNumber,
     0,
     "@d17",
     "Date of last validation",
     "Last &Validated:"},
    {"URL:Validated", "Validated", FT::Byte, 3, "@n3", "Validated 0=Unknown, 1=Pass, 2=Fail", ""},
    {"URL:MovedTo", "MovedTo", FT::Text, 2048, "@s2048", "URL this entry has moved to", "&Moved To:"},
    {"URL:Comments", "Comments", FT::Text, 1024, "@s255", "Comments", "&Comments:"},
    {"URL:UserName",
     "UserName",
     FT::Text,
     40,
     "@s40",
     "A user name associated with this site",
     "&User Name:"},
    {"URL:Password",
     "Password",
     FT::Text,
     20,
     "@s20",
     "A password associated with this site",
     "&Password:"},
    {"URL:Expires",
     "Expires",
     FT::Date,
     0,
     "@d17b",
     "Date page expires according to server",
     "&Expires:"},
    {"URL:PageSize", "PageSize", FT::Number, 10, "@n-14b", "Page size in bytes", "&Page size:"},
    {"URL:EmailAddress",
     "EmailAddress",
     FT::Text,
     60,
     "@s60",
     "Associated e-mail address",
     "&E-mail address:"},
    {"URL:OriginalFilename",
     "OriginalFilename",
     FT::Text,
     255,
     "@s255",
     "Original file name this URL was loaded from",
     ""},
    {"URL:Custom1", "Custom1", FT::Text, 60, "@s60", "Custom information field #1", "Custom &1:"},
    {"URL:Custom2", "Custom2", FT::Text, 60, "@s60", "Custom information field #2", "Custom &2:"},
    {"URL:Custom3", "Custom3", FT::Text, 60, "@s60", "Custom information field #3", "Custom &3:"},
};

constexpr FieldDef kDetailFields[] = {
    {"UDT:Location", "Location", FT::Text, 2048, "@S2048", "", ""},
    {"UDT:Sequence", "Sequence", FT::Number, 10, "", "", ""},
    {"UDT:DataLabel", "DataLabel", FT::Text, 30, "@s30", "", ""},
    {"UDT:DataValue", "DataValue", FT::Text, 90, "@s90", "", ""},
};

constexpr FieldDef kKeywordFields[] = {
    {"UDK:Location", "Location", FT::Text, 2048, "@S2048", "", ""},
    {"UDK:Sequence", "Sequence", FT::Number, 10, "", "", ""},
    {"UDK:Keyword", "Keyword", FT::Text, 32, "@s32", "", ""},
};

constexpr FieldDef kConfigurationFields[] = {
    {"CF:DataType", "DataType", FT::Text, 40, "", "", ""},
    {"CF:DataValue", "DataValue", FT::Text, 255, "", "", ""},
};

constexpr FieldDef kCategoryFields[] = {
    {"CAT:Category", "Category", FT::Text, 50, "@s50", "", "&Category:"},
    {"CAT:Flag", "Flag", FT::Byte, 3, "", "", ""},
    {"CAT:Description", "Description", FT::Memo, 1000, "@s255", "", "&Description:"},
};

constexpr FieldDef kCatHtmlFields[] = {
    {"HTM:CATEGORY", "CATEGORY", FT::Text, 50, "@s50", "", ""},
    {"HTM:TypeOfHTML", "TypeOfHTML", FT::Text, 30, "@s50", "", ""},
    {"HTM:HTMLtoAdd", "HTMLtoAdd", FT::Memo, 1000, "", "", ""},
};

constexpr FieldDef kImportLocationFields[] = {
    {"ILOC:LOCATION", "LOCATION", FT::Text, 255, "", "", ""},
    {"ILOC:DESCRIPTION", "DESCRIPTION", FT::Text, 100, "", "", ""},
    {"ILOC:CATEGORY", "CATEGORY", FT::Text, 30, "", "", ""},
    {"ILOC:RATING", "RATING", FT::Number, 2, "", "", ""},
    {"ILOC:KEYWORD", "KEYWORD", FT::Text, 10, "", "", ""},
    {"ILoc:SiteInfo", "SiteInfo", FT::Memo, 1000, "", "", ""},
};

using KC = KeyCollation;

constexpr KeyComponent kUrlLocation[] = {{"Location", false, KC::NoCaseExact}};
constexpr KeyComponent kUrlDescription[] = {{"Description", false, KC::NoCase}};
constexpr KeyComponent kUrlCategory[] = {{"Category", false, KC::NoCase},
                                         {"Description", false, KC::NoCase}};
constexpr KeyComponent kUrlCategoryLocation[] = {{"Category", false, KC::NoCase},
                                                 {"Location", false, KC::NoCase}};
constexpr KeyComponent kUrlRating[] = {{"Rating", true, KC::None},
                                       {"Description", false, KC::NoCase},
                                       {"Location", false, KC::NoCase}};
constexpr KeyComponent kUrlKeyword[] = {{"Keyword", false, KC::NoCase},
                                        {"Description", false, KC::NoCase},
                                        {"Location", false, KC::NoCase}};
constexpr KeyComponent kUdtLocation[] = {{"Location", false, KC::NoCaseExact},
                                         {"Sequence", false, KC::None}};
constexpr KeyComponent kUdkLocation[] = {{"Location", false, KC::NoCaseExact},
                                         {"Sequence", false, KC::None}};
constexpr KeyComponent kCfDataType[] = {{"DataType", false, KC::NoCase}};
constexpr KeyComponent kCatCategory[] = {{"Category", false, KC::NoCase}};
constexpr KeyComponent kHtmCategoryHtml[] = {{"CATEGORY", false, KC::NoCase},
                                             {"TypeOfHTML", false, KC::NoCase}};

const TableDef *locationsTablePtr()
{
    return &locationsTable();
}
const TableDef *detailsTablePtr()
{
    return &detailsTable();
}
const TableDef *keywordsTablePtr()
{
    return &keywordsTable();
}
const TableDef *configurationTablePtr()
{
    return &configurationTable();
}
const TableDef *categoriesTablePtr()
{
    return &categoriesTable();
}
const TableDef *catHtmlTablePtr()
{
    return &catHtmlTable();
}

const KeyDef kKeyUrlLocation{"URL:K_Location",
                             "URL_K_Location",
                             &locationsTablePtr,
                             kUrlLocation,
                             true,
                             false,
                             "Site Location"};
const KeyDef kKeyUrlDescription{"URL:K_Description",
                                "URL_K_Description",
                                &locationsTablePtr,
                                kUrlDescription,
                                false,
                                false,
                                "Site Description"};
const KeyDef kKeyUrlCategory{"URL:K_Category",
                             "URL_K_Category",
                             &locationsTablePtr,
                             kUrlCategory,
                             false,
                             false,
                             "Category"};
const KeyDef kKeyUrlCategoryLocation{"URL:K_CATEGORYLOCATION",
                                     "URL_K_CATEGORYLOCATION",
                                     &locationsTablePtr,
                                     kUrlCategoryLocation,
                                     false,
                                     false,
                                     "Category then Location"};
const KeyDef kKeyUrlRating{"URL:K_Rating",
                           "URL_K_Rating",
                           &locationsTablePtr,
                           kUrlRating,
                           false,
                           false,
                           "Rating"};
const KeyDef kKeyUrlKeyword{"URL:K_Keyword",
                            "URL_K_Keyword",
                            &locationsTablePtr,
                            kUrlKeyword,
                            false,
                            false,
                            "Keyword"};
const KeyDef kKeyUdtLocation{"UDT:K_LOCATION",
                             "UDT_K_LOCATION",
                             &detailsTablePtr,
                             kUdtLocation,
                             true,
                             true,
                             "Location"};
const KeyDef kKeyUdkLocation{"UDK:K_LOCATION",
                             "UDK_K_LOCATION",
                             &keywordsTablePtr,
                             kUdkLocation,
                             true,
                             true,
                             "Location"};
const KeyDef kKeyCfDataType{"CF:KEYDATATYPE",
                            "CF_KEYDATATYPE",
                            &configurationTablePtr,
                            kCfDataType,
                            true,
                            true,
                            ""};
const KeyDef kKeyCatCategory{"CAT:K_Category",
                             "CAT_K_Category",
                             &categoriesTablePtr,
                             kCatCategory,
                             true,
                             false,
                             "Category"};
const KeyDef kKeyHtmCategoryHtml{"HTM:KEYCATEGORYHTML",
                                 "HTM_KEYCATEGORYHTML",
                                 &catHtmlTablePtr,
                                 kHtmCategoryHtml,
                                 true,
                                 true,
                                 ""};

const KeyDef *const kLocationKeys[] = {&kKeyUrlLocation,
                                       &kKeyUrlDescription,
                                       &kKeyUrlCategory,
                                       &kKeyUrlCategoryLocation,
                                       &kKeyUrlRating,
                                       &kKeyUrlKeyword};
const KeyDef *const kDetailKeys[] = {&kKeyUdtLocation};
const KeyDef *const kKeywordKeys[] = {&kKeyUdkLocation};
const KeyDef *const kConfigurationKeys[] = {&kKeyCfDataType};
const KeyDef *const kCategoryKeys[] = {&kKeyCatCategory};
const KeyDef *const kCatHtmlKeys[] = {&kKeyHtmCategoryHtml};
const KeyDef *const kAllKeys[] = {&kKeyUrlLocation,
                                  &kKeyUrlDescription,
                                  &kKeyUrlCategory,
                                  &kKeyUrlCategoryLocation,
                                  &kKeyUrlRating,
                                  &kKeyUrlKeyword,
                                  &kKeyUdtLocation,
                                  &kKeyUdkLocation,
                                  &kKeyCfDataType,
                                  &kKeyCatCategory,
                                  &kKeyHtmCategoryHtml};

// Structure versions: Locations 2 added EmailAddress, OriginalFilename and Custom1..3;
// Locations 3, URLDetails 2 and URLKeywords 2 hold addresses of up to 2048 characters (255
// before). The stored rows need no change: only a program of the new structure writes longer
// ones.
const TableDef kLocations{"URL",
                          "PATHKEEP",
                          "Locations",
                          "main",
                          TableFile::Data,
                          3,
                          kLocationFields,
                          kLocationKeys};
const TableDef kDetails{"UDT",
                        "URLDetails",
                        "URLDetails",
                        "main",
                        TableFile::Data,
                        2,
                        kDetailFields,
                        kDetailKeys};
const TableDef kKeywords{"UDK",
                         "URLKeywords",
                         "URLKeywords",
                         "main",
                         TableFile::Data,
                         2,
                         kKeywordFields,
                         kKeywordKeys};
const TableDef kConfiguration{"CF",
                              "Configuration",
                              "Configuration",
                              "main",
                              TableFile::Data,
                              1,
                              kConfigurationFields,
                              kConfigurationKeys};
const TableDef kCategories{"CAT",
                           "Categories",
                           "Categories",
                           "cat",
                           TableFile::Categories,
                           1,
                           kCategoryFields,
                           kCategoryKeys};
const TableDef kCatHtml{"HTM",
                        "CatHTML",
                        "CatHTML",
                        "htm",
                        TableFile::CatHtml,
                        1,
                        kCatHtmlFields,
                        kCatHtmlKeys};
const TableDef kImportLocations{"ILOC",
                                "ImportPATHKEEP",
                                "URL_L",
                                "main",
                                TableFile::Data,
                                1,
                                kImportLocationFields,
                                {}};

const TableDef *const kCollectionTables[]
    = {&kLocations, &kDetails, &kKeywords, &kConfiguration, &kCategories, &kCatHtml};

QStringView prefixOf(QStringView name)
{
    const qsizetype colon = name.indexOf(QLatin1Char(':'));
    return colon < 0 ? name : name.left(colon);
}

} // namespace

const FieldDef *TableDef::field(QStringView columnOrName) const
{
    for (const FieldDef &f : fields) {
        if (columnOrName.compare(QLatin1StringView(f.column), Qt::CaseInsensitive) == 0
            || columnOrName.compare(QLatin1StringView(f.name), Qt::CaseInsensitive) == 0)
            return &f;
    }
    return nullptr;
}

int TableDef::fieldIndex(QStringView column) const
{
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (column.compare(QLatin1StringView(fields[i].column), Qt::CaseInsensitive) == 0)
            return static_cast<int>(i);
    }
    return -1;
}

const TableDef &locationsTable()
{
    return kLocations;
}
const TableDef &detailsTable()
{
    return kDetails;
}
const TableDef &keywordsTable()
{
    return kKeywords;
}
const TableDef &configurationTable()
{
    return kConfiguration;
}
const TableDef &categoriesTable()
{
    return kCategories;
}
const TableDef &catHtmlTable()
{
    return kCatHtml;
}
const TableDef &importLocationsTable()
{
    return kImportLocations;
}

std::span<const TableDef *const> collectionTables()
{
    return kCollectionTables;
}
std::span<const KeyDef *const> allKeys()
{
    return kAllKeys;
}

namespace Keys {
const KeyDef &urlLocation()
{
    return kKeyUrlLocation;
}
const KeyDef &urlDescription()
{
    return kKeyUrlDescription;
}
const KeyDef &urlCategory()
{
    return kKeyUrlCategory;
}
const KeyDef &urlCategoryLocation()
{
    return kKeyUrlCategoryLocation;
}
const KeyDef &urlRating()
{
    return kKeyUrlRating;
}
const KeyDef &urlKeyword()
{
    return kKeyUrlKeyword;
}
const KeyDef &udtLocation()
{
    return kKeyUdtLocation;
}
const KeyDef &udkLocation()
{
    return kKeyUdkLocation;
}
const KeyDef &cfDataType()
{
    return kKeyCfDataType;
}
const KeyDef &catCategory()
{
    return kKeyCatCategory;
}
const KeyDef &htmCategoryHtml()
{
    return kKeyHtmCategoryHtml;
}
} // namespace Keys

const TableDef *findTableByPrefix(QStringView prefix)
{
    const QStringView p = prefixOf(prefix);
    for (const TableDef *t : kCollectionTables) {
        if (p.compare(QLatin1StringView(t->prefix), Qt::CaseInsensitive) == 0)
            return t;
    }
    if (p.compare(QLatin1StringView(kImportLocations.prefix), Qt::CaseInsensitive) == 0)
        return &kImportLocations;
    return nullptr;
}

const FieldDef *findField(QStringView fullName)
{
    if (fullName.indexOf(QLatin1Char(':')) < 0)
        return nullptr;
    const TableDef *table = findTableByPrefix(fullName);
    if (!table)
        return nullptr;
    const QStringView trimmed = fullName.trimmed();
    for (const FieldDef &f : table->fields) {
        if (trimmed.compare(QLatin1StringView(f.name), Qt::CaseInsensitive) == 0)
            return &f;
    }
    return nullptr;
}

const KeyDef *findKey(QStringView name)
{
    for (const KeyDef *k : kAllKeys) {
        if (name.trimmed().compare(QLatin1StringView(k->name), Qt::CaseInsensitive) == 0)
            return k;
    }
    return nullptr;
}

} // namespace pk
