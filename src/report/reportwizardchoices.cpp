#include "report/reportwizardchoices.h"

#include "store/fields.h"
#include "store/picture.h"

using namespace Qt::StringLiterals;

namespace pk {

const QList<ReportWizardChoices::Choice> &ReportWizardChoices::columns()
{
    static const QList<Choice> list = {
        {u"Location"_s, u"URL:Location"_s},
        {u"Description"_s, u"URL:Description"_s},
        {u"Category"_s, u"URL:Category"_s},
        {u"Rating"_s, u"URL:Rating"_s},
        {u"Keyword"_s, u"URL:Keyword"_s},
        {u"Site Info"_s, u"URL:SiteInfo"_s},
        {u"Last Visit"_s, u"URL:LastVisit"_s},
        {u"Last Validated"_s, u"URL:LastValidated"_s},
        {u"Validated"_s, u"URL:Validated"_s},
        {u"Moved To"_s, u"URL:MovedTo"_s},
        {u"Comments"_s, u"URL:Comments"_s},
        {u"User Name"_s, u"URL:UserName"_s},
        {u"Password"_s, u"URL:Password"_s},
        {u"Expires"_s, u"URL:Expires"_s},
        {u"Page Size"_s, u"URL:PageSize"_s},
        {u"Email Address"_s, u"URL:EmailAddress"_s},
        {u"Original Filename"_s, u"URL:OriginalFilename"_s},
        {u"Custom 1"_s, u"URL:Custom1"_s},
        {u"Custom 2"_s, u"URL:Custom2"_s},
        {u"Custom 3"_s, u"URL:Custom3"_s},
    };
    return list;
}

const QList<ReportWizardChoices::Choice> &ReportWizardChoices::orders()
{
    static const QList<Choice> list = {
        {u"Site Location"_s, u"UPPER(URL:Location)"_s},
        {u"Site Description"_s, u"UPPER(URL:Description)"_s},
        {u"Category"_s, u"UPPER(URL:Category),UPPER(URL:Description)"_s},
        {u"Category then Location"_s, u"UPPER(URL:Category),UPPER(URL:Location)"_s},
        {u"Rating"_s, u"-URL:Rating,UPPER(URL:Description),UPPER(URL:Location)"_s},
        {u"Keyword"_s, u"UPPER(URL:Keyword),UPPER(URL:Description),UPPER(URL:Location)"_s},
    };
    return list;
}

const KeyDef *ReportWizardChoices::keyOf(const QString &expression)
{
    // Each order is the order of one key of Locations: the keys compare text without regard
    // to letter case, which is what UPPER() asks for.
    for (const KeyDef *key : locationsTable().keys) {
        QStringList parts;
        for (const KeyComponent &c : key->components) {
            const QString field = u"URL:"_s + QString::fromLatin1(c.column);
            const QString part = c.collation == KeyCollation::None ? field
                                                                   : u"UPPER("_s + field + u')';
            parts << (c.descending ? u"-"_s : QString()) + part;
        }
        if (parts.join(u',').compare(expression, Qt::CaseInsensitive) == 0)
            return key;
    }
    return nullptr;
}

int ReportWizardChoices::orderOfKey(const QString &keyName)
{
    for (qsizetype i = 0; i < orders().size(); ++i) {
        const KeyDef *key = keyOf(orders().at(i).value);
        if (key && QString::fromLatin1(key->name).compare(keyName, Qt::CaseInsensitive) == 0)
            return int(i);
    }
    return -1;
}

ReportDefinition ReportWizardChoices::report(const QList<int> &columns,
                                             int order,
                                             const QString &description,
                                             const QDate &today)
{
    ReportDefinition d;
    d.title = QString::fromLatin1(Title);
    d.subtitles = {description.trimmed(), Picture::format(u"@d17"_s, DayNumber::fromDate(today))};
    for (int i : columns) {
        if (i >= 0 && i < ReportWizardChoices::columns().size()) {
            const Choice &c = ReportWizardChoices::columns().at(i);
            d.columns << ReportDefinition::column(c.name, c.value);
        }
    }
    if (order >= 0 && order < orders().size())
        d.key = keyOf(orders().at(order).value);
    if (!d.key)
        d.key = &Keys::urlLocation();
    d.queryQuestion = QString::fromLatin1(QueryQuestion);
    return d;
}

} // namespace pk
