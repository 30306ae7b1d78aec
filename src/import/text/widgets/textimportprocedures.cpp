#include "import/text/widgets/textimportprocedures.h"

#include "browse/forms/widgets/askcategorydialog.h"
#include "browse/forms/widgets/formscontext.h"
#include "browse/list/browserefresh.h"
#include "import/categorymode.h"
#include "import/csv/widgets/recordprogressdialog.h"
#include "import/importinsert.h"
#include "import/importwizard.h"
#include "import/text/textimportrun.h"
#include "shell/procedurenames.h"
#include "shell/procedureregistry.h"
#include "shell/shell.h"

#include <QPointer>

using namespace Qt::StringLiterals;

namespace pk {

namespace {

/// Started by the import wizard with its settings (type, file, assignment, category).
QWidget *openTextImport(const ProcedureCall &call, const ImportRequest &request)
{
    Shell &shell = call.shell;
    // Without settings: a CSV file, nothing named, categories guessed.
    ImportSettings settings;
    settings.type = u"CSV"_s;
    if (request.settings)
        settings = *request.settings;
    TextImport::Kind kind;
    if (!TextImport::kindFromType(settings.type, kind))
        kind = TextImport::Kind::Csv;
    TextImportRun run(shell.collection(),
                      shell.errors(),
                      kind,
                      settings.mode(),
                      settings.category,
                      settings.file);
    QPointer<QWidget> frame = call.frame;
    Shell *s = &shell;
    run.insert().setCategoryQuestion([s, frame](const LocationRecord &location,
                                                const QString &guess) -> std::optional<QString> {
        FormsContext context{s->collection(), s->ui(), s->errors(), &s->positionIni(), {}, {}, {}};
        AskCategoryDialog dialog(context, location, guess, frame);
        if (dialog.exec() != QDialog::Accepted)
            return std::nullopt;
        return dialog.logic().category();
    });
    if (!run.open())
        return nullptr;
    bool more = true;
    RecordProgressDialog progress(
        u"Processing Records"_s,
        [&]() -> std::optional<int> {
            if (!more)
                return std::nullopt;
            more = run.step();
            return run.percent();
        },
        call.frame);
    progress.setMessage(u"Importing"_s);
    progress.exec();
    if (!progress.completed())
        run.insert().markCancelled();
    run.finish();
    BrowseRefresh::instance().request();
    return nullptr;
}

} // namespace

void registerTextImportProcedures()
{
    ProcedureRegistry::instance().add<ImportRequest>(QString::fromLatin1(Procedure::ImportText),
                                                     &openTextImport);
}

} // namespace pk
