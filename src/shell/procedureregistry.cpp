#include "shell/procedureregistry.h"

namespace pk {

namespace {

/// The request type of a procedure that takes none.
struct NoRequest
{};

} // namespace

ProcedureRegistry &ProcedureRegistry::instance()
{
    static ProcedureRegistry registry;
    return registry;
}

void ProcedureRegistry::add(const QString &name, Factory factory)
{
    addEntry(name,
             typeid(NoRequest),
             [factory = std::move(factory)](const ProcedureCall &call, const std::any &) {
                 return factory(call);
             });
}

void ProcedureRegistry::addEntry(const QString &name, std::type_index request, Start start)
{
    m_entries.insert_or_assign(name, Entry{request, std::move(start)});
}

void ProcedureRegistry::remove(const QString &name)
{
    m_entries.erase(name);
}

bool ProcedureRegistry::contains(const QString &name) const
{
    return m_entries.count(name) != 0;
}

ProcedureRegistry::Start ProcedureRegistry::factory(const QString &name) const
{
    const auto it = m_entries.find(name);
    return it == m_entries.end() ? Start() : it->second.start;
}

bool ProcedureRegistry::accepts(const QString &name, const std::any &request) const
{
    const auto it = m_entries.find(name);
    if (it == m_entries.end())
        return false;
    return !request.has_value() || std::type_index(request.type()) == it->second.request;
}

QStringList ProcedureRegistry::names() const
{
    QStringList result;
    for (const auto &entry : m_entries)
        result.append(entry.first);
    return result;
}

} // namespace pk
