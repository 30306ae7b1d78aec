#include "browse/forms/locationcategoryrule.h"

#include "browse/forms/categorylist.h"
#include "framework/errorcatalogue.h"
#include "framework/errormanager.h"
#include "store/collection.h"
#include "store/locationmanager.h"

namespace pk {

LocationCategoryRule::LocationCategoryRule(Collection &collection,
                                           UserInterface &ui,
                                           ErrorManager &errors)
    : m_collection(collection)
    , m_ui(ui)
    , m_errors(errors)
{}

QStringList LocationCategoryRule::choices()
{
    CategoryList list(m_collection, m_ui, m_errors, CategoryList::Mode::Assignable);
    list.reload();
    return list.names();
}

QString LocationCategoryRule::first()
{
    const QStringList categories = choices();
    return categories.isEmpty() ? QString() : categories.first();
}

bool LocationCategoryRule::check(const LocationRecord &record)
{
    const StoreStatus status = m_collection.locations().validate(LocationManager::prepared(record));
    if (status || status.catalogueNumber != Msg::FieldContents)
        return true;
    m_errors.raise(status.catalogueNumber, status.context);
    return false;
}

} // namespace pk
