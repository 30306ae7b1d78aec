#pragma once

#include <QString>
#include <QVariantMap>

namespace pk {

/**
 * @brief Starts windows and processes by procedure name (see procedurenames.h).
 *
 * The one way a subsystem starts another's window: the frame's launcher implements it and
 * hands itself to every procedure it starts (ProcedureCall::starter), so a started window is
 * placed in the frame like one started from the menu. Tests implement it to record calls.
 */
class ProcedureStarter
{
public:
    virtual ~ProcedureStarter() = default;

    /// True when a procedure is registered under `procedure`.
    virtual bool isDefined(const QString &procedure) const = 0;
    /// Starts `procedure`. A name nobody registered is reported ("The Procedure ... has not
    /// been defined."); false then, and when the window could not be placed.
    virtual bool start(const QString &procedure, const QVariantMap &arguments = {}) = 0;

protected:
    ProcedureStarter() = default;
    ProcedureStarter(const ProcedureStarter &) = default;
    ProcedureStarter &operator=(const ProcedureStarter &) = default;
};

} // namespace pk
