#include "browse/widgets/locationbrowseprocedure.h"

#include "browse/list/locationcolumns.h"
#include "browse/query/queryfieldtable.h"
#include "browse/query/queryfieldtexts.h"
#include "browse/query/querytexts.h"
#include "browse/query/widgets/fieldsearchdialog.h"
#include "browse/query/widgets/querywizarddialog.h"
#include "browse/widgets/locationbrowsewindow.h"
#include "browse/widgets/memberbrowsewindow.h"
#include "shell/favoritesfolder.h"
#include "shell/procedurenames.h"
#include "shell/procedureregistry.h"
#include "shell/shell.h"

#include <QPointer>

namespace pk {

LocationBrowseWindow::Environment locationBrowseEnvironment(const ProcedureCall &call,
                                                            const QString &findFields)
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
    env.findDialog = [memory, &shell, findFields](QWidget *parent, bool &findNext) {
        findNext = false;
        const QString expression = FieldSearchDialog::vsFind(findFields,
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
    return env;
}

namespace {

QWidget *openLocationBrowse(const ProcedureCall &call)
{
    return new LocationBrowseWindow(locationBrowseEnvironment(call, LocationColumns::findFields()));
}

QWidget *openMemberBrowse(const ProcedureCall &call, MemberRows::Kind kind)
{
    return new MemberBrowseWindow(locationBrowseEnvironment(call, MemberRows::findFields(kind)),
                                  kind);
}

} // namespace

void registerLocationBrowse()
{
    ProcedureRegistry::instance().add(QLatin1String(Procedure::BrowseLocations),
                                      &openLocationBrowse);
    ProcedureRegistry::instance().add(QLatin1String(Procedure::BrowseKeywords),
                                      [](const ProcedureCall &call) {
                                          return openMemberBrowse(call, MemberRows::Kind::Keywords);
                                      });
    ProcedureRegistry::instance().add(QLatin1String(Procedure::BrowseDetails),
                                      [](const ProcedureCall &call) {
                                          return openMemberBrowse(call, MemberRows::Kind::Details);
                                      });
}

} // namespace pk
