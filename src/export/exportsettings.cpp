#include "export/exportsettings.h"

#include "platform/inifile.h"
#include "store/fieldtext.h"

using namespace Qt::StringLiterals;

namespace pk {

namespace {

const QString section = QString::fromLatin1(ExportSettings::Section);

QString readText(const IniFile &ini, const QString &key, const QString &current, int width)
{
    return fitToField(ini.value(section, key, current), width);
}

bool readFlag(const IniFile &ini, const QString &key, bool current)
{
    return ini.intValue(section, key, current ? 1 : 0) != 0;
}

} // namespace

ExportSettings &ExportSettings::shared()
{
    static ExportSettings settings;
    return settings;
}

void ExportSettings::load(const IniFile &ini)
{
    filePreformatted = readText(ini, u"Export:File:Preformatted"_s, filePreformatted, 255);
    type = readText(ini, u"Export:Type"_s, type, 10);
    file = readText(ini, u"Export:File"_s, file, 255);
    categoryAssignment = readText(ini, u"Export:Category:Assignment"_s, categoryAssignment, 10);
    category = readText(ini, u"Export:Category"_s, category, 50);
    order = readText(ini, u"Export:Order"_s, order, 20);
    pageTitle = readText(ini, u"Export:PageTitle"_s, pageTitle, 255);
    metaKeywords = readText(ini, u"Export:Meta:Keywords"_s, metaKeywords, 1024);
    metaDescription = readText(ini, u"Export:Meta:Description"_s, metaDescription, 1024);
    rating = readFlag(ini, u"Export::Rating"_s, rating);
    keyword = readFlag(ini, u"Export::Keyword"_s, keyword);
    siteInfo = readFlag(ini, u"Export::SiteInfo"_s, siteInfo);
    otherFields = readFlag(ini, u"Export::OtherFields"_s, otherFields);
    if (categoryAssignment.isEmpty())
        categoryAssignment = u"All"_s;
    if (type.isEmpty())
        type = u"Table"_s;
    if (order.isEmpty())
        order = u"Location"_s;
}

void ExportSettings::save(IniFile &ini) const
{
    ini.setValue(section, u"Export:File:Preformatted"_s, filePreformatted);
    ini.setValue(section, u"Export:File"_s, file);
    ini.setValue(section, u"Export:File:"_s + type, file);
    ini.setValue(section, u"Export:Type"_s, type);
    ini.setValue(section, u"Export:Category:Assignment"_s, categoryAssignment);
    ini.setValue(section, u"Export:Category"_s, category);
    ini.setValue(section, u"Export:Order"_s, order);
    ini.setValue(section, u"Export:PageTitle"_s, pageTitle);
    ini.setValue(section, u"Export:Meta:Keywords"_s, metaKeywords);
    ini.setValue(section, u"Export:Meta:Description"_s, metaDescription);
    ini.setValue(section, u"Export::Rating"_s, rating ? 1 : 0);
    ini.setValue(section, u"Export::Keyword"_s, keyword ? 1 : 0);
    ini.setValue(section, u"Export::SiteInfo"_s, siteInfo ? 1 : 0);
    ini.setValue(section, u"Export::OtherFields"_s, otherFields ? 1 : 0);
}

QString ExportSettings::fileForType(const IniFile &ini, const QString &type)
{
    return fitToField(ini.value(section, u"Export:File:"_s + type), 255);
}

bool ExportSettings::isHtmlType() const
{
    return type == u"Simple"_s || type == u"Table"_s || type == u"Frame"_s;
}

bool ExportSettings::isGrouped() const
{
    return order == u"CatDesc"_s || order == u"CatLoc"_s;
}

} // namespace pk
