#pragma once

#include <QString>

#include <any>
#include <concepts>

namespace pk {

/**
 * A procedure's request: the inputs one procedure takes, as a plain struct that names the
 * procedure it is for (`static constexpr const char *procedure = Procedure::...;`). Callers
 * build it field by field, so the compiler checks every input and the procedure's name.
 */
template<typename Request>
concept ProcedureRequest = requires
{
    {
        Request::procedure
        } -> std::convertible_to<const char *>;
};

/**
 * @brief Starts windows and processes by procedure name (see procedurenames.h).
 *
 * The one way a subsystem starts another's window: the frame's launcher implements it and
 * hands itself to every procedure it starts (ProcedureCall::starter), so a started window is
 * placed in the frame like one started from the menu. Tests implement it to record calls.
 *
 * A procedure started by name alone (menus, tray, the start-up list) gets its default
 * request; a caller with inputs hands a typed request (see procedurerequests.h).
 */
class ProcedureStarter
{
public:
    virtual ~ProcedureStarter() = default;

    /// True when a procedure is registered under `procedure`.
    virtual bool isDefined(const QString &procedure) const = 0;

    /// Starts `procedure` with its default request. A name nobody registered is reported
    /// ("The Procedure ... has not been defined."); false then, and when the window could not
    /// be placed.
    bool start(const QString &procedure) { return startProcedure(procedure, std::any()); }

    /// Starts the procedure `request` is for, with it.
    template<ProcedureRequest Request>
    bool start(const Request &request)
    {
        return startProcedure(QLatin1String(Request::procedure), std::any(request));
    }

    /// Starts `procedure` with `request`, for request types that several procedures take (the
    /// imports, the two category forms). A procedure registered with another request type is
    /// reported as not defined.
    template<typename Request>
    bool start(const QString &procedure, const Request &request)
    {
        return startProcedure(procedure, std::any(request));
    }

protected:
    ProcedureStarter() = default;
    ProcedureStarter(const ProcedureStarter &) = default;
    ProcedureStarter &operator=(const ProcedureStarter &) = default;

    /// `request` is empty (the default request) or of the type the procedure takes.
    virtual bool startProcedure(const QString &procedure, const std::any &request) = 0;
};

} // namespace pk
