#include "browse/list/locationlaunch.h"

#include "framework/errormanager.h"
#include "platform/launcher.h"
#include "store/collection.h"
#include "store/locationmanager.h"
#include "store/picture.h"

namespace pk::LocationLaunch {

bool launch(Collection &collection,
            Launcher &launcher,
            ErrorManager &errors,
            const QString &location)
{
    const bool started = launcher.launch(location);
    LocationRecord record;
    if (!collection.locations().get(location, record))
        return started;
    record.LastVisit = DayNumber::today();
    const StoreStatus status = collection.locations().change(location, record);
    if (!status && status.catalogueNumber != 0)
        errors.raise(status.catalogueNumber, status.context);
    return started;
}

} // namespace pk::LocationLaunch
