#include "browse/forms/widgets/formsprocedures.h"

#include "browse/forms/cathtmlform.h"
#include "browse/forms/categoryform.h"
#include "browse/forms/locationform.h"
#include "browse/forms/newlocationwizard.h"
#include "browse/forms/widgets/categorybrowsewindow.h"
#include "browse/forms/widgets/categoryformdialog.h"
#include "browse/forms/widgets/categorylocationswindow.h"
#include "browse/forms/widgets/cathtmldialog.h"
#include "browse/forms/widgets/locationformdialog.h"
#include "browse/forms/widgets/newlocationwizarddialog.h"
#include "browse/forms/widgets/selectcategorydialog.h"
#include "browse/forms/widgets/splitbrowsewindow.h"
#include "browse/list/locationcolumns.h"
#include "browse/widgets/locationbrowseprocedure.h"
#include "shell/procedurenames.h"
#include "shell/procedureregistry.h"
#include "shell/shell.h"

#include <QDesktopServices>
#include <QUrl>

namespace pk {

FormsContext formsContext(const ProcedureCall &call)
{
    Shell &shell = call.shell;
    FormsContext
        context{shell.collection(), shell.ui(), shell.errors(), &shell.positionIni(), {}, {}, {}};
    context.starter = &call.starter;
    context.openFile = [](const QString &file) {
        return QDesktopServices::openUrl(QUrl::fromLocalFile(file));
    };
    // The page analysis is link analysis's procedure, started like any other.
    context.analyze =
        [starter = &call.starter](LocationRecord &record, LocationRows &rows, QWidget *parent) {
            starter->start(AnalyzeUrlRequest{record.Location, &record, &rows, parent});
        };
    return context;
}

namespace {

QWidget *updateLocation(const ProcedureCall &call, const LocationFormRequest &request)
{
    LocationFormDialog::run(formsContext(call), request, call.frame);
    return nullptr;
}

QWidget *newLocation(const ProcedureCall &call, const NewLocationRequest &request)
{
    // An address handed in the call wins; otherwise the process-wide input, used once.
    QString input = request.location;
    const QString shared = NewLocationWizard::takeInput();
    if (input.isEmpty())
        input = shared;
    auto *dialog = new NewLocationWizardDialog(formsContext(call), input, {}, call.frame);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->show();
    return nullptr;
}

void addCategoryForm(ProcedureRegistry &registry, CategoryForm::Variant variant)
{
    registry.add<CategoryFormRequest>(CategoryForm::procedure(variant),
                                      [variant](const ProcedureCall &call,
                                                const CategoryFormRequest &request) -> QWidget * {
                                          CategoryFormDialog::run(formsContext(call),
                                                                  request.action,
                                                                  variant,
                                                                  request.category,
                                                                  call.frame);
                                          return nullptr;
                                      });
}

} // namespace

void registerLocationForms()
{
    ProcedureRegistry &registry = ProcedureRegistry::instance();
    registry.add<LocationFormRequest>(&updateLocation);
    registry.add<NewLocationRequest>(&newLocation);
    registry.add(QLatin1String(Procedure::BrowseCategories),
                 [](const ProcedureCall &call) -> QWidget * {
                     return new CategoryBrowseWindow(formsContext(call));
                 });
    registry
        .add(QLatin1String(Procedure::BrowseByCategory), [](const ProcedureCall &call) -> QWidget * {
            return new SplitBrowseWindow(formsContext(call),
                                         locationBrowseEnvironment(call,
                                                                   LocationColumns::findFields()));
        });
    registry.add<CategoryLocationsRequest>(
        [](const ProcedureCall &call, const CategoryLocationsRequest &request) -> QWidget * {
            return new CategoryLocationsWindow(formsContext(call), request.category);
        });
    addCategoryForm(registry, CategoryForm::Variant::Tabbed);
    addCategoryForm(registry, CategoryForm::Variant::NoMdi);
    registry.add<CatHtmlFormRequest>(
        [](const ProcedureCall &call, const CatHtmlFormRequest &request) -> QWidget * {
            CatHtmlDialog::run(formsContext(call),
                               request.action,
                               request.category,
                               request.type,
                               call.frame);
            return nullptr;
        });
    registry.add<SelectCategoryRequest>(
        [](const ProcedureCall &call, const SelectCategoryRequest &request) -> QWidget * {
            SelectCategoryDialog::select(formsContext(call), request.category, call.frame);
            return nullptr;
        });
}

} // namespace pk
