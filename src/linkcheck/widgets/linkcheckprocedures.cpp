#include "linkcheck/widgets/linkcheckprocedures.h"

#include "browse/list/browserefresh.h"
#include "browse/query/queryfieldtable.h"
#include "browse/query/queryfieldtexts.h"
#include "browse/query/querytexts.h"
#include "browse/query/widgets/querywizarddialog.h"
#include "linkcheck/favoritescheck.h"
#include "linkcheck/testlinksprocess.h"
#include "linkcheck/webchecksettings.h"
#include "linkcheck/widgets/invalidurlswindow.h"
#include "linkcheck/widgets/linktestwindow.h"
#include "linkcheck/widgets/testlinkswindow.h"
#include "shell/favoritesfolder.h"
#include "shell/procedurenames.h"
#include "shell/procedurerequests.h"
#include "shell/procedureregistry.h"
#include "shell/shell.h"
#include "platform/inifile.h"

#include <QPointer>

namespace pk {

namespace {

QWidget *openRetrieveAndTest(const ProcedureCall &call, const RetrieveAndTestRequest &request)
{
    retrieveAndTest(linkTestEnvironment(call.shell), request.location, request.update, call.frame);
    if (request.update)
        BrowseRefresh::instance().request();
    return nullptr;
}

QWidget *openValidateAllLinks(const ProcedureCall &call)
{
    Shell &shell = call.shell;
    QPointer<QWidget> frame = call.frame;
    TestLinksEnvironment env;
    env.test = linkTestEnvironment(shell);
    env.queryWizard = [&shell, frame]() -> std::optional<QString> {
        QueryFieldTable fields(QStringLiteral("URL"));
        fields.initialize(QueryFieldTexts::locations(), shell.ui());
        return QueryWizardDialog::run(fields, QueryTexts::shared(), shell.ui(), QString(), frame);
    };
    env.refreshLists = [] { BrowseRefresh::instance().request(); };
    env.web = WebCheckSettings::load(shell.pathkeepIni());
    auto process = std::make_unique<TestLinksProcess>(std::move(env));
    if (!process->confirm())
        return nullptr;
    return new TestLinksWindow(std::move(process), call.frame);
}

QWidget *openValidateIELinks(const ProcedureCall &call)
{
    Shell &shell = call.shell;
    auto check = std::make_unique<FavoritesCheck>(linkTestEnvironment(shell));
    if (!check->confirm())
        return nullptr;
    const QString configured = shell.settings().values().favoritesPath.trimmed();
    check->load(configured.isEmpty() ? FavoritesFolder::lookup(shell.registry()) : configured);
    return new InvalidUrlsWindow(std::move(check), call.frame);
}

} // namespace

LinkTestEnvironment linkTestEnvironment(Shell &shell)
{
    LinkTestEnvironment env;
    env.collection = [&shell] { return &shell.collection(); };
    env.ui = &shell.ui();
    env.errors = &shell.errors();
    return env;
}

int retrieveAndTest(const LinkTestEnvironment &environment,
                    const QString &url,
                    bool update,
                    QWidget *parent)
{
    LinkTest test(environment, url, update);
    LinkTestWindow window(test, parent);
    return window.exec();
}

void registerLinkCheckProcedures()
{
    auto &registry = ProcedureRegistry::instance();
    registry.add<RetrieveAndTestRequest>(&openRetrieveAndTest);
    registry.add(QString::fromLatin1(Procedure::ValidateAll), &openValidateAllLinks);
    registry.add(QString::fromLatin1(Procedure::ValidateFavorites), &openValidateIELinks);
}

} // namespace pk
