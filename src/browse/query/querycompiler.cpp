#include "browse/query/querycompiler.h"

#include <QDate>
#include <QLocale>

namespace pk {

namespace {

QString trimmedRight(const QString &s)
{
    qsizetype n = s.size();
    while (n > 0 && s.at(n - 1) == u' ')
        --n;
    return s.left(n);
}

/// A compiled value: a column expression, or a constant that will be bound.
struct Operand
{
    enum class Source { Field, Constant, Expression };
    Source source = Source::Constant;
    QString sql;
    QVariant value;
    QueryValueKind kind = QueryValueKind::Text;
    bool upperCased = false; ///< already PK_UPPER'd, no need to wrap again
    int position = 0;
    QString name; ///< the field or variable name, for messages
};

bool isNumberVariant(const QVariant &v)
{
    switch (v.typeId()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Double:
    case QMetaType::Float:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Bool:
        return true;
    default:
        return false;
    }
}

class Compiler
{
public:
    Compiler(const QueryCompileContext &context, QueryError &error)
        : m_context(context)
        , m_error(error)
    {}

    bool condition(const QueryNode &node, QString &out);
    QVariantList takeBindings() { return std::move(m_bindings); }

private:
    bool fail(int position, const QString &reason)
    {
        m_error = {position, reason};
        return false;
    }

    std::optional<Operand> operand(const QueryNode &node);
    bool compare(const QueryNode &node, QString &out);
    bool search(const QueryNode &node, QString &out);
    bool checked(const QueryNode &node, QString &out);
    bool match(const QueryNode &node, QString &out);
    bool truth(const QueryNode &node, QString &out);

    /// Emits an operand as `kind`; constants are converted and bound. `foldText` upper-cases.
    bool emitOperand(
        const Operand &o, QueryValueKind kind, bool foldText, bool trimText, QString &out);
    bool emitPlainText(const Operand &o, QString &out);
    QString bind(const QVariant &v)
    {
        m_bindings.append(v);
        return QStringLiteral("?");
    }

    /// The MATCH argument that narrows a "contains" search, or empty.
    QString narrowing(const QueryNode &node, const Operand &field, const Operand &text) const;
    /// The MATCH arguments of an alternative, one a branch; empty unless each branch is a
    /// "contains" the index narrows.
    QStringList alternativeNarrowing(const QueryNode &node);
    /// "rowid IN (candidates of every match) AND ", the matches bound.
    void candidates(const QStringList &matches, QString &out);

