#include "import/widgets/importprocedures.h"

#include "browse/forms/widgets/askcategorydialog.h"
#include "browse/forms/widgets/formscontext.h"
#include "browse/forms/widgets/formsprocedures.h"
#include "import/browserimport.h"
#include "import/chromiumbookmarks.h"
#include "import/favoritesimport.h"
#include "import/firefoxplaces.h"
#include "import/htmlimport.h"
#include "import/importsettings.h"
#include "import/importwizard.h"
#include "import/webpageimport.h"
#include "import/widgets/browserimportwindow.h"
#include "import/widgets/favoritesimportwindow.h"
#include "import/widgets/helpviewerwindow.h"
#include "import/widgets/htmlimportwindow.h"
#include "import/widgets/importwizardwindow.h"
#include "import/widgets/webpageimportwindow.h"
#include "framework/userinterface.h"
#include "platform/appfolders.h"
#include "shell/favoritesfolder.h"
#include "shell/procedurenames.h"
#include "shell/procedureregistry.h"
#include "shell/shell.h"

#include <QDir>
#include <QPointer>

using namespace Qt::StringLiterals;

namespace pk {

namespace {

/// The "Category Assignment" question for the imports.
ImportInsert::CategoryQuestion askCategory(const ProcedureCall &call)
{
    QPointer<QWidget> frame = call.frame;
    Shell *shell = &call.shell;
    return [shell, frame](const LocationRecord &location,
                          const QString &guess) -> std::optional<QString> {
        FormsContext context{shell->collection(),
                             shell->ui(),
                             shell->errors(),
                             &shell->positionIni(),
                             {},
                             {},
                             {}};
        AskCategoryDialog dialog(context, location, guess, frame);
        if (dialog.exec() != QDialog::Accepted)
            return std::nullopt;
        return dialog.logic().category();
    };
}

QString favoritesFolder(Shell &shell)
{
    const QString configured = shell.settings().values().favoritesPath.trimmed();
    return configured.isEmpty() ? FavoritesFolder::lookup(shell.registry()) : configured;
}

/// The settings an import starts with: the request's, or PATHKEEP.INI without them.
ImportSettings settingsOf(const ProcedureCall &call, const ImportRequest &request)
{
    if (request.settings) {
        ImportSettings s = *request.settings;
        s.fit();
        return s;
    }
    ImportSettings s = ImportSettings::load(call.shell.pathkeepIni(), favoritesFolder(call.shell));
    const QString saved = call.shell.pathkeepIni().value(QLatin1String(ImportSettings::Section),
                                                         u"Import:Folder"_s);
    if (!saved.isEmpty())
        s.folder = saved;
    return s;
}

QWidget *openWizard(const ProcedureCall &call)
{
    Shell &shell = call.shell;
    ImportSettings settings = ImportSettings::load(shell.pathkeepIni(), favoritesFolder(shell));
    auto save = [&shell](const ImportSettings &s) {
        // Written as the wizard closes; a failure to write is not reported.
        s.save(shell.pathkeepIni());
        shell.pathkeepIni().save();
    };
    // The collection is taken afresh each time: a switch of collection closes no wizard.
    auto context = [call] { return formsContext(call); };
    // A window of its own beside the frame (see ImportWizardWindow).
    auto *wizard = new ImportWizardWindow(std::move(context),
                                          std::move(settings),
                                          std::move(save),
                                          call.frame);
    wizard->setAttribute(Qt::WA_DeleteOnClose);
    if (call.frame) {
        // Over the frame until the user puts it elsewhere (kept from then on).
        wizard->adjustSize();
        wizard->move(call.frame->geometry().center() - wizard->rect().center());
    }
    FormsUi::keepPosition(wizard, &shell.positionIni(), QLatin1String(Procedure::ImportWizard));
    wizard->show();
    return nullptr;
}

QWidget *openFavoritesImport(const ProcedureCall &call, const ImportRequest &request)
{
    const ImportSettings s = settingsOf(call, request);
    auto import = std::make_unique<FavoritesImport>(call.shell.collection(),
                                                    call.shell.errors(),
                                                    s.folder,
                                                    s.mode(),
                                                    s.category);
    import->inserter().setCategoryQuestion(askCategory(call));
    return new FavoritesImportWindow(std::move(import));
}

QWidget *openHtmlImport(const ProcedureCall &call, const ImportRequest &request)
{
    const ImportSettings s = settingsOf(call, request);
    auto import = std::make_unique<HtmlImport>(call.shell.collection(),
                                               call.shell.errors(),
                                               HtmlImport::Settings{s.type,
                                                                    s.file,
                                                                    s.mode(),
                                                                    s.category,
                                                                    s.nestedFolders != 0});
    import->inserter().setCategoryQuestion(askCategory(call));
    if (!import->open())
        return nullptr;
    return new HtmlImportWindow(std::move(import));
}

QWidget *openBrowserImport(const ProcedureCall &call, const ImportRequest &request)
{
    const ImportSettings s = settingsOf(call, request);
    const QString file = ImportWizard::browserFile(s.type, s.file, QDir::homePath());
    std::vector<BrowserBookmark> bookmarks;
    QString error;
    const bool firefox = s.type.compare(u"Firefox"_s, Qt::CaseInsensitive) == 0;
    if (file.trimmed().isEmpty())
        error = u"No bookmarks of this browser were found. Name the file to import."_s;
    else if (firefox ? !FirefoxPlaces::read(file, bookmarks, error)
                     : !ChromiumBookmarks::read(file, bookmarks, error)) {
        // error says why
    } else {
        auto import = std::make_unique<BrowserImport>(call.shell.collection(),
                                                      call.shell.errors(),
                                                      file,
                                                      s.mode(),
                                                      s.category);
        import->inserter().setCategoryQuestion(askCategory(call));
        import->setBookmarks(std::move(bookmarks));
        return new BrowserImportWindow(std::move(import));
    }
    call.shell.ui().message(u"Import"_s, error, UserInterface::Icon::Warning);
    return nullptr;
}

QWidget *openWebPageImport(const ProcedureCall &call, const ImportRequest &request)
{
    const ImportSettings s = settingsOf(call, request);
    auto import = std::make_unique<WebPageImport>(call.shell.collection(),
                                                  call.shell.errors(),
                                                  s.url,
                                                  s.mode(),
                                                  s.category);
    import->inserter().setCategoryQuestion(askCategory(call));
    if (!import->start())
        return nullptr;
    return new WebPageImportWindow(std::move(import));
}

QWidget *openHelp(const char *file, const QString &title)
{
    const QString path = ImportWizard::helpFile(QLatin1String(file),
                                                Shell::collectionFolder(),
                                                AppFolders::dataFolder());
    const std::optional<QString> text = ImportWizard::readHelp(path);
    if (!text)
        return nullptr; // no help text: the wizard carries on without a window
    return new HelpViewerWindow(title, *text);
}

} // namespace

void registerImportProcedures()
{
    ProcedureRegistry &registry = ProcedureRegistry::instance();
    registry.add(QLatin1String(Procedure::ImportWizard), &openWizard);
    registry.add<ImportRequest>(QLatin1String(Procedure::ImportFavorites), &openFavoritesImport);
    registry.add<ImportRequest>(QLatin1String(Procedure::ImportHtml), &openHtmlImport);
    registry.add<ImportRequest>(QLatin1String(Procedure::ImportBrowser), &openBrowserImport);
    registry.add<ImportRequest>(QLatin1String(Procedure::ImportWebPage), &openWebPageImport);
    registry.add(QLatin1String(Procedure::ImportHelp), [](const ProcedureCall &) {
        return openHelp(ImportWizard::ImportHelpFile, u"Import Help"_s);
    });
    registry.add(QLatin1String(Procedure::ExportHelp), [](const ProcedureCall &) {
        return openHelp(ImportWizard::ExportHelpFile, u"Export Help"_s);
    });
}

} // namespace pk
