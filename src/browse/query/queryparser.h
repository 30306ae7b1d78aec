#pragma once

#include "browse/query/queryerror.h"
#include "browse/query/querylexer.h"
#include "browse/query/querynode.h"

#include <memory>
#include <vector>

namespace pk {

/**
 * @brief Builds the tree of a filter expression.
 *
 * Grammar (keywords ignore letter case):
 *   expr      := and { OR and }
 *   and       := unary { AND unary }
 *   unary     := NOT unary | '(' expr ')' | MATCH '(' value ',' value ',' value ')' | condition
 *   condition := value [ compare value | [NOT] CONTAINS value | [NOT] BEGINS WITH value
 *                        | IS [NOT] CHECKED ]
 *   value     := name | 'text' | [-] number | UPPER '(' value ')' | LOWER '(' value ')'
 * AND binds tighter than OR. A bare value used as a condition means "non-zero / non-blank".
 */
class QueryParser final
{
public:
    /// Nesting of parentheses and NOTs allowed; deeper expressions are refused, not recursed into.
    static constexpr int MaxDepth = 64;

    /// Parses a whole expression; returns null and fills `error` on failure.
    static std::unique_ptr<QueryNode> parse(const QString &text, QueryError &error);

private:
    explicit QueryParser(std::vector<QueryToken> tokens)
        : m_tokens(std::move(tokens))
    {}

    using NodePtr = std::unique_ptr<QueryNode>;

    NodePtr parseOr(int depth);
    NodePtr parseAnd(int depth);
    NodePtr parseUnary(int depth);
    NodePtr parseCondition(int depth);
    NodePtr parseValue(int depth);
    NodePtr parseMatch(int depth);

    const QueryToken &peek(int ahead = 0) const;
    const QueryToken &take();
    bool isKeyword(const QueryToken &t, const char *word) const;
    bool acceptKeyword(const char *word);
    bool expect(QueryToken::Type type, const char *what);
    NodePtr fail(int position, const QString &reason);
    static QString describe(const QueryToken &t);

    std::vector<QueryToken> m_tokens;
    size_t m_pos = 0;
    QueryError m_error;
};

} // namespace pk
