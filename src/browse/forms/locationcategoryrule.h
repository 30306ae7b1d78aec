#pragma once

#include <QStringList>

namespace pk {

class Collection;
class ErrorManager;
class UserInterface;
struct LocationRecord;

/**
 * @brief The category entry of the location form and the New-location wizard: the categories
 * it offers and validity rule 1 (the category must name a row of Categories).
 */
class LocationCategoryRule final
{
public:
    LocationCategoryRule(Collection &collection, UserInterface &ui, ErrorManager &errors);

    /// Every category in key order but "_Before All" and "_After All".
    QStringList choices();
    /// The first category a new location starts with; blank when there is none.
    QString first();
    /// True when `record`'s category names a category; otherwise reported ("Field contents
    /// error") and false. Other store failures are left to the save that follows.
    bool check(const LocationRecord &record);

private:
    Collection &m_collection;
    UserInterface &m_ui;
    ErrorManager &m_errors;
};

} // namespace pk