    const QueryCompileContext &m_context;
    QueryError &m_error;
    QVariantList m_bindings;
    /// True while the condition being compiled must hold for a row to be chosen (it is not
    /// below an OR or a NOT).
    bool m_required = true;
};

bool Compiler::condition(const QueryNode &node, QString &out)
{
    switch (node.kind) {
    case QueryNode::Kind::Or:
    case QueryNode::Kind::And: {
        const QString glue = node.kind == QueryNode::Kind::Or ? QStringLiteral(" OR ")
                                                              : QStringLiteral(" AND ");
        const bool required = m_required;
        // Alternatives that are each a "contains" the index can narrow take the candidates of
        // all of them; any other alternative keeps the scan.
        const QStringList matches = node.kind == QueryNode::Kind::Or && required
                                        ? alternativeNarrowing(node)
                                        : QStringList();
        if (!matches.isEmpty()) {
            out += u'(';
            candidates(matches, out);
        }
        m_required = required && node.kind == QueryNode::Kind::And;
        out += u'(';
        for (size_t i = 0; i < node.children.size(); ++i) {
            if (i > 0)
                out += glue;
            if (!condition(*node.children[i], out))
                return false;
        }
        out += u')';
        if (!matches.isEmpty())
            out += u')';
        m_required = required;
        return true;
    }
    case QueryNode::Kind::Not: {
        const bool required = m_required;
        m_required = false;
        out += QStringLiteral("(NOT ");
        if (!condition(*node.children.front(), out))
            return false;
        out += u')';
        m_required = required;
        return true;
    }
    case QueryNode::Kind::Condition:
        switch (node.op) {
        case QueryOperator::BeginsWith:
        case QueryOperator::Contains:
        case QueryOperator::NotBeginsWith:
        case QueryOperator::NotContains:
            return search(node, out);
        case QueryOperator::IsChecked:
        case QueryOperator::IsNotChecked:
            return checked(node, out);
        default:
            return compare(node, out);
        }
    case QueryNode::Kind::Match:
        return match(node, out);
    case QueryNode::Kind::Truth:
        return truth(node, out);
    default:
        return fail(node.position, QStringLiteral("expected a condition"));
    }
}

std::optional<Operand> Compiler::operand(const QueryNode &node)
{
    Operand o;
    o.position = node.position;
    switch (node.kind) {
    case QueryNode::Kind::Text:
        o.value = node.text;
        o.kind = QueryValueKind::Text;
        return o;
    case QueryNode::Kind::Number:
        o.value = node.value;
        o.kind = QueryValueKind::Number;
        return o;
    case QueryNode::Kind::Name: {
        o.name = node.text;
        if (m_context.resolveField) {
            if (const std::optional<QueryFieldRef> f = m_context.resolveField(node.text)) {
                o.source = Operand::Source::Field;
                o.sql = f->sql;
                o.kind = f->kind;
                return o;
            }
        }
        const auto it = m_context.variables.constFind(node.text.toUpper());
        if (it == m_context.variables.constEnd()) {
            fail(node.position, QStringLiteral("unknown field or variable '%1'").arg(node.text));
            return std::nullopt;
        }
        const QVariant &v = it.value();
        if (v.typeId() == QMetaType::QDate) {
            o.kind = QueryValueKind::Date;
            o.value = qlonglong(QueryCompiler::dayNumber(v.toDate()));
        } else if (isNumberVariant(v)) {
            o.kind = QueryValueKind::Number;
            o.value = v.typeId() == QMetaType::Double || v.typeId() == QMetaType::Float
                          ? QVariant(v.toDouble())
                          : QVariant(v.toLongLong());
        } else {
            o.kind = QueryValueKind::Text;
            o.value = v.toString();
        }
        return o;
    }
    case QueryNode::Kind::Upper:
    case QueryNode::Kind::Lower: {
        const bool upper = node.kind == QueryNode::Kind::Upper;
        std::optional<Operand> inner = operand(*node.children.front());
        if (!inner)
            return std::nullopt;
        if (inner->source == Operand::Source::Constant) {
            if (inner->kind == QueryValueKind::Text) {
                const QString s = inner->value.toString();
                inner->value = upper ? s.toUpper() : s.toLower();
            }
            return inner;
        }
        o.source = Operand::Source::Expression;
        o.kind = QueryValueKind::Text;
        o.name = inner->name;
        if (upper && inner->upperCased) {
            o.sql = inner->sql;
        } else {
            o.sql = (upper ? QStringLiteral("PK_UPPER(") : QStringLiteral("PK_LOWER(")) + inner->sql
                    + u')';
        }
        o.upperCased = upper;
        return o;
    }
    default:
        fail(node.position, QStringLiteral("expected a field or a value"));
        return std::nullopt;
    }
}

bool Compiler::emitOperand(
    const Operand &o, QueryValueKind kind, bool foldText, bool trimText, QString &out)
{
    if (o.source != Operand::Source::Constant) {
        if (kind == QueryValueKind::Text && foldText && !o.upperCased)
            out += QStringLiteral("PK_UPPER(") + o.sql + u')';
        else
            out += o.sql;
        return true;
    }
    switch (kind) {
    case QueryValueKind::Text: {
        QString s = o.kind == QueryValueKind::Number && o.value.typeId() == QMetaType::Double
                        ? QString::number(o.value.toDouble())
                        : o.value.toString();
        if (trimText)
            s = trimmedRight(s);
        out += bind(foldText ? s.toUpper() : s);
        return true;
    }
    case QueryValueKind::Number: {
        if (o.kind == QueryValueKind::Number || o.kind == QueryValueKind::Date) {
            out += bind(o.value);
            return true;
        }
        const QString s = o.value.toString().trimmed();
        bool ok = false;
        const qlonglong i = s.toLongLong(&ok);
        if (ok) {
            out += bind(i);
            return true;
        }
        const double d = s.toDouble(&ok);
        if (!ok)
            return fail(o.position, QStringLiteral("'%1' is not a number").arg(o.value.toString()));
        out += bind(d);
        return true;
    }
    case QueryValueKind::Date: {
        if (o.kind != QueryValueKind::Text) {
            out += bind(o.value.toLongLong());
            return true;
        }
        const QString s = o.value.toString().trimmed();
        if (s.isEmpty()) {
            out += bind(qlonglong(0));
            return true;
        }
        const QDate d = QueryCompiler::parseDate(s);
        if (!d.isValid())
            return fail(o.position, QStringLiteral("'%1' is not a date").arg(s));
        out += bind(qlonglong(QueryCompiler::dayNumber(d)));
        return true;
    }
    }
    return false;
}

bool Compiler::emitPlainText(const Operand &o, QString &out)
{
    return emitOperand(o, QueryValueKind::Text, false, false, out);
}

bool Compiler::compare(const QueryNode &node, QString &out)
{
    std::optional<Operand> left = operand(*node.children[0]);
    if (!left)
        return false;
    std::optional<Operand> right = operand(*node.children[1]);
    if (!right)
        return false;

    QueryValueKind kind;
    if (left->source == Operand::Source::Field)
        kind = left->kind;
    else if (right->source == Operand::Source::Field)
        kind = right->kind;
    else if (left->source == Operand::Source::Expression
             || right->source == Operand::Source::Expression)
        kind = QueryValueKind::Text;
    else if (left->kind != QueryValueKind::Text && right->kind != QueryValueKind::Text)
        kind = QueryValueKind::Number;
    else
        kind = QueryValueKind::Text;

    static const char *const symbols[] = {"=", "<>", ">", "<", ">=", "<="};
    const int index = static_cast<int>(node.op) - 1;
    const bool text = kind == QueryValueKind::Text;
    out += u'(';
    if (!emitOperand(*left, kind, text, true, out))
        return false;
    out += u' ' + QLatin1String(symbols[index]) + u' ';
    if (!emitOperand(*right, kind, text, true, out))
        return false;
    out += u')';
    return true;
}

bool Compiler::search(const QueryNode &node, QString &out)
{
    std::optional<Operand> left = operand(*node.children[0]);
    if (!left)
        return false;
    std::optional<Operand> right = operand(*node.children[1]);
    if (!right)
        return false;
    const bool begins = node.op == QueryOperator::BeginsWith
                        || node.op == QueryOperator::NotBeginsWith;
    const bool negated = node.op == QueryOperator::NotBeginsWith
                         || node.op == QueryOperator::NotContains;
    out += negated ? QStringLiteral("(NOT ") : QStringLiteral("(");
    if (!begins && !negated) {
        // Candidates from the substring index first; PK_CONTAINS still decides.
        if (const QString match = narrowing(node, *left, *right); !match.isEmpty())
            candidates({match}, out);
    }
    out += begins ? QStringLiteral("PK_BEGINS(") : QStringLiteral("PK_CONTAINS(");
    if (!emitPlainText(*left, out))
        return false;
    out += QStringLiteral(", ");
    if (!emitPlainText(*right, out))
        return false;
    out += QStringLiteral(", 1))");
    return true;
}

QString Compiler::narrowing(const QueryNode &node, const Operand &field, const Operand &text) const
{
    if (!m_required || !m_context.substringIndex || !m_context.substringIndex->match
        || node.op != QueryOperator::Contains || field.source != Operand::Source::Field
        || text.source != Operand::Source::Constant || text.kind != QueryValueKind::Text)
        return {};
    return m_context.substringIndex->match(field.sql, text.value.toString());
}

QStringList Compiler::alternativeNarrowing(const QueryNode &node)
{
    if (!m_context.substringIndex)
        return {};
    QStringList matches;
    for (const auto &child : node.children) {
        if (child->kind != QueryNode::Kind::Condition || child->op != QueryOperator::Contains)
            return {};
        const std::optional<Operand> field = operand(*child->children[0]);
        const std::optional<Operand> text = field ? operand(*child->children[1]) : std::nullopt;
        const QString match = text ? narrowing(*child, *field, *text) : QString();
        if (match.isEmpty())
            return {};
        matches << match;
    }
    return matches;
}

void Compiler::candidates(const QStringList &matches, QString &out)
{
    const QuerySubstringIndex &index = *m_context.substringIndex;
    out += index.rowid + QStringLiteral(" IN (");
    for (qsizetype i = 0; i < matches.size(); ++i) {
        if (i > 0)
            out += QStringLiteral(" UNION ");
        out += QStringLiteral("SELECT rowid FROM ") + index.table + QStringLiteral(" WHERE ")
               + index.table + QStringLiteral(" MATCH ") + bind(matches.at(i));
    }
    if (!index.pending.isEmpty())
        out += QStringLiteral(" UNION ALL ") + index.pending;
    out += QStringLiteral(") AND ");
}

bool Compiler::checked(const QueryNode &node, QString &out)
{
    std::optional<Operand> field = operand(*node.children[0]);
    if (!field)
        return false;
    if (field->source == Operand::Source::Constant)
        return fail(node.position, QStringLiteral("IS CHECKED applies to a field"));
    const bool isChecked = node.op == QueryOperator::IsChecked;
    const QString empty = field->kind == QueryValueKind::Text ? QStringLiteral("''")
                                                              : QStringLiteral("0");
    out += u'(' + field->sql + (isChecked ? QStringLiteral(" <> ") : QStringLiteral(" = ")) + empty
           + u')';
    return true;
}

bool Compiler::match(const QueryNode &node, QString &out)
{
    const QueryNode &modeNode = *node.children[2];
    if (modeNode.kind != QueryNode::Kind::Number || modeNode.value.typeId() != QMetaType::LongLong)
        return fail(modeNode.position, QStringLiteral("the mode of MATCH must be 1 or 17"));
    const qlonglong mode = modeNode.value.toLongLong();
    if (mode != 1 && mode != 17)
        return fail(modeNode.position,
                    QStringLiteral(
                        "MATCH mode %1 is not supported; use 1 (exact) or 17 (ignoring case)")
                        .arg(mode));
    std::optional<Operand> value = operand(*node.children[0]);
    if (!value)
        return false;
    std::optional<Operand> pattern = operand(*node.children[1]);
    if (!pattern)
        return false;
    out += QStringLiteral("PK_MATCH(");
    if (!emitPlainText(*value, out))
        return false;
    out += QStringLiteral(", ");
    if (!emitPlainText(*pattern, out))
        return false;
    out += QStringLiteral(", %1)").arg(mode);
    return true;
}

bool Compiler::truth(const QueryNode &node, QString &out)
{
    std::optional<Operand> field = operand(*node.children[0]);
    if (!field)
        return false;
    if (field->source == Operand::Source::Constant)
        return fail(node.children[0]->position,
                    QStringLiteral("expected a comparison after '%1'").arg(field->name));
    const QString empty = field->kind == QueryValueKind::Text ? QStringLiteral("''")
                                                              : QStringLiteral("0");
    out += u'(' + field->sql + QStringLiteral(" <> ") + empty + u')';
    return true;
}

} // namespace

std::optional<SqlFilter> QueryCompiler::compile(const QueryNode &root,
                                                const QueryCompileContext &context,
                                                QueryError &error)
{
    error = {};
    Compiler compiler(context, error);
    SqlFilter filter;
    if (!compiler.condition(root, filter.where))
        return std::nullopt;
    filter.bindings = compiler.takeBindings();
    return filter;
}

qint32 QueryCompiler::dayNumber(const QDate &date)
{
    if (!date.isValid())
        return 0;
    return static_cast<qint32>(QDate(1800, 12, 28).daysTo(date));
}

QDate QueryCompiler::parseDate(const QString &text)
{
    const QString s = text.trimmed();
    QDate d = QDate::fromString(s, Qt::ISODate);
    if (d.isValid())
        return d;
    const QLocale locale = QLocale::system();
    d = locale.toDate(s, QLocale::ShortFormat);
    if (d.isValid())
        return d;
    return locale.toDate(s, QLocale::LongFormat);
}

} // namespace pk
