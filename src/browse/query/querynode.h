#pragma once

#include "browse/query/queryoperator.h"

#include <QString>
#include <QVariant>

#include <memory>
#include <vector>

namespace pk {

/**
 * @brief One node of a parsed filter expression.
 *
 * The tree is built once by QueryParser and read by the compiler and by the wizard (which turns
 * a flat list of conditions back into editable rows).
 */
struct QueryNode
{
    enum class Kind {
        Or,        ///< children: two or more operands
        And,       ///< children: two or more operands
        Not,       ///< children: one
        Condition, ///< `op`; children: left, and right unless the operator is a check
        Match,     ///< MATCH(value, pattern, mode); children: three
        Truth,     ///< a bare field used as a condition (non-zero / non-blank); children: one
        Name,      ///< a field or variable name in `text`, e.g. "URL:Location"
        Text,      ///< a quoted text in `text`, quotes already undoubled
        Number,    ///< `value` holds qlonglong or double
        Upper,     ///< UPPER(x); children: one
        Lower,     ///< LOWER(x); children: one
    };

    Kind kind;
    int position = 0; ///< offset of the node's first character in the expression
    QueryOperator op = QueryOperator::Equal;
    QString text;
    QVariant value;
    std::vector<std::unique_ptr<QueryNode>> children;

    explicit QueryNode(Kind k, int pos)
        : kind(k)
        , position(pos)
    {}
};

} // namespace pk
