#pragma once

namespace pk::Procedure {

// Every name a window or process is registered and started under (ProcedureRegistry,
// ProcedureStarter). Window positions in POSITION.INI are kept under the same names.

// Frame: menu, tool bar and tray
inline constexpr const char *ImportWizard = "Wizard:Import";
inline constexpr const char *ExportWizard = "Wizard:Export";
inline constexpr const char *PreviousVersionImport = "ImportPATHKEEP";
// The imports the import wizard starts by kind; each takes the import settings as arguments
// ("Type", "File", "Folder", "Assignment", "Category", "URL", "FollowLinks").
inline constexpr const char *ImportFavorites = "ImportIEFavorites";
inline constexpr const char *ImportHtml = "Wizard:Import:HTML";
inline constexpr const char *ImportText = "Wizard:Import:Text";
inline constexpr const char *ImportBrowser = "Wizard:Import:Browser";
/// "From web site" with "Follow embedded links": the page's links, as the HTML import takes them.
inline constexpr const char *ImportWebPage = "Wizard:Import:WebPage";
inline constexpr const char *ImportHelp = "ImportHelp";
inline constexpr const char *ExportHelp = "ExportHelp";
inline constexpr const char *ExportAdvanced = "Export:Advanced";
inline constexpr const char *AdvancedImport = "Import:Advanced";
inline constexpr const char *RepairFiles = "RepairFiles";
inline constexpr const char *BrowseLocations = "BrowsePATHKEEP";
inline constexpr const char *BrowseByCategory = "BrowseCategoriesAndURL";
inline constexpr const char *BrowseKeywords = "BrowseURLKeywords";
inline constexpr const char *BrowseDetails = "BrowseURLDetails";
inline constexpr const char *BrowseCategories = "BrowseCategories";
inline constexpr const char *ReportWizard = "ReportWizard";
inline constexpr const char *PrintByDescription = "PrintURL:K_Description";
inline constexpr const char *PrintByLocation = "PrintURL:K_Location";
inline constexpr const char *PrintByCategory = "PrintURL:K_Category";
inline constexpr const char *PrintByRating = "PrintURL:K_Rating";
inline constexpr const char *PrintByKeyword = "PrintURL:K_Keyword";
inline constexpr const char *PrintCategories = "PrintCAT:K_Category";
inline constexpr const char *NewUrlWizard = "Wizard:NewURL";
inline constexpr const char *ClipboardMonitor = "ClipboardMonitor";
inline constexpr const char *AnalyzeMultiple = "Analyze:MultipleURLs";
inline constexpr const char *ValidateAll = "ValidateAllLinks";
inline constexpr const char *ValidateFavorites = "ValidateIELinks";
inline constexpr const char *SearchAndReplace = "Tools_Database_GlobalSearchAndReplace";
inline constexpr const char *RemoveInvalidLinks = "Database:RemoveInvalidLinks";
inline constexpr const char *QueryAndRemove = "Database:QueryAndRemove";
inline constexpr const char *FindDuplicates = "Tools:FindDuplicates";

// Started from lists and forms
inline constexpr const char *UpdateLocation = "UpdatePATHKEEP";
inline constexpr const char *UpdateCategory = "UpdateCategories";
inline constexpr const char *UpdateCategoryNoMdi = "UpdateCategoriesNoMDI";
inline constexpr const char *UpdateCatHtml = "UpdateCatHTML";
inline constexpr const char *SelectCategory = "SelectCategories";
inline constexpr const char *AskCategory = "AskCategory";
inline constexpr const char *BrowseCategoryLocations = "BrowseLocationByCategory";
inline constexpr const char *RetrieveAndTest = "RetrieveAndTest";
inline constexpr const char *AnalyzeUrl = "AnalyzeURL";
inline constexpr const char *DownloadUrls = "DownloadURLs";

} // namespace pk::Procedure
