#include "browse/query/queryexpression.h"

#include "browse/query/queryparser.h"

namespace pk {

QueryExpression QueryExpression::parse(const QString &text)
{
    QueryExpression e;
    e.m_text = text;
    if (text.size() > MaxLength) {
        e.m_error = {MaxLength,
                     QStringLiteral("the query is longer than %1 characters").arg(MaxLength)};
        return e;
    }
    if (text.trimmed().isEmpty())
        return e;
    QueryError error;
    std::unique_ptr<QueryNode> root = QueryParser::parse(text, error);
    if (!root) {
        e.m_error = error;
        return e;
    }
    e.m_root = std::move(root);
    return e;
}

std::optional<SqlFilter> QueryExpression::compile(const QueryCompileContext &context,
                                                  QueryError &error) const
{
    if (m_error.isError()) {
        error = m_error;
        return std::nullopt;
    }
    error = {};
    if (!m_root)
        return SqlFilter{};
    return QueryCompiler::compile(*m_root, context, error);
}

QString QueryExpression::quote(const QString &text)
{
    QString out = text;
    out.replace(u'\'', QStringLiteral("''"));
    return u'\'' + out + u'\'';
}

} // namespace pk
