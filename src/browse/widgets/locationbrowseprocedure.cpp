#include "browse/widgets/locationbrowseprocedure.h"

#include "browse/list/locationcolumns.h"
#include "browse/query/queryfieldtable.h"
#include "browse/query/queryfieldtexts.h"
#include "browse/query/querytexts.h"
#include "browse/query/widgets/fieldsearchdialog.h"
#include "browse/query/widgets/querywizarddialog.h"
#include "browse/widgets/locationbrowsewindow.h"
#include "shell/favoritesfolder.h"
#include "shell/procedurenames.h"
#include "shell/procedureregistry.h"
#include "shell/shell.h"

#include <QPointer>

namespace pk {

namespace {

QWidget *openLocationBrowse(const ProcedureCall &call)
{
    Shell &shell = call.shell;
    QPointer<QWidget> frame = call.frame;

    LocationBrowse::Hooks hooks;
    hooks.starter = &call.starter;
    hooks.minimiseFrame = [frame] {
        if (frame)
            frame->showMinimized();
    };
    hooks.favouritesFolder = [&shell] {
        const QString configured = shell.settings().values().favoritesPath.trimmed();
        return configured.isEmpty() ? FavoritesFolder::lookup(shell.registry()) : configured;
    };

    // Each window keeps its own "Find..." memory and query wizard field table.
    auto memory = std::make_shared<FieldSearchMemory>();
    auto fields = std::make_shared<QueryFieldTable>(QStringLiteral("URL"));
    fields->initialize(QueryFieldTexts::locations(), shell.ui());

    LocationBrowseWindow::Environment env{shell.collection(),
                                          shell.ui(),
                                          shell.errors(),
                                          hooks,
                                          {},
                                          {},
                                          &shell.positionIni(),
                                          nullptr};
    env.findDialog = [memory, &shell](QWidget *parent, bool &findNext) {
        findNext = false;
        const QString expression = FieldSearchDialog::vsFind(LocationColumns::findFields(),
                                                             memory->label,
                                                             memory->value,
                                                             findNext,
                                                             shell.ui(),
                                                             parent);
        return expression;
    };
    env.queryWizard = [fields, &shell](QWidget *parent, const QString &current) {
        return QueryWizardDialog::run(*fields, QueryTexts::shared(), shell.ui(), current, parent);
    };
    return new LocationBrowseWindow(std::move(env));
}

} // namespace

void registerLocationBrowse()
{
    ProcedureRegistry::instance().add(QLatin1String(Procedure::BrowseLocations),
                                      &openLocationBrowse);
}

} // namespace pk
