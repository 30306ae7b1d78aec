#pragma once

#include "framework/errorcatalogue.h"
#include "framework/errormanager.h"
#include "shell/procedurerequests.h"
#include "shell/procedurestarter.h"

#include <QStringList>

#include <any>

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
        std::any request; ///< empty for a start by name alone

        /// The request when it is a `Request`, else null.
        template<typename Request>
        const Request *as() const
        {
            return std::any_cast<Request>(&request);
        }
    };

    explicit RecordingStarter(ErrorManager *errors = nullptr)
        : m_errors(errors)
    {}

    bool isDefined(const QString &procedure) const override
    {
        return everythingDefined || defined.contains(procedure);
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

protected:
    bool startProcedure(const QString &procedure, const std::any &request) override
    {
        calls.push_back({procedure, request});
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

private:
    ErrorManager *m_errors;
};

} // namespace pk::test
