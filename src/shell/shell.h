#pragma once

#include "framework/errormanager.h"
#include "platform/inifile.h"
#include "platform/registry.h"
#include "shell/collectionfilecheck.h"
#include "shell/fileopener.h"
#include "shell/settingsmanager.h"
#include "shell/textindexfiller.h"
#include "shell/windowthreads.h"

#include "pathkeepversion.h"

#include <QString>

#include <functional>
#include <memory>

namespace pk {

class Collection;
class UserInterface;

/**
 * @brief The process-wide state of the program and the collection commands.
 *
 * One instance lives for the whole run (instance() finds it). It owns the open collection, the
 * settings, the INI files, the error manager and the logical window threads, and carries out
 * start-up preparation, "&New Database", "&Open Database" and the collection switch. Windows
 * hook in through the callbacks: the frame refreshes its status bar and opens the start-up list.
 *
 * Child windows must take the collection from collection() each time they need it: a switch
 * closes them all first and then replaces the Collection object.
 */
class Shell final
{
public:
    static constexpr const char *Version = PK_VERSION;
    static constexpr const char *DefaultExportFile = "bookmark.htm";
    static constexpr const char *ProductName = "Pathkeep 2005";

    using HaltHandler = std::function<void(const QString &endText)>;

    explicit Shell(UserInterface &ui);
    ~Shell();
    Shell(const Shell &) = delete;
    Shell &operator=(const Shell &) = delete;

    /// The program's shell, or nullptr before it was made.
    static Shell *instance();

    UserInterface &ui() const { return m_ui; }
    ErrorManager &errors() { return m_errors; }
    IniFile &pathkeepIni() { return m_pathkeepIni; }
    IniFile &positionIni() { return m_positionIni; }
    Registry &registry() { return m_registry; }
    SettingsManager &settings() { return m_settings; }
    WindowThreads &threads() { return m_threads; }
    FileOpener &fileOpener() { return m_opener; }
    Collection &collection() { return *m_collection; }

    /// The collection folder (the current directory), without a trailing '/'.
    static QString collectionFolder();
    bool bodyInFrame() const { return m_bodyInFrame; }

    /**
     * What a fatal error does once its message was shown. The default asks the program to end
     * (TerminationRequest, and every event loop is left) and returns, so that the program
     * closes the normal way; tests record the end text instead.
     */
    void setHaltHandler(HaltHandler handler);
    void halt(const QString &endText);
    /// True once a fatal error halted the program (until the next prepare()).
    bool halted() const { return m_halted; }

    /// Asked to open the start-up list after a collection was created or opened.
    void setStartupListHandler(std::function<void()> handler)
    {
        m_openStartupList = std::move(handler);
    }
    /// Told after the collection folder changed (status bar zone 2).
    void setFolderChangedHandler(std::function<void()> handler)
    {
        m_folderChanged = std::move(handler);
    }

    /**
     * Start-up preparation: reads the INI files, gives a collection without templates the
     * shipped ones (from `templateFolder`, when given), opens the collection's files through
     * open-with-recovery and reads all settings. False when the program was halted.
     */
    bool prepare(const QString &templateFolder = {});

    /// The procedure of the start-up list: the split list for "Category", else the location list.
    QString startupProcedure() const;

    /// "&New Database". True when a new collection was made current.
    bool newCollection();
    /// "&Open Database". True when the chosen collection was made current.
    bool openCollection();
    /// Makes `folder` current and runs the collection switch. False when a window refused to
    /// close (nothing changes then), the folder could not be entered or the program was halted.
    bool switchCollection(const QString &folder);

    /// Starts the background damage check of the open collection's files (when enabled).
    void checkCollectionFiles();
    CollectionFileCheck &fileCheck() { return m_fileCheck; }

    /// Writes the frame's and the INI object's state out (close-down).
    void saveIni();

    /// Asks every child window to close; true when none is left.
    bool closeOtherWindows();

private:
    bool openCollectionFiles();

    UserInterface &m_ui;
    ErrorManager m_errors;
    IniFile m_pathkeepIni;
    IniFile m_positionIni;
    Registry m_registry;
    SettingsManager m_settings;
    WindowThreads m_threads;
    FileOpener m_opener;
    std::unique_ptr<Collection> m_collection;
    TextIndexFiller m_textIndexFiller;
    CollectionFileCheck m_fileCheck;
    HaltHandler m_halt;
    std::function<void()> m_openStartupList;
    std::function<void()> m_folderChanged;
    bool m_bodyInFrame = false;
    bool m_halted = false;
};

} // namespace pk
