#pragma once

namespace pk {

/**
 * Registers the location form, the New-location wizard and the category windows with the
 * procedure registry: "UpdatePATHKEEP", "Wizard:NewURL", "BrowseCategories",
 * "UpdateCategories", "UpdateCategoriesNoMDI", "UpdateCatHTML", "SelectCategories" and
 * "BrowseLocationByCategory".
 */
void registerLocationForms();

} // namespace pk
