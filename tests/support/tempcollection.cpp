#include "tempcollection.h"

#include <QDir>
#include <QFile>

namespace pk::test {

TempCollection::TempCollection()
{
    QDir().mkpath(folder());
    QDir().mkpath(configHome());
    m_hadConfigHome = qEnvironmentVariableIsSet("XDG_CONFIG_HOME");
    m_oldConfigHome = qgetenv("XDG_CONFIG_HOME");
    qputenv("XDG_CONFIG_HOME", configHome().toUtf8());
}

TempCollection::~TempCollection()
{
    if (m_hadConfigHome)
        qputenv("XDG_CONFIG_HOME", m_oldConfigHome);
    else
        qunsetenv("XDG_CONFIG_HOME");
}

bool TempCollection::writeFile(const QString &name, const QByteArray &bytes) const
{
    QFile f(path(name));
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    return f.write(bytes) == bytes.size();
}

} // namespace pk::test
