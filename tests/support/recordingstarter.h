#pragma once

#include "framework/errorcatalogue.h"
#include "framework/errormanager.h"
#include "shell/procedurestarter.h"

#include <QStringList>

#include <vector>

namespace pk::test {

/// A ProcedureStarter that records what was started. Names in `defined` (or every name, with
/// `everythingDefined`) count as registered; any other is reported as not defined through
/// `errors`, as the frame's launcher does.
class RecordingStarter final : public ProcedureStarter
{
public:
    struct Call
    {
        QString procedure;
        QVariantMap arguments;
    };

    explicit RecordingStarter(ErrorManager *errors = nullptr)
        : m_errors(errors)
    {}

    bool isDefined(const QString &procedure) const override
    {
        return everythingDefined || defined.contains(procedure);
    }

    bool start(const QString &procedure, const QVariantMap &arguments = {}) override
    {
        calls.push_back({procedure, arguments});
        if (isDefined(procedure))
            return true;
        if (m_errors) {
            ErrorContext context;
            context.message = procedure;
            context.procedure = procedure;
            m_errors->raise(Msg::ProcedureNotDefined, context);
        }
        return false;
    }

    QStringList started() const
    {
        QStringList names;
        for (const Call &call : calls)
            names << call.procedure;
        return names;
    }

    QStringList defined;
    bool everythingDefined = false;
    std::vector<Call> calls;

private:
    ErrorManager *m_errors;
};

} // namespace pk::test
