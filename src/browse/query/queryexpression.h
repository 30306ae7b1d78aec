#pragma once

#include "browse/query/querycompiler.h"
#include "browse/query/queryerror.h"
#include "browse/query/querynode.h"
#include "store/sqlfilter.h"

#include <QString>

#include <memory>
#include <optional>

namespace pk {

/**
 * @brief A filter expression parsed once, ready to be compiled for any connection.
 *
 * The text is limited to 1024 characters, the size of a query everywhere in the program; a longer
 * text is refused rather than cut, since a cut query would select the wrong records. An empty
 * (or all-blank) text is a valid expression that selects everything.
 */
class QueryExpression final
{
public:
    static constexpr int MaxLength = 1024;

    QueryExpression() = default;

    static QueryExpression parse(const QString &text);

    const QString &text() const { return m_text; }
    bool isEmpty() const { return !m_root && !m_error.isError(); }
    bool isValid() const { return !m_error.isError(); }
    const QueryError &error() const { return m_error; }
    /// The tree; null when the expression is empty or invalid. Shared between copies.
    const QueryNode *root() const { return m_root.get(); }

    /// The WHERE fragment; an empty expression gives an empty filter.
    std::optional<SqlFilter> compile(const QueryCompileContext &context, QueryError &error) const;

    /// `text` as a quoted literal of the language: O'Neil -> 'O''Neil'.
    static QString quote(const QString &text);

private:
    QString m_text;
    std::shared_ptr<const QueryNode> m_root;
    QueryError m_error;
};

} // namespace pk
