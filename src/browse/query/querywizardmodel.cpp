#include "browse/query/querywizardmodel.h"

#include "browse/query/querycompiler.h"
#include "browse/query/queryexpression.h"
#include "browse/query/querytexts.h"

#include <QDate>

namespace pk {

namespace {

std::optional<double> numberValue(const QString &text)
{
    bool ok = false;
    const double d = text.trimmed().toDouble(&ok);
    if (!ok)
        return std::nullopt;
    return d;
}

int choiceIndex(const QueryField &field, const QString &value)
{
    const QString v = value.trimmed();
    for (int i = 0; i < field.choices.size(); ++i) {
        if (field.choices.at(i).compare(v, Qt::CaseInsensitive) == 0)
            return i;
    }
    bool ok = false;
    const int n = v.toInt(&ok);
    return ok && n >= 0 && n < field.choices.size() ? n : -1;
}

} // namespace

QueryWizardModel::QueryWizardModel(const QueryFieldTable &fields, const QueryTexts &texts)
    : m_fields(fields), m_texts(texts)
{}

QList<QueryOperator> QueryWizardModel::operatorsFor(int field) const
{
    if (field < 0 || field >= m_fields.size())
        return {};
    const QueryField &f = m_fields.at(field);
    if (f.control == QueryField::Control::CheckBox)
        return {QueryOperator::IsChecked, QueryOperator::IsNotChecked};
    if (f.control == QueryField::Control::DropList)
        return {QueryOperator::Equal, QueryOperator::NotEqual};
    QList<QueryOperator> ops;
    const int last = f.isText() ? static_cast<int>(QueryOperator::NotContains)
                                : static_cast<int>(QueryOperator::LessEqual);
    for (int i = 1; i <= last; ++i)
        ops.append(static_cast<QueryOperator>(i));
    return ops;
}

QString QueryWizardModel::validate(const QueryCondition &c) const
{
    if (c.field < 0 || c.field >= m_fields.size())
        return QStringLiteral("Choose a field.");
    const QueryField &f = m_fields.at(c.field);
    if (!operatorsFor(c.field).contains(c.op))
        return QStringLiteral("The operator does not apply to %1.").arg(f.prompt);
    if (isCheckOperator(c.op))
        return {};
    if (f.control == QueryField::Control::DropList) {
        if (choiceIndex(f, c.value) < 0)
            return QStringLiteral("Choose one of: %1.").arg(f.choices.join(QStringLiteral(", ")));
        return {};
    }
    if (f.isDate()) {
        if (!c.value.trimmed().isEmpty() && !QueryCompiler::parseDate(c.value).isValid())
            return QStringLiteral("'%1' is not a date.").arg(c.value);
        return {};
    }
    if (!f.isText() && !numberValue(c.value))
        return QStringLiteral("'%1' is not a number.").arg(c.value);
    return {};
}

QString QueryWizardModel::literal(const QueryCondition &c) const
{
    const QueryField &f = m_fields.at(c.field);
    if (f.control == QueryField::Control::DropList)
        return QString::number(choiceIndex(f, c.value));
    if (f.isDate()) {
        const QDate d = QueryCompiler::parseDate(c.value);
        return QueryExpression::quote(d.isValid() ? d.toString(Qt::ISODate) : QString());
    }
    if (!f.isText()) {
        const QString t = c.value.trimmed();
        bool ok = false;
        const qlonglong i = t.toLongLong(&ok);
        return ok ? QString::number(i) : QString::number(t.toDouble(), 'g', 15);
    }
    return QueryExpression::quote(c.value);
}

QString QueryWizardModel::conditionExpression(const QueryCondition &c) const
{
    const QString name = m_fields.at(c.field).name;
    if (isCheckOperator(c.op))
        return name + u' ' + queryOperatorSyntax(c.op);
    return name + u' ' + queryOperatorSyntax(c.op) + u' ' + literal(c);
}

QString QueryWizardModel::describe(int index) const
{
    const QueryCondition &c = m_conditions.at(index);
    QString s;
    if (index > 0)
        s = c.join == QueryCondition::Join::And ? QStringLiteral("AND ") : QStringLiteral("OR ");
    s += m_fields.at(c.field).prompt + u' ' + m_texts.operatorText(c.op);
    if (!isCheckOperator(c.op))
        s += QStringLiteral(" '") + c.value + u'\'';
    return s;
}

void QueryWizardModel::add(const QueryCondition &condition)
{
    m_conditions.append(condition);
    m_modified = true;
}

void QueryWizardModel::replace(int index, const QueryCondition &condition)
{
    if (index < 0 || index >= m_conditions.size())
        return;
    m_conditions[index] = condition;
    m_modified = true;
}

void QueryWizardModel::remove(int index)
{
    if (index < 0 || index >= m_conditions.size())
        return;
    m_conditions.removeAt(index);
    m_modified = true;
}

void QueryWizardModel::clear()
{
    if (!m_conditions.isEmpty())
        m_modified = true;
    m_conditions.clear();
}

QString QueryWizardModel::expression() const
{
    QString out;
    for (int i = 0; i < m_conditions.size(); ++i) {
        const QueryCondition &c = m_conditions.at(i);
        if (i > 0)
            out += c.join == QueryCondition::Join::And ? QStringLiteral(" AND ")
                                                       : QStringLiteral(" OR ");
        out += conditionExpression(c);
    }
    return out;
}

bool QueryWizardModel::check(QueryError &error) const
{
    error = {};
    for (const QueryCondition &c : m_conditions) {
        const QString why = validate(c);
        if (!why.isEmpty()) {
            error = {-1, why};
            return false;
        }
    }
    const QueryExpression e = QueryExpression::parse(expression());
    if (!e.isValid()) {
        error = e.error();
        return false;
    }
    QueryCompileContext context;
    context.resolveField = m_fields.resolver();
    return e.compile(context, error).has_value();
}

QueryWizardModel::LoadResult QueryWizardModel::load(const QString &text)
{
    m_conditions.clear();
    m_modified = false;
    const QueryExpression e = QueryExpression::parse(text);
    if (!e.isValid())
        return LoadResult::Invalid;
    if (e.isEmpty())
        return LoadResult::Empty;
    LoadResult result = LoadResult::Loaded;
    if (!flattenOr(*e.root(), result)) {
        m_conditions.clear();
        return result;
    }
    return LoadResult::Loaded;
}

bool QueryWizardModel::flattenOr(const QueryNode &node, LoadResult &result)
{
    if (node.kind != QueryNode::Kind::Or)
        return flattenAnd(node, QueryCondition::Join::And, result);
    for (size_t i = 0; i < node.children.size(); ++i) {
        if (!flattenAnd(*node.children[i], QueryCondition::Join::Or, result))
            return false;
    }
    return true;
}

bool QueryWizardModel::flattenAnd(const QueryNode &node, QueryCondition::Join join,
                                  LoadResult &result)
{
    if (node.kind != QueryNode::Kind::And)
        return leaf(node, join, result);
    for (size_t i = 0; i < node.children.size(); ++i) {
        if (!leaf(*node.children[i], i == 0 ? join : QueryCondition::Join::And, result))
            return false;
    }
    return true;
}

bool QueryWizardModel::leaf(const QueryNode &node, QueryCondition::Join join, LoadResult &result)
{
    result = LoadResult::NotEditable;
    if (node.kind != QueryNode::Kind::Condition
        || node.children.front()->kind != QueryNode::Kind::Name)
        return false;
    QueryCondition c;
    c.join = join;
    c.op = node.op;
    c.field = m_fields.indexOf(node.children.front()->text);
    if (c.field < 0) {
        result = LoadResult::NoLongerValid;
        return false;
    }
    const QueryField &f = m_fields.at(c.field);
    if (!isCheckOperator(c.op)) {
        const QueryNode &value = *node.children[1];
        if (value.kind == QueryNode::Kind::Text) {
            c.value = value.text;
        } else if (value.kind == QueryNode::Kind::Number) {
            c.value = value.text;
            if (f.control == QueryField::Control::DropList) {
                const int i = value.value.toInt();
                if (i >= 0 && i < f.choices.size())
                    c.value = f.choices.at(i);
            } else if (f.isDate()) {
                const qlonglong day = value.value.toLongLong();
                c.value
                    = day == 0 ? QString() : QDate(1800, 12, 28).addDays(day).toString(Qt::ISODate);
            }
        } else {
            return false;
        }
    }
    if (!validate(c).isEmpty())
        return false;
    m_conditions.append(c);
    result = LoadResult::Loaded;
    return true;
}

} // namespace pk
