#pragma once

#include "import/importsettings.h"
#include "shell/procedurerequests.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <optional>
#include <variant>
#include <vector>

namespace pk {

class Collection;

/// What the imports the wizard starts take: the wizard's settings; without them (started from
/// the menu) an import reads them from PATHKEEP.INI.
struct ImportRequest
{
    std::optional<ImportSettings> settings{};
};

/**
 * @brief The rules of the "Import Wizard": the kinds of source, the pages each kind shows, the
 * file filters, the category entry and which import "&Finish" starts.
 */
class ImportWizard final
{
public:
    struct Kind
    {
        const char *value; ///< stored in `Import:Type`
        const char *label; ///< on the Type page
    };

    /// The pages besides Type that a kind shows.
    struct Pages
    {
        bool category = true;
        bool file = false;
        bool favorites = false;
        bool url = false;
        bool operator==(const Pages &) const = default;
    };

    /// What "&Finish" starts: an import with the settings, or the new-location wizard on the
    /// address.
    struct Start
    {
        QString procedure{};
        std::variant<ImportRequest, NewLocationRequest> request{};
    };

    /// The kinds in the order the Type page lists them.
    static const std::vector<Kind> &kinds();
    static Pages pages(const QString &type);
    /// "Description|pattern|..." for the file-open dialog.
    static QString fileFilter(const QString &type);
    /// What the file page says about the file a kind reads (the CSV column order); blank for
    /// the kinds that need no word.
    static QString fileHint(const QString &type);
    /// Why "&Finish" cannot start the import of `settings`' file (nothing named, no such
    /// file): the message to show, blank when the file can be tried or the kind reads none.
    static QString fileProblem(const ImportSettings &settings);
    /// The category entry and its "..." button are usable only for "Selected".
    static bool categoryEnabled(const QString &assignment);
    static Start startFor(const ImportSettings &settings);

    /// "Firefox" or "Chromium": the import reads a browser profile's bookmark file.
    static bool isBrowserKind(const QString &type);
    /// The file a browser kind starts from: `current` when it already names that browser's
    /// bookmark file, else the first profile's file found under `home` (else `current`).
    static QString browserFile(const QString &type, const QString &current, const QString &home);

    /// Choosing from the category list: the chosen category, nothing when cancelled.
    using CategoryChooser = std::function<std::optional<QString>(const QString &current)>;

    /**
     * The category entry was accepted with `entry`: a blank entry or a category that exists is
     * kept (true); otherwise the category list opens: its choice replaces the entry (true), a
     * cancel leaves it for the user to correct (false, the focus goes back to the entry).
     */
    static bool acceptCategory(Collection &collection,
                               QString &entry,
                               const CategoryChooser &choose);

    /// The help text file: in the collection folder first, else in the data folder; blank when
    /// neither has it.
    static QString helpFile(const QString &name,
                            const QString &collectionFolder,
                            const QString &dataFolder);
    /// The lines of a help file as one text; nothing when it cannot be read.
    static std::optional<QString> readHelp(const QString &path);

    static constexpr const char *ImportHelpFile = "import.txt";
    static constexpr const char *ExportHelpFile = "export.txt";
};

} // namespace pk
