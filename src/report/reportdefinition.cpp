#include "report/reportdefinition.h"

#include "shell/procedurenames.h"
#include "store/fields.h"
#include "store/picture.h"

using namespace Qt::StringLiterals;

namespace pk {

namespace {

struct FixedReport
{
    const char *procedure;
    const char *title;
    const KeyDef &(*key)();
};

const FixedReport kFixed[] = {
    {Procedure::PrintByLocation, "URLs by Location", &Keys::urlLocation},
    {Procedure::PrintByDescription, "URLs by Description", &Keys::urlDescription},
    {Procedure::PrintByCategory, "URLs by Category", &Keys::urlCategory},
    {Procedure::PrintByRating, "URLs by Rating", &Keys::urlRating},
    {Procedure::PrintByKeyword, "URLs by Keyword", &Keys::urlKeyword},
};

} // namespace

ReportColumn ReportDefinition::column(const QString &heading, const QString &field)
{
    ReportColumn c{heading, field, 20, false};
    const FieldDef *def = findField(field);
    if (!def)
        return c;
    const Picture picture(QString::fromLatin1(def->picture));
    if (def->isText()) {
        // Long memos wrap; the report gives them room without letting them crowd out the rest.
        c.characters = std::min(def->width, 100);
    } else if (picture.isDate()) {
        c.characters = 10;
    } else {
        c.characters = std::max(3, picture.width() > 0 ? picture.width() : def->width);
        c.alignRight = true;
    }
    return c;
}

std::optional<ReportDefinition> ReportDefinition::fixed(const QString &procedure)
{
    if (procedure == QLatin1String(Procedure::PrintCategories)) {
        ReportDefinition d;
        d.title = u"Categories"_s;
        d.columns = {column(u"Category"_s, u"CAT:Category"_s),
                     column(u"Description"_s, u"CAT:Description"_s)};
        d.key = &Keys::catCategory();
        d.categories = true;
        return d;
    }
    for (const FixedReport &f : kFixed) {
        if (procedure != QLatin1String(f.procedure))
            continue;
        ReportDefinition d;
        d.title = QString::fromLatin1(f.title);
        ReportColumn location = column(u"Location"_s, u"URL:Location"_s);
        ReportColumn description = column(u"Description"_s, u"URL:Description"_s);
        // The description is cut at 100 characters; an address is shown whole (it wraps).
        description.maxCharacters = 100;
        d.columns = {location,
                     description,
                     column(u"Category"_s, u"URL:Category"_s),
                     column(u"Rating"_s, u"URL:Rating"_s),
                     column(u"Keyword"_s, u"URL:Keyword"_s)};
        d.key = &f.key();
        d.queryQuestion = u"Would you like to apply a query to this report?"_s;
        return d;
    }
    return std::nullopt;
}

} // namespace pk
