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
#include "shell/procedureregistry.h"
#include "shell/shell.h"
#include "shell/widgets/mainframe.h"
#include "shell/widgets/procedurelauncher.h"

#include <QDesktopServices>
#include <QPointer>
#include <QUrl>

namespace pk {

namespace {

FormsContext contextOf(const ProcedureCall &call)
{
    Shell &shell = call.shell;
    QPointer<QWidget> frame = call.frame;
    FormsContext context{shell.collection(), shell.ui(), shell.errors(), &shell.positionIni(), {}, {}};
    context.startProcedure = [frame](const QString &procedure, const QVariantMap &arguments) {
        if (!ProcedureRegistry::instance().contains(procedure))
            return false;
        if (auto *main = qobject_cast<MainFrame *>(frame.data()))
            return main->launcher().start(procedure, arguments);
        const ProcedureRegistry::Factory factory = ProcedureRegistry::instance().factory(procedure);
        if (Shell *current = Shell::instance(); factory && current) {
            if (QWidget *window = factory(ProcedureCall{*current, frame, arguments}))
                window->show();
            return true;
        }
        return false;
    };
    context.openFile = [](const QString &file) { return QDesktopServices::openUrl(QUrl::fromLocalFile(file)); };
    return context;
}

QString argument(const ProcedureCall &call, const char *name)
{
    return call.arguments.value(QLatin1String(name)).toString();
}

QWidget *updateLocation(const ProcedureCall &call)
{
    LocationFormDialog::run(contextOf(call), FormRequests::fromArguments(call.arguments), argument(call, "Location"),
                            call.arguments, call.frame);
    return nullptr;
}

QWidget *newLocation(const ProcedureCall &call)
{
    // An address handed in the call wins; otherwise the process-wide input, used once.
    QString input = argument(call, "Location");
    const QString shared = NewLocationWizard::takeInput();
    if (input.isEmpty())
        input = shared;
    auto *dialog = new NewLocationWizardDialog(contextOf(call), input, {}, call.frame);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->show();
    return nullptr;
}

QWidget *updateCategory(const ProcedureCall &call, CategoryForm::Variant variant)
{
    CategoryFormDialog::run(contextOf(call), FormRequests::fromArguments(call.arguments), variant,
                            argument(call, "Category"), call.frame);
    return nullptr;
}

} // namespace

void registerLocationForms()
{
    ProcedureRegistry &registry = ProcedureRegistry::instance();
    registry.add(QLatin1String(LocationForm::Procedure), &updateLocation);
    registry.add(QLatin1String(NewLocationWizard::Procedure), &newLocation);
    registry.add(QLatin1String(CategoryBrowseWindow::Procedure),
                 [](const ProcedureCall &call) -> QWidget * { return new CategoryBrowseWindow(contextOf(call)); });
    registry.add(QLatin1String(CategoryBrowseWindow::LocationsProcedure), [](const ProcedureCall &call) -> QWidget * {
        return new CategoryLocationsWindow(contextOf(call), argument(call, "Category"));
    });
    registry.add(QLatin1String(CategoryForm::Procedure), [](const ProcedureCall &call) {
        return updateCategory(call, CategoryForm::Variant::Tabbed);
    });
    registry.add(QLatin1String(CategoryForm::NoMdiProcedure), [](const ProcedureCall &call) {
        return updateCategory(call, CategoryForm::Variant::NoMdi);
    });
    registry.add(QLatin1String(CatHtmlForm::Procedure), [](const ProcedureCall &call) -> QWidget * {
        CatHtmlDialog::run(contextOf(call), FormRequests::fromArguments(call.arguments), argument(call, "Category"),
                           argument(call, "Type"), call.frame);
        return nullptr;
    });
    registry.add(QLatin1String(SelectCategoryDialog::Procedure), [](const ProcedureCall &call) -> QWidget * {
        SelectCategoryDialog::select(contextOf(call), argument(call, "Category"), call.frame);
        return nullptr;
    });
}

} // namespace pk
