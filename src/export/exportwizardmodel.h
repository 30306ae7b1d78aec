#pragma once

#include "export/exportenvironment.h"
#include "export/exportsettings.h"

#include <QString>
#include <QStringList>

#include <functional>

namespace pk {

class IniFile;

/**
 * @brief What the export wizard (`Wizard:Export`) decides, without its window: the settings it
 * edits, which controls the type enables, the per-type file name memory, and the finish.
 */
class ExportWizardModel final
{
public:
    static constexpr const char *Title = "Export Wizard";

    /// The type choices: value and the text of its option.
    static const QList<QPair<QString, QString>> &types();
    /// The order choices: value and text.
    static const QList<QPair<QString, QString>> &orders();
    /// The selection choices: value and text.
    static const QList<QPair<QString, QString>> &assignments();

    /// Reads the settings from `ini` over `current` (the values of this program run).
    ExportWizardModel(IniFile &ini, const ExportSettings &current);

    ExportSettings &settings() { return m_settings; }
    const ExportSettings &settings() const { return m_settings; }

    /// A new type: the file entry takes the name last used with it, when one was stored.
    void setType(const QString &type);

    QString fileMask() const;
    bool preformattedEnabled() const;
    bool preformattedUsed() const { return preformattedEnabled() && m_settings.typePreformatted; }
    bool fieldsPageVisible() const;
    bool webGroupVisible() const;
    bool metaEnabled() const;
    bool categoryControlsEnabled() const;

    /// What the finish needs from the program around it.
    struct Runners
    {
        std::function<ExportResult(const ExportSettings &)> exportFile;
        std::function<ExportResult(const ExportSettings &)> preformatted;
        /// The bookmark file for browsers.
        std::function<ExportResult(const ExportSettings &)> bookmarkFile;
        /// Starts `Export:Advanced`; false when it is not available.
        std::function<bool()> advanced;
        std::function<void(const QString &file)> launch;
    };

    /**
     * Runs the export that fits the type, then offers to open the file ("Would you like to
     * launch ...") or says it was created. False when nothing was run (the wizard stays open).
     */
    bool finish(UserInterface &ui, const Runners &runners);
    /// The last finish() was refused for its file (none named, no such folder, not writable):
    /// the user corrects the file entry.
    bool fileRefused() const { return m_fileRefused; }
    /// Why `file` cannot be exported to, or blank when it can be tried.
    static QString fileProblem(const QString &file);

    /// Writes every setting back to the INI object and saves it; keeps them for this run.
    void close(ExportSettings &current);

private:
    IniFile &m_ini;
    ExportSettings m_settings;
    bool m_fileRefused = false;
};

} // namespace pk
