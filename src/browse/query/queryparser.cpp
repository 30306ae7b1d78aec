#include "browse/query/queryparser.h"

namespace pk {

namespace {

const char *const Reserved[] = {"AND", "OR", "NOT", "CONTAINS", "BEGINS", "WITH", "IS", "CHECKED"};

bool isReserved(const QString &name)
{
    for (const char *word : Reserved) {
        if (name.compare(QLatin1String(word), Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

} // namespace

std::unique_ptr<QueryNode> QueryParser::parse(const QString &text, QueryError &error)
{
    error = {};
    std::vector<QueryToken> tokens;
    if (!QueryLexer::tokenize(text, tokens, error))
        return nullptr;
    QueryParser parser(std::move(tokens));
    if (parser.peek().type == QueryToken::Type::End) {
        error = {0, QStringLiteral("the query is empty")};
        return nullptr;
    }
    NodePtr root = parser.parseOr(0);
    if (root && parser.peek().type != QueryToken::Type::End)
        root = parser.fail(parser.peek().position,
                           QStringLiteral("unexpected %1; expected AND, OR or the end")
                               .arg(describe(parser.peek())));
    if (!root)
        error = parser.m_error;
    return root;
}

const QueryToken &QueryParser::peek(int ahead) const
{
    const size_t i = std::min(m_pos + static_cast<size_t>(ahead), m_tokens.size() - 1);
    return m_tokens[i];
}

const QueryToken &QueryParser::take()
{
    const QueryToken &t = peek();
    if (m_pos < m_tokens.size() - 1)
        ++m_pos;
    return t;
}

bool QueryParser::isKeyword(const QueryToken &t, const char *word) const
{
    return t.type == QueryToken::Type::Name
           && t.text.compare(QLatin1String(word), Qt::CaseInsensitive) == 0;
}

bool QueryParser::acceptKeyword(const char *word)
{
    if (!isKeyword(peek(), word))
        return false;
    take();
    return true;
}

bool QueryParser::expect(QueryToken::Type type, const char *what)
{
    if (peek().type == type) {
        take();
        return true;
    }
    fail(peek().position,
         QStringLiteral("expected %1 but found %2").arg(QLatin1String(what), describe(peek())));
    return false;
}

QueryParser::NodePtr QueryParser::fail(int position, const QString &reason)
{
    if (!m_error.isError())
        m_error = {position, reason};
    return nullptr;
}

QString QueryParser::describe(const QueryToken &t)
{
    switch (t.type) {
    case QueryToken::Type::End:
        return QStringLiteral("the end of the query");
    case QueryToken::Type::Text:
        return QStringLiteral("a text");
    case QueryToken::Type::Number:
        return QStringLiteral("the number %1").arg(t.text);
    default:
        return QStringLiteral("'%1'").arg(t.text);
    }
}

QueryParser::NodePtr QueryParser::parseOr(int depth)
{
    const int start = peek().position;
    NodePtr first = parseAnd(depth);
    if (!first || !isKeyword(peek(), "OR"))
        return first;
    auto node = std::make_unique<QueryNode>(QueryNode::Kind::Or, start);
    node->children.push_back(std::move(first));
    while (acceptKeyword("OR")) {
        NodePtr next = parseAnd(depth);
        if (!next)
            return nullptr;
        node->children.push_back(std::move(next));
    }
    return node;
}

QueryParser::NodePtr QueryParser::parseAnd(int depth)
{
    const int start = peek().position;
    NodePtr first = parseUnary(depth);
    if (!first || !isKeyword(peek(), "AND"))
        return first;
    auto node = std::make_unique<QueryNode>(QueryNode::Kind::And, start);
    node->children.push_back(std::move(first));
    while (acceptKeyword("AND")) {
        NodePtr next = parseUnary(depth);
        if (!next)
            return nullptr;
        node->children.push_back(std::move(next));
    }
    return node;
}

QueryParser::NodePtr QueryParser::parseUnary(int depth)
{
    if (depth >= MaxDepth)
        return fail(peek().position, QStringLiteral("the query is nested too deeply"));
    const QueryToken &t = peek();
    if (isKeyword(t, "NOT")) {
        const int pos = take().position;
        NodePtr operand = parseUnary(depth + 1);
        if (!operand)
            return nullptr;
        auto node = std::make_unique<QueryNode>(QueryNode::Kind::Not, pos);
        node->children.push_back(std::move(operand));
        return node;
    }
    if (t.type == QueryToken::Type::LParen) {
        take();
        NodePtr inner = parseOr(depth + 1);
        if (!inner || !expect(QueryToken::Type::RParen, "')'"))
            return nullptr;
        return inner;
    }
    if (isKeyword(t, "MATCH") && peek(1).type == QueryToken::Type::LParen)
        return parseMatch(depth);
    return parseCondition(depth);
}

QueryParser::NodePtr QueryParser::parseMatch(int depth)
{
    const int pos = take().position;
    take(); // '('
    auto node = std::make_unique<QueryNode>(QueryNode::Kind::Match, pos);
    for (int i = 0; i < 3; ++i) {
        if (i > 0
            && !expect(QueryToken::Type::Comma, "',' (MATCH takes a value, a pattern and a mode)"))
            return nullptr;
        NodePtr arg = parseValue(depth + 1);
        if (!arg)
            return nullptr;
        node->children.push_back(std::move(arg));
    }
    if (!expect(QueryToken::Type::RParen, "')' after the three arguments of MATCH"))
        return nullptr;
    if (peek().type == QueryToken::Type::Compare)
        return fail(peek().position,
                    QStringLiteral("MATCH(...) is a condition and cannot be compared"));
    return node;
}

QueryParser::NodePtr QueryParser::parseCondition(int depth)
{
    const int start = peek().position;
    NodePtr left = parseValue(depth);
    if (!left)
        return nullptr;

    auto make = [&](QueryOperator op) {
        auto node = std::make_unique<QueryNode>(QueryNode::Kind::Condition, start);
        node->op = op;
        node->children.push_back(std::move(left));
        return node;
    };
    auto withRight = [&](QueryOperator op) -> NodePtr {
        NodePtr right = parseValue(depth);
        if (!right)
            return nullptr;
        NodePtr node = make(op);
        node->children.push_back(std::move(right));
        return node;
    };

    const QueryToken &t = peek();
    if (t.type == QueryToken::Type::Compare) {
        const QString op = take().text;
        if (op == u"=")
            return withRight(QueryOperator::Equal);
        if (op == u"<>")
            return withRight(QueryOperator::NotEqual);
        if (op == u">")
            return withRight(QueryOperator::Greater);
        if (op == u"<")
            return withRight(QueryOperator::Less);
        if (op == u">=")
            return withRight(QueryOperator::GreaterEqual);
        return withRight(QueryOperator::LessEqual);
    }
    if (acceptKeyword("CONTAINS"))
        return withRight(QueryOperator::Contains);
    if (isKeyword(t, "BEGINS")) {
        take();
        if (!acceptKeyword("WITH"))
            return fail(peek().position, QStringLiteral("expected WITH after BEGINS"));
        return withRight(QueryOperator::BeginsWith);
    }
    if (isKeyword(t, "NOT")) {
        const QueryToken &after = peek(1);
        if (isKeyword(after, "CONTAINS")) {
            take();
            take();
            return withRight(QueryOperator::NotContains);
        }
        if (isKeyword(after, "BEGINS")) {
            take();
            take();
            if (!acceptKeyword("WITH"))
                return fail(peek().position, QStringLiteral("expected WITH after NOT BEGINS"));
            return withRight(QueryOperator::NotBeginsWith);
        }
        return fail(after.position, QStringLiteral("expected CONTAINS or BEGINS WITH after NOT"));
    }
    if (isKeyword(t, "IS")) {
        take();
        const bool negated = acceptKeyword("NOT");
        if (!acceptKeyword("CHECKED"))
            return fail(peek().position,
                        QStringLiteral("expected CHECKED after IS%1")
                            .arg(negated ? QStringLiteral(" NOT") : QString()));
        return make(negated ? QueryOperator::IsNotChecked : QueryOperator::IsChecked);
    }
    if (left->kind != QueryNode::Kind::Name)
        return fail(t.position,
                    QStringLiteral("expected a comparison but found %1").arg(describe(t)));
    auto node = std::make_unique<QueryNode>(QueryNode::Kind::Truth, start);
    node->children.push_back(std::move(left));
    return node;
}

QueryParser::NodePtr QueryParser::parseValue(int depth)
{
    if (depth >= MaxDepth)
        return fail(peek().position, QStringLiteral("the query is nested too deeply"));
    const QueryToken &t = peek();
    switch (t.type) {
    case QueryToken::Type::Text: {
        auto node = std::make_unique<QueryNode>(QueryNode::Kind::Text, t.position);
        node->text = take().text;
        return node;
    }
    case QueryToken::Type::Number: {
        auto node = std::make_unique<QueryNode>(QueryNode::Kind::Number, t.position);
        node->text = t.text;
        node->value = take().value;
        return node;
    }
    case QueryToken::Type::Minus: {
        const int pos = take().position;
        if (peek().type != QueryToken::Type::Number)
            return fail(peek().position, QStringLiteral("expected a number after '-'"));
        auto node = std::make_unique<QueryNode>(QueryNode::Kind::Number, pos);
        const QueryToken &num = take();
        node->text = u'-' + num.text;
        if (num.value.typeId() == QMetaType::LongLong)
            node->value = -num.value.toLongLong();
        else
            node->value = -num.value.toDouble();
        return node;
    }
    case QueryToken::Type::Name: {
        if (peek(1).type == QueryToken::Type::LParen) {
            const bool upper = isKeyword(t, "UPPER");
            if (!upper && !isKeyword(t, "LOWER"))
                return fail(t.position, QStringLiteral("unknown function '%1'").arg(t.text));
            const int pos = take().position;
            take(); // '('
            NodePtr arg = parseValue(depth + 1);
            if (!arg || !expect(QueryToken::Type::RParen, "')'"))
                return nullptr;
            auto node = std::make_unique<QueryNode>(upper ? QueryNode::Kind::Upper
                                                          : QueryNode::Kind::Lower,
                                                    pos);
            node->children.push_back(std::move(arg));
            return node;
        }
        if (isReserved(t.text))
            return fail(t.position,
                        QStringLiteral("expected a field, a value or '(' but found %1")
                            .arg(describe(t)));
        auto node = std::make_unique<QueryNode>(QueryNode::Kind::Name, t.position);
        node->text = take().text;
        return node;
    }
    default:
        return fail(t.position,
                    QStringLiteral("expected a field, a value or '(' but found %1").arg(describe(t)));
    }
}

} // namespace pk
