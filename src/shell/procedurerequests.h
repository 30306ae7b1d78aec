#pragma once

#include "shell/procedurenames.h"

#include <QString>

class QWidget;

namespace pk {

class LocationRows;
struct LocationRecord;

// The requests of the procedures one subsystem starts in another (ProcedureStarter::start):
// the lists start the forms, the link test, the download and the report wizard, the forms
// start one another and the page analysis. Requests that stay inside one subsystem are kept
// beside it (the imports', the advanced export's).

/// What a form is opened for, as the lists ask for it.
enum class FormRequest { Insert, Change, Delete, View };

/// "UpdatePATHKEEP": the location form.
struct LocationFormRequest
{
    static constexpr const char *procedure = Procedure::UpdateLocation;
    FormRequest action = FormRequest::Insert;
    QString location{}; ///< the location to change, delete or view
    QString category{}; ///< the category a new location starts in; blank for the form's own
};

/// "Wizard:NewURL": the new-location wizard.
struct NewLocationRequest
{
    static constexpr const char *procedure = Procedure::NewUrlWizard;
    QString location{}; ///< the address to add; blank for the process-wide input
};

/// "UpdateCategories" and "UpdateCategoriesNoMDI": the category form (a request two
/// procedures take: started with ProcedureStarter::start(procedure, request)).
struct CategoryFormRequest
{
    FormRequest action = FormRequest::Insert;
    QString category{};
};

/// "UpdateCatHTML": a category's HTML text.
struct CatHtmlFormRequest
{
    static constexpr const char *procedure = Procedure::UpdateCatHtml;
    FormRequest action = FormRequest::Insert;
    QString category{};
    QString type{}; ///< where the text goes ("Before Category", ...)
};

/// "SelectCategories": the category list to choose from.
struct SelectCategoryRequest
{
    static constexpr const char *procedure = Procedure::SelectCategory;
    QString category{}; ///< the category shown first
};

/// "BrowseLocationByCategory": the locations of one category.
struct CategoryLocationsRequest
{
    static constexpr const char *procedure = Procedure::BrowseCategoryLocations;
    QString category{};
};

/// "AnalyzeURL": the page analysis.
struct AnalyzeUrlRequest
{
    static constexpr const char *procedure = Procedure::AnalyzeUrl;
    /// The page analysed in the analysis window alone (when no record is given).
    QString location{};
    /// A form's record to fill from its page (its Location) instead, with the page's keyword
    /// and detail rows into `rows` (the form's own, stored when the form is saved).
    LocationRecord *record = nullptr;
    LocationRows *rows = nullptr;
    /// The window the analysis shows over; null for the frame.
    QWidget *parent = nullptr;
};

/// "RetrieveAndTest": the link test of one location.
struct RetrieveAndTestRequest
{
    static constexpr const char *procedure = Procedure::RetrieveAndTest;
    QString location{};
    bool update = true; ///< the result is stored in the location
};

/// "DownloadURLs": the pages of the locations a condition selects.
struct DownloadUrlsRequest
{
    static constexpr const char *procedure = Procedure::DownloadUrls;
    QString condition{}; ///< a filter expression; blank: the process asks about the query wizard
};

/// "ReportWizard": the report wizard over a list.
struct ReportWizardRequest
{
    static constexpr const char *procedure = Procedure::ReportWizard;
    QString query{}; ///< the list's filter; blank for every location
    QString key{};   ///< the list's key name, the report's first order
};

} // namespace pk
