#pragma once

namespace pk {

class UserInterface;
struct LocationRecord;

/// The forms' check of the addresses a person typed (`URL:Location`, and `URL:MovedTo` when
/// filled in): the rule of LocationAddress, reported as an invalid entry naming the address.
namespace AddressEntry {
/// True when both may be stored; otherwise the first problem is reported and false returned.
bool accept(UserInterface &ui, const LocationRecord &record);
/// The same, after the required "&Location:" entry: a blank address is reported as missing.
bool acceptRequired(UserInterface &ui, const LocationRecord &record);
} // namespace AddressEntry

} // namespace pk
