#include "platform/registry.h"

namespace pk {

namespace {
QStringList sectionCandidates(const QString &keyPath)
{
    QString path = keyPath;
    path.replace(QLatin1Char('/'), QLatin1Char('\\'));
    for (const char *prefix : {"HKEY_LOCAL_MACHINE\\", "HKLM\\"}) {
        if (path.startsWith(QLatin1String(prefix), Qt::CaseInsensitive)) {
            path = path.mid(qsizetype(qstrlen(prefix)));
            return {QStringLiteral("HKEY_LOCAL_MACHINE\\") + path, QStringLiteral("HKLM\\") + path};
        }
    }
    for (const char *prefix : {"HKEY_CURRENT_USER\\", "HKCU\\"}) {
        if (path.startsWith(QLatin1String(prefix), Qt::CaseInsensitive)) {
            path = path.mid(qsizetype(qstrlen(prefix)));
            break;
        }
    }
    return {path, QStringLiteral("HKEY_CURRENT_USER\\") + path, QStringLiteral("HKCU\\") + path};
}
} // namespace

Registry::Registry(const QString &path)
    : m_ini(path)
{
    m_ini.load();
}

void Registry::reload()
{
    m_ini.load();
}

QString Registry::findSection(const QString &keyPath, const QString &name) const
{
    for (const QString &section : sectionCandidates(keyPath)) {
        if (m_ini.contains(section, name))
            return section;
    }
    return {};
}

bool Registry::contains(const QString &keyPath, const QString &name) const
{
    return !findSection(keyPath, name).isEmpty();
}

QString Registry::value(const QString &keyPath,
                        const QString &name,
                        const QString &defaultValue) const
{
    const QString section = findSection(keyPath, name);
    if (section.isEmpty())
        return defaultValue;
    QString v = m_ini.value(section, name);
    if (v.size() >= 2 && v.startsWith(QLatin1Char('"')) && v.endsWith(QLatin1Char('"')))
        v = v.mid(1, v.size() - 2);
    return v;
}

} // namespace pk
