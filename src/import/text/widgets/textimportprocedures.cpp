#include "import/text/widgets/textimportprocedures.h"

#include "browse/forms/widgets/askcategorydialog.h"
#include "browse/forms/widgets/formscontext.h"
#include "browse/list/browserefresh.h"
#include "import/categorymode.h"
#include "import/csv/widgets/recordprogressdialog.h"
#include "import/importinsert.h"
#include "import/text/textimportrun.h"
#include "shell/procedurenames.h"
#include "shell/procedureregistry.h"
#include "shell/shell.h"

#include <QPointer>

using namespace Qt::StringLiterals;

namespace pk {

namespace {

/// Started by the import wizard with its settings ("Type", "File", "Assignment", "Category").
QWidget *openTextImport(const ProcedureCall &call)
{
    Shell &shell = call.shell;
    TextImport::Kind kind;
    if (!TextImport::kindFromType(call.arguments.value(u"Type"_s, u"CSV"_s).toString(), kind))
        kind = TextImport::Kind::Csv;
    const CategoryMode mode = CategoryModes::fromValue(
                                  call.arguments.value(u"Assignment"_s).toString())
                                  .value_or(CategoryMode::Guess);
    TextImportRun run(shell.collection(),
                      shell.errors(),
                      kind,
                      mode,
                      call.arguments.value(u"Category"_s).toString(),
                      call.arguments.value(u"File"_s).toString());
    QPointer<QWidget> frame = call.frame;
    Shell *s = &shell;
    run.insert().setCategoryQuestion(
        [s, frame](const LocationRecord &location, const QString &guess) -> std::optional<QString> {
            FormsContext context{s->collection(), s->ui(), s->errors(), &s->positionIni(), {}, {}};
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
    ProcedureRegistry::instance().add(QString::fromLatin1(Procedure::ImportText), &openTextImport);
}

} // namespace pk
