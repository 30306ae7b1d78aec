#include "tools/widgets/toolsprocedures.h"

#include "browse/list/browserefresh.h"
#include "browse/query/queryfieldtable.h"
#include "browse/query/queryfieldtexts.h"
#include "browse/query/querytexts.h"
#include "browse/query/widgets/querywizarddialog.h"
#include "shell/procedurenames.h"
#include "shell/procedureregistry.h"
#include "shell/shell.h"
#include "tools/widgets/repairwindow.h"
#include "tools/widgets/searchreplacewindow.h"

#include <QPointer>
#include <QTimer>

namespace pk {

namespace {

QWidget *openSearchReplace(const ProcedureCall &call)
{
    Shell &shell = call.shell;
    QPointer<QWidget> frame = call.frame;
    SearchReplaceEnvironment env;
    env.collection = [&shell] { return &shell.collection(); };
    env.ui = &shell.ui();
    env.errors = &shell.errors();
    env.queryWizard = [&shell, frame]() -> std::optional<QString> {
        QueryFieldTable fields(QStringLiteral("URL"));
        fields.initialize(QueryFieldTexts::locations(), shell.ui());
        return QueryWizardDialog::run(fields, QueryTexts::shared(), shell.ui(), QString(), frame);
    };
    env.refreshLists = [] { BrowseRefresh::instance().request(); };
    // On its own over the frame: its letters need not give way to the frame's menu, and no
    // list changes under a run.
    SearchReplaceWindow window(std::move(env), frame);
    window.exec();
    return nullptr;
}

QWidget *openRepair(const ProcedureCall &call)
{
    // Modal: nothing else of the program opens a table while files are repaired.
    RepairWindow window(call.shell.collection(), call.shell.ui(), call.frame);
    QTimer::singleShot(0, &window, [&window] { window.start(); });
    window.exec();
    return nullptr;
}

} // namespace

void registerToolsProcedures()
{
    auto &registry = ProcedureRegistry::instance();
    registry.add(QString::fromLatin1(Procedure::SearchAndReplace), &openSearchReplace);
    registry.add(QString::fromLatin1(Procedure::RepairFiles), &openRepair);
}

} // namespace pk
