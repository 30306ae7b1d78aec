#include "import/importsettings.h"

#include "platform/inifile.h"
#include "store/fieldtext.h"

using namespace Qt::StringLiterals;

namespace pk {

namespace {

const QString kType = u"Import:Type"_s;
const QString kFile = u"Import:File"_s;
const QString kFolder = u"Import:Folder"_s;
const QString kAssignment = u"Import:Category:Assignment"_s;
const QString kCategory = u"Import:Category"_s;
const QString kUrl = u"Import:URL"_s;
const QString kFollowLinks = u"Import:FollowLinks"_s;
const QString kNestedFolders = u"Import:NestedFolders"_s;

QString section()
{
    return QLatin1String(ImportSettings::Section);
}

} // namespace

void ImportSettings::fit()
{
    type = fitToField(type, 10);
    file = fitToField(file, 255);
    folder = fitToField(folder, 255);
    assignment = fitToField(assignment, 10);
    category = fitToField(category, 50);
    url = trimTrailingSpaces(url); // an address is kept whole; Finish checks it
    followLinks = followLinks != 0 ? 1 : 0;
    nestedFolders = nestedFolders != 0 ? 1 : 0;
    if (type.isEmpty())
        type = u"IE"_s;
    if (assignment.isEmpty())
        assignment = u"Guess"_s;
}

ImportSettings ImportSettings::load(const IniFile &ini, const QString &favoritesFolder)
{
    ImportSettings s;
    s.type = ini.value(section(), kType);
    s.file = ini.value(section(), kFile);
    s.folder = favoritesFolder;
    s.assignment = ini.value(section(), kAssignment);
    s.category = ini.value(section(), kCategory);
    s.url = ini.value(section(), kUrl);
    s.followLinks = ini.intValue(section(), kFollowLinks, 0);
    s.nestedFolders = ini.intValue(section(), kNestedFolders, 0);
    s.fit();
    return s;
}

void ImportSettings::save(IniFile &ini) const
{
    ini.setValue(section(), kType, type);
    ini.setValue(section(), kFile, file);
    ini.setValue(section(), kFolder, folder);
    ini.setValue(section(), kAssignment, assignment);
    ini.setValue(section(), kCategory, category);
    ini.setValue(section(), kUrl, url);
    ini.setValue(section(), kFollowLinks, followLinks != 0 ? 1 : 0);
    ini.setValue(section(), kNestedFolders, nestedFolders != 0 ? 1 : 0);
}

CategoryMode ImportSettings::mode() const
{
    return CategoryModes::fromValue(assignment).value_or(CategoryMode::Guess);
}

} // namespace pk
