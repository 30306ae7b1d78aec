#pragma once

#include "browse/query/queryerror.h"
#include "browse/query/queryfieldtable.h"
#include "browse/query/queryoperator.h"

#include <QList>
#include <QString>

namespace pk {

struct QueryNode;
class QueryTexts;

/// One line of a query as the wizard edits it: field, operator and value.
struct QueryCondition
{
    enum class Join { And, Or };

    Join join = Join::And; ///< how it joins the condition before it (ignored for the first)
    int field = -1;        ///< row of the field table
    QueryOperator op = QueryOperator::Equal;
    QString value; ///< as the user entered it; a drop list's choice text; empty for checks

    bool operator==(const QueryCondition &) const = default;
};

/**
 * @brief The query wizard's logic: a list of conditions over one field table and the filter
 * expression they make.
 *
 * Conditions are written one after the other joined by AND or OR; AND binds tighter than OR, so
 * "a AND b OR c" selects (a and b) or c, which is how the list reads. Values are checked against
 * the field (numbers, dates, choices) and the whole expression is compiled before it is handed
 * back, so the wizard never returns a query that the lists would refuse.
 */
class QueryWizardModel final
{
public:
    /// What load() made of an existing query.
    enum class LoadResult {
        Empty,         ///< no query: start with no condition
        Loaded,        ///< the conditions reproduce the query
        Invalid,       ///< the text is not a valid expression
        NoLongerValid, ///< it names a field this table does not have
        NotEditable,   ///< valid, but not a flat list of conditions (parentheses, NOT, MATCH, ...)
    };

    QueryWizardModel(const QueryFieldTable &fields, const QueryTexts &texts);

    const QueryFieldTable &fields() const { return m_fields; }
    const QueryTexts &texts() const { return m_texts; }

    /// The operators offered for a field: checks for check boxes, equality for drop lists,
    /// comparisons for numbers and dates, all but the checks for text.
    QList<QueryOperator> operatorsFor(int field) const;

    /// Why a condition cannot be used (empty when it can).
    QString validate(const QueryCondition &condition) const;
    /// The condition in the filter language, e.g. `URL:Rating >= 5`. Assumes validate() passed.
    QString conditionExpression(const QueryCondition &condition) const;
    /// The condition for the list of conditions: "AND Rating Is Greater Than 5".
    QString describe(int index) const;

    const QList<QueryCondition> &conditions() const { return m_conditions; }
    void add(const QueryCondition &condition);
    void replace(int index, const QueryCondition &condition);
    void remove(int index);
    void clear();
    bool isModified() const { return m_modified; }

    /// The whole expression; empty with no conditions.
    QString expression() const;

    /// Checks the whole expression: refused over 1024 characters, and compiled against the
    /// field table. Fills `error` and returns false when it is not usable.
    bool check(QueryError &error) const;

    /// Turns an existing query back into conditions (clears them first; not a modification).
    LoadResult load(const QString &expression);

private:
    bool flattenOr(const QueryNode &node, LoadResult &result);
    bool flattenAnd(const QueryNode &node, QueryCondition::Join join, LoadResult &result);
    bool leaf(const QueryNode &node, QueryCondition::Join join, LoadResult &result);
    QString literal(const QueryCondition &condition) const;

    const QueryFieldTable &m_fields;
    const QueryTexts &m_texts;
    QList<QueryCondition> m_conditions;
    bool m_modified = false;
};

} // namespace pk
