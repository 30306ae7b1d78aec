#include "shell/procedureregistry.h"

namespace pk {

ProcedureRegistry &ProcedureRegistry::instance()
{
    static ProcedureRegistry registry;
    return registry;
}

void ProcedureRegistry::add(const QString &name, Factory factory)
{
    m_factories[name] = std::move(factory);
}

void ProcedureRegistry::remove(const QString &name)
{
    m_factories.erase(name);
}

bool ProcedureRegistry::contains(const QString &name) const
{
    return m_factories.count(name) != 0;
}

ProcedureRegistry::Factory ProcedureRegistry::factory(const QString &name) const
{
    const auto it = m_factories.find(name);
    return it == m_factories.end() ? Factory() : it->second;
}

QStringList ProcedureRegistry::names() const
{
    QStringList result;
    for (const auto &entry : m_factories)
        result.append(entry.first);
    return result;
}

} // namespace pk
