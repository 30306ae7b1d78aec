#include "browse/query/queryoperator.h"

namespace pk {

QString queryOperatorSyntax(QueryOperator op)
{
    switch (op) {
    case QueryOperator::Equal:
        return QStringLiteral("=");
    case QueryOperator::NotEqual:
        return QStringLiteral("<>");
    case QueryOperator::Greater:
        return QStringLiteral(">");
    case QueryOperator::Less:
        return QStringLiteral("<");
    case QueryOperator::GreaterEqual:
        return QStringLiteral(">=");
    case QueryOperator::LessEqual:
        return QStringLiteral("<=");
    case QueryOperator::BeginsWith:
        return QStringLiteral("BEGINS WITH");
    case QueryOperator::Contains:
        return QStringLiteral("CONTAINS");
    case QueryOperator::NotBeginsWith:
        return QStringLiteral("NOT BEGINS WITH");
    case QueryOperator::NotContains:
        return QStringLiteral("NOT CONTAINS");
    case QueryOperator::IsChecked:
        return QStringLiteral("IS CHECKED");
    case QueryOperator::IsNotChecked:
        return QStringLiteral("IS NOT CHECKED");
    }
    return {};
}

} // namespace pk
