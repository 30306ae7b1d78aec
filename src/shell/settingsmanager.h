#pragma once

#include "shell/appsettings.h"

#include <QString>

namespace pk {

class Collection;
class IniFile;
class Registry;
class UserInterface;

/**
 * @brief Reads and writes the per-collection settings rows and keeps the in-memory copy.
 *
 * A row missing from the collection is looked up in section `Settings` of PATHKEEP.INI (the
 * settings of earlier versions) with the caller's default, and a non-blank result is added as
 * a row: reading all settings with the in-memory values as defaults therefore carries them over
 * to a collection that has none. Storage errors are shown and never stop the program.
 */
class SettingsManager final
{
public:
    static constexpr const char *LegacySection = "Settings";

    SettingsManager(UserInterface &ui, IniFile &legacyIni, const Registry &registry);

    void setCollection(Collection *collection) { m_collection = collection; }
    Collection *collection() const { return m_collection; }

    AppSettings &values() { return m_values; }
    const AppSettings &values() const { return m_values; }

    /// Stores one row; shows the error and returns false when that fails.
    bool writeSetting(const QString &name, const QString &value);
    /// One row's value (255 characters); blank after a storage error, which is shown.
    QString readSetting(const QString &name,
                        const QString &defaultValue,
                        bool withoutDefault = false);

    /// Fills values() from the collection, in the documented order.
    void readAll();
    /// Writes the six options rows in one transaction; false when any write failed.
    bool writeOptions();
    /// Writes `settings` into the collection and makes them the in-memory values.
    bool writeOptions(const AppSettings &settings);

private:
    bool ensureOpen(QString &errorText);

    UserInterface &m_ui;
    IniFile &m_legacyIni;
    const Registry &m_registry;
    Collection *m_collection = nullptr;
    AppSettings m_values;
};

} // namespace pk
