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
    FormsContext context{shell.collection(),
                         shell.ui(),
                         shell.errors(),
                         &shell.positionIni(),
                         {},
                         {}};
    context.starter = &call.starter;
    context.openFile = [](const QString &file) {
        return QDesktopServices::openUrl(QUrl::fromLocalFile(file));
    };
    return context;
}

namespace {

QString argument(const ProcedureCall &call, const char *name)
{
    return call.arguments.value(QLatin1String(name)).toString();
}

QWidget *updateLocation(const ProcedureCall &call)
{
    LocationFormDialog::run(formsContext(call),
                            FormRequests::fromArguments(call.arguments),
                            argument(call, "Location"),
                            call.arguments,
                            call.frame);
    return nullptr;
}

QWidget *newLocation(const ProcedureCall &call)
{
    // An address handed in the call wins; otherwise the process-wide input, used once.
    QString input = argument(call, "Location");
    const QString shared = NewLocationWizard::takeInput();
    if (input.isEmpty())
        input = shared;
    auto *dialog = new NewLocationWizardDialog(formsContext(call), input, {}, call.frame);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->show();
    return nullptr;
}

QWidget *updateCategory(const ProcedureCall &call, CategoryForm::Variant variant)
{
    CategoryFormDialog::run(formsContext(call),
                            FormRequests::fromArguments(call.arguments),
                            variant,
                            argument(call, "Category"),
                            call.frame);
    return nullptr;
}

} // namespace

void registerLocationForms()
{
    ProcedureRegistry &registry = ProcedureRegistry::instance();
    registry.add(QLatin1String(Procedure::UpdateLocation), &updateLocation);
    registry.add(QLatin1String(Procedure::NewUrlWizard), &newLocation);
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
    registry.add(QLatin1String(Procedure::BrowseCategoryLocations),
                 [](const ProcedureCall &call) -> QWidget * {
                     return new CategoryLocationsWindow(formsContext(call),
                                                        argument(call, "Category"));
                 });
    registry.add(QLatin1String(Procedure::UpdateCategory), [](const ProcedureCall &call) {
        return updateCategory(call, CategoryForm::Variant::Tabbed);
    });
    registry.add(QLatin1String(Procedure::UpdateCategoryNoMdi), [](const ProcedureCall &call) {
        return updateCategory(call, CategoryForm::Variant::NoMdi);
    });
    registry.add(QLatin1String(Procedure::UpdateCatHtml),
                 [](const ProcedureCall &call) -> QWidget * {
                     CatHtmlDialog::run(formsContext(call),
                                        FormRequests::fromArguments(call.arguments),
                                        argument(call, "Category"),
                                        argument(call, "Type"),
                                        call.frame);
                     return nullptr;
                 });
    registry.add(QLatin1String(Procedure::SelectCategory),
                 [](const ProcedureCall &call) -> QWidget * {
                     SelectCategoryDialog::select(formsContext(call),
                                                  argument(call, "Category"),
                                                  call.frame);
                     return nullptr;
                 });
}

} // namespace pk
