#include "browse/forms/addressentry.h"

#include "browse/forms/entryinput.h"
#include "browse/forms/requiredentry.h"
#include "store/fieldtext.h"
#include "store/locationaddress.h"
#include "store/records.h"

namespace pk::AddressEntry {

bool accept(UserInterface &ui, const LocationRecord &record)
{
    for (const QString *address : {&record.Location, &record.MovedTo}) {
        const LocationAddress::Problem problem = LocationAddress::check(*address);
        // A blank location is the required-entry check's to report; a blank Moved To is none.
        if (problem == LocationAddress::Problem::None || problem == LocationAddress::Problem::Blank)
            continue;
        EntryInput::report(ui, LocationAddress::message(problem, *address));
        return false;
    }
    return true;
}

bool acceptRequired(UserInterface &ui, const LocationRecord &record)
{
    if (trimTrailingSpaces(record.Location).trimmed().isEmpty()) {
        RequiredEntry::report(ui, QStringLiteral("&Location:"));
        return false;
    }
    return accept(ui, record);
}

} // namespace pk::AddressEntry
