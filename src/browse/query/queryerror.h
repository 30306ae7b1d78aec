#pragma once

#include <QString>

namespace pk {

/// Why a filter expression was refused, and where (0-based character offset, -1 when unknown).
struct QueryError
{
    int position = -1;
    QString reason;

    bool isError() const { return !reason.isEmpty(); }

    /// "Error at character 12: expected ')'" (1-based, as the user counts).
    QString describe() const
    {
        if (position < 0)
            return reason;
        return QStringLiteral("Error at character %1: %2").arg(position + 1).arg(reason);
    }
};

} // namespace pk
