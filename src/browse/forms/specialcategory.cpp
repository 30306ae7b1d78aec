#include "browse/forms/specialcategory.h"

#include "store/fieldtext.h"

namespace pk::SpecialCategory {

bool isSpecial(const QString &category)
{
    const QString name = trimTrailingSpaces(category);
    return name.compare(QLatin1String(BeforeAll), Qt::CaseInsensitive) == 0
           || name.compare(QLatin1String(AfterAll), Qt::CaseInsensitive) == 0;
}

} // namespace pk::SpecialCategory
