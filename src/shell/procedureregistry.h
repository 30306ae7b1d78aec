#pragma once

#include "shell/procedurestarter.h"

#include <QString>
#include <QStringList>

#include <any>
#include <functional>
#include <map>
#include <typeindex>
#include <typeinfo>

class QWidget;

namespace pk {

class Shell;

/// What a procedure is started with besides its request.
struct ProcedureCall
{
    Shell &shell;
    ProcedureStarter &starter; ///< starts further procedures (the frame's launcher)
    QWidget *frame = nullptr;  ///< the main frame (parent for modal windows)
};

/**
 * @brief The one table of procedures the frame, tray and lists can start by name.
 *
 * Each subsystem registers its windows and processes here under a name from
 * procedurenames.h, e.g. `ProcedureRegistry::instance().add(Procedure::BrowseLocations,
 * factory)`; a procedure with inputs registers with its request type, e.g.
 * `add<LocationFormRequest>(factory)`, and its factory takes that request. A factory returns
 * the child window to place in the frame, or nullptr when it ran modally or on its own.
 * Procedures are started through a ProcedureStarter, never by calling a factory directly.
 */
class ProcedureRegistry final
{
public:
    /// A procedure without a request of its own.
    using Factory = std::function<QWidget *(const ProcedureCall &call)>;
    /// A registered procedure's start: `request` is empty (the default request) or of the type
    /// the procedure was registered with (see accepts()).
    using Start = std::function<QWidget *(const ProcedureCall &call, const std::any &request)>;

    static ProcedureRegistry &instance();

    void add(const QString &name, Factory factory);

    /// Registers `factory(const ProcedureCall &, const Request &)` under the request's own name.
    template<ProcedureRequest Request, typename F>
    void add(F factory)
    {
        add<Request>(QLatin1String(Request::procedure), std::move(factory));
    }

    /// Registers `factory(const ProcedureCall &, const Request &)` under `name`.
    template<typename Request, typename F>
    void add(const QString &name, F factory)
    {
        addEntry(name,
                 typeid(Request),
                 [factory = std::move(factory)](const ProcedureCall &call,
                                                const std::any &request) -> QWidget * {
                     if (const auto *typed = std::any_cast<Request>(&request))
                         return factory(call, *typed);
                     return factory(call, Request{});
                 });
    }

    void remove(const QString &name);
    bool contains(const QString &name) const;
    /// The procedure's start; empty when nothing is registered under `name`.
    Start factory(const QString &name) const;
    /// True when `name` is registered and takes `request`: an empty one, or one of its type.
    bool accepts(const QString &name, const std::any &request) const;
    /// Every registered name, in order.
    QStringList names() const;

private:
    struct Entry
    {
        std::type_index request;
        Start start;
    };

    void addEntry(const QString &name, std::type_index request, Start start);

    std::map<QString, Entry> m_entries;
};

} // namespace pk
