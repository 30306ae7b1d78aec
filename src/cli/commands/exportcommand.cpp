// export TYPE FILE: the Export Wizard's exports and the field-selected export.

#include "cli/commands/commandcontext.h"
#include "cli/commands/commands.h"
#include "cli/consoleuserinterface.h"
#include "cli/fieldlistoption.h"
#include "cli/progressbar.h"
#include "export/advancedexport.h"
#include "export/bookmarkfileexport.h"
#include "export/exportfile.h"
#include "export/exportsettings.h"
#include "export/exportwizardmodel.h"
#include "export/preformattedexport.h"
#include "platform/appfolders.h"
#include "platform/inifile.h"
#include "store/collection.h"

#include <QCommandLineParser>
#include <QFileInfo>
#include <QScopeGuard>

using namespace Qt::StringLiterals;

namespace pk::Cli {

namespace {

/// Lets messages clear the bar's line while it lives.
auto attachBarTo(ConsoleUserInterface &ui, ProgressBar &bar)
{
    ui.setProgressBar(&bar);
    return qScopeGuard([&ui] { ui.setProgressBar(nullptr); });
}

/// The export's settings from the command line.
ExportSettings settingsOf(QCommandLineParser &parser, const QString &type, const QString &order)
{
    ExportSettings settings;
    settings.type = type;
    settings.file = QFileInfo(parser.positionalArguments().at(1)).absoluteFilePath();
    settings.order = order;
    settings.pageTitle = parser.value(u"title"_s);
    settings.metaKeywords = parser.value(u"meta-keywords"_s);
    settings.metaDescription = parser.value(u"meta-description"_s);
    settings.rating = parser.isSet(u"rating"_s);
    settings.siteInfo = parser.isSet(u"site-info"_s);
    settings.typePreformatted = parser.isSet(u"preformatted"_s);
    if (parser.isSet(u"query"_s)) {
        settings.categoryAssignment = u"Query"_s;
    } else if (parser.isSet(u"category"_s)) {
        settings.categoryAssignment = u"Selected"_s;
        settings.category = parser.value(u"category"_s).trimmed();
    }
    return settings;
}

/// The field-selected export ("ADV").
int exportFields(const ExportSettings &settings,
                 const QString &query,
                 const QList<ExportFieldEntry> &fields,
                 bool header,
                 CommandContext &context)
{
    AdvancedExportSettings chosen;
    chosen.file = settings.file;
    chosen.order = settings.order;
    chosen.assignment = settings.categoryAssignment;
    chosen.category = settings.category;
    chosen.queryCondition = settings.categoryAssignment == u"Query"_s ? query : QString();
    ProgressBar bar(context.options().progress, context.err());
    const auto detachBar = attachBarTo(context.ui(), bar);
    AdvancedExport exporter(context.collection(), context.ui());
    if (!exporter.open(chosen, fields, header))
        return Failure;
    AdvancedExport::Step step = AdvancedExport::Step::More;
    while ((step = exporter.step()) == AdvancedExport::Step::More)
        bar.update(exporter.percent());
    bar.clear();
    const bool closed = exporter.close();
    if (step == AdvancedExport::Step::Failed || !closed || context.halted())
        return Failure;
    context.note(QString::number(exporter.written()) + u" location(s) exported to "_s
                 + settings.file + u'.');
    return Success;
}

/// The exports the Export Wizard runs, chosen by its rules.
int exportByWizard(const ExportSettings &settings, const QString &query, CommandContext &context)
{
    // PATHKEEP.INI is only read, never written.
    IniFile ini(AppFolders::pathkeepIni());
    ini.load();
    ExportWizardModel model(ini, settings);
    model.settings() = settings;
    if (settings.typePreformatted && !model.preformattedUsed())
        return context.usageError(u"--preformatted needs an HTML type"_s);

    ProgressBar bar(context.options().progress, context.err());
    const auto detachBar = attachBarTo(context.ui(), bar);
    ExportEnvironment env;
    env.collection = &context.collection();
    env.ui = &context.ui();
    env.queryWizard = [query]() -> std::optional<QString> { return query; };
    env.progress = [&bar](qint64 done, qint64 total) {
        bar.update(total > 0 ? int(qMin<qint64>(100, done * 100 / total)) : 100);
        return true;
    };
    env.bodyInFrame = ini.intValue(u"Settings"_s, u"BodyInFrame"_s) != 0;
    env.templateFolder = context.collection().folder();

    ExportResult result = ExportResult::Failed;
    qint64 written = -1;
    ExportWizardModel::Runners runners;
    runners.exportFile = [&env, &result, &written](const ExportSettings &s) {
        ExportFile exporter(s, env);
        result = exporter.run();
        written = exporter.written();
        return result;
    };
    runners.preformatted = [&env, &result](const ExportSettings &s) {
        result = PreformattedExport(s, env).run();
        return result;
    };
    runners.bookmarkFile = [&env, &result, &written](const ExportSettings &s) {
        BookmarkFileExport exporter(s, env);
        result = exporter.run();
        written = exporter.written();
        return result;
    };
    context.ui().setAnswer(u"Would you like to launch "_s + model.settings().file + u" now?"_s,
                           false);
    model.finish(context.ui(), runners);
    bar.clear();
    if (result != ExportResult::Written || context.halted())
        return Failure;
    context.note((written >= 0 ? QString::number(written) + u" location(s) exported to "_s
                               : u"Exported to "_s)
                 + model.settings().file + u'.');
    return Success;
}

} // namespace

void exportOptions(QCommandLineParser &parser)
{
    parser.addPositionalArgument(u"TYPE"_s, exportTypes().join(u", "_s) + u'.');
    parser.addPositionalArgument(u"FILE"_s, u"The file written."_s);
    parser.addOption(Options::order());
    parser.addOption(Options::query());
    parser.addOption({u"category"_s, u"Export only this category."_s, u"C"_s});
    parser.addOption({u"title"_s, u"The page title of an HTML export."_s, u"TEXT"_s});
    parser.addOption({u"rating"_s, u"Include the rating."_s});
    parser.addOption({u"site-info"_s, u"Include the site information."_s});
    parser.addOption({u"meta-keywords"_s, u"Meta keywords of an HTML page."_s, u"TEXT"_s});
    parser.addOption({u"meta-description"_s, u"Meta description of an HTML page."_s, u"TEXT"_s});
    parser.addOption({u"fields"_s,
                      u"ADV: the fields in order, a picture after '@' where wanted, e.g. "
                      "URL:Location,URL:Rating@n3 (default: every field)."_s,
                      u"FIELD,..."_s});
    parser.addOption({u"header"_s, u"ADV: a first record of field names."_s});
    parser.addOption(
        {u"preformatted"_s, u"Fill the collection's HTML templates (Default_*.htm) instead."_s});
}

int runExport(QCommandLineParser &parser, CommandContext &context)
{
    const QStringList positional = parser.positionalArguments();
    if (positional.size() != 2)
        return context.usageError(u"export takes a TYPE and a FILE"_s);
    const QString type = pick(exportTypes(), positional.at(0));
    if (type.isEmpty())
        return context.usageError(u"unknown export type '"_s + positional.at(0) + u"'"_s);
    const QString order = pick(exportOrders(), parser.value(u"order"_s));
    if (order.isEmpty())
        return context.usageError(u"unknown order '"_s + parser.value(u"order"_s) + u"'"_s);
    if (parser.isSet(u"query"_s) && parser.isSet(u"category"_s))
        return context.usageError(u"use --query or --category, not both"_s);
    QList<ExportFieldEntry> fields = AdvancedExportFields::allFields();
    if (parser.isSet(u"fields"_s)) {
        QString error;
        const auto chosen = FieldListOption::exportFields(parser.value(u"fields"_s), error);
        if (!chosen)
            return context.usageError(error);
        fields = *chosen;
    }
    if (!context.openCollection())
        return Failure;
    const ExportSettings settings = settingsOf(parser, type, order);
    const QString query = parser.value(u"query"_s);
    if (type == u"ADV"_s)
        return exportFields(settings, query, fields, parser.isSet(u"header"_s), context);
    return exportByWizard(settings, query, context);
}

} // namespace pk::Cli
