#pragma once

#include "browse/forms/widgets/formscontext.h"

namespace pk {

struct ProcedureCall;

/// What a window started as a procedure gets to reach the collection, the user and the
/// frame's starter: the one FormsContext every subsystem's procedures build their windows with.
FormsContext formsContext(const ProcedureCall &call);

/**
 * Registers the location form, the New-location wizard and the category windows with the
 * procedure registry: "UpdatePATHKEEP", "Wizard:NewURL", "BrowseCategories",
 * "UpdateCategories", "UpdateCategoriesNoMDI", "UpdateCatHTML", "SelectCategories" and
 * "BrowseLocationByCategory".
 */
void registerLocationForms();

} // namespace pk
