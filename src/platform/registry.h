#pragma once

#include "platform/inifile.h"

namespace pk {

/**
 * @brief Read-only stand-in for the user's part of the system registry.
 *
 * Backed by `registry.ini` in the configuration folder: one section per key path (relative to
 * the current user, e.g. `Software\Microsoft\Windows\CurrentVersion\Explorer\Shell Folders`;
 * a leading `HKEY_CURRENT_USER\` or `HKCU\` is accepted too), one `name=value` per value.
 * Machine-wide keys are asked for and written with a leading `HKEY_LOCAL_MACHINE\` (or
 * `HKLM\`); a section without a hive belongs to the current user.
 * Values may be written with surrounding double quotes.
 */
class Registry final
{
public:
    explicit Registry(const QString &path);

    /// Re-reads the file.
    void reload();

    QString value(const QString &keyPath,
                  const QString &name,
                  const QString &defaultValue = {}) const;
    bool contains(const QString &keyPath, const QString &name) const;

private:
    QString findSection(const QString &keyPath, const QString &name) const;

    IniFile m_ini;
};

} // namespace pk
