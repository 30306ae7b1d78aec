#include "browse/query/querywizardmodel.h"

#include "browse/query/querycompiler.h"
#include "browse/query/queryexpression.h"
#include "browse/query/querytexts.h"

#include <QDate>
#include <QRegularExpression>

#include <cmath>

namespace pk {

namespace {

/// A number as a user types it: digits with an optional sign and decimal part. Exponents,
/// "inf" and "nan" are refused: they would not read back from the expression.
std::optional<double> numberValue(const QString &text)
{
    static const QRegularExpression plain(QStringLiteral("^[+-]?(\\d+(\\.\\d*)?|\\.\\d+)$"));
    const QString t = text.trimmed();
    if (!plain.match(t).hasMatch())
        return std::nullopt;
    bool ok = false;
    const double d = t.toDouble(&ok);
    if (!ok || !std::isfinite(d))
        return std::nullopt;
    return d;
}

/// The values a number field can show: as many digits as its picture has positions (`@N2`
/// 0 to 99, `@n-14` a signed number of 14 positions, the sign taking one of them).
struct NumberRange
{
    double low = 0;
    double high = 0;
};

std::optional<NumberRange> pictureRange(const QString &picture)
{
    static const QRegularExpression numeric(QStringLiteral("^@[nN](-?)(\\d+)"));
    const QRegularExpressionMatch m = numeric.match(picture);
    if (!m.hasMatch())
        return std::nullopt;
    const bool isSigned = !m.captured(1).isEmpty();
    const int positions = std::clamp(m.captured(2).toInt(), 1, 18);
    const double high = std::pow(10.0, positions) - 1;
    const double low = isSigned ? -(std::pow(10.0, positions - 1) - 1) : 0;
    return NumberRange{low, high};
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
    : m_fields(fields)
    , m_texts(texts)
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
    if (f.isText())
        return {};
    const auto number = numberValue(c.value);
    if (!number)
        return QStringLiteral("'%1' is not a number. Type digits, e.g. 5 or -2.5.").arg(c.value);
    // Anything past what the field can hold would not survive the round trip to text.
    const NumberRange range = pictureRange(f.picture).value_or(NumberRange{-1e15, 1e15});
    if (*number < range.low || *number > range.high)
        return QStringLiteral("%1 takes a number from %2 to %3; '%4' is out of range.")
            .arg(f.prompt,
                 QString::number(range.low, 'f', 0),
                 QString::number(range.high, 'f', 0),
                 c.value.trimmed());
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
        if (ok)
            return QString::number(i);
        // Fixed notation: the filter language has no exponents.
        QString fixed = QString::number(t.toDouble(), 'f', 6);
        while (fixed.endsWith(u'0'))
            fixed.chop(1);
        if (fixed.endsWith(u'.'))
            fixed.chop(1);
        return fixed;
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

bool QueryWizardModel::flattenAnd(const QueryNode &node,
                                  QueryCondition::Join join,
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
                c.value = day == 0 ? QString()
                                   : QDate(1800, 12, 28).addDays(day).toString(Qt::ISODate);
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
