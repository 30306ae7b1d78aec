#pragma once

#include <QString>

namespace pk {

/**
 * @brief The twelve operators of the query wizard, numbered as their display texts (1-12).
 *
 * Each has one written form in the filter language:
 *   1 `=`   2 `<>` (also `!=`)   3 `>`   4 `<`   5 `>=`   6 `<=`
 *   7 `BEGINS WITH`   8 `CONTAINS`   9 `NOT BEGINS WITH`   10 `NOT CONTAINS`
 *   11 `IS CHECKED`   12 `IS NOT CHECKED` (no right-hand value; checked means non-zero / non-blank)
 */
enum class QueryOperator {
    Equal = 1,
    NotEqual,
    Greater,
    Less,
    GreaterEqual,
    LessEqual,
    BeginsWith,
    Contains,
    NotBeginsWith,
    NotContains,
    IsChecked,
    IsNotChecked,
};

constexpr int QueryOperatorCount = 12;

/// The operator as written in an expression, e.g. "BEGINS WITH".
QString queryOperatorSyntax(QueryOperator op);

/// True for the two operators that take no value.
constexpr bool isCheckOperator(QueryOperator op)
{
    return op == QueryOperator::IsChecked || op == QueryOperator::IsNotChecked;
}

} // namespace pk
