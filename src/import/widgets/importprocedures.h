#pragma once

namespace pk {

/**
 * Registers the import windows with the procedure registry: the "Import Wizard"
 * ("Wizard:Import"), the favourites import ("ImportIEFavorites"), the bookmark-file and HTML
 * import ("Wizard:Import:HTML") and the help viewers ("ImportHelp", "ExportHelp").
 */
void registerImportProcedures();

} // namespace pk
