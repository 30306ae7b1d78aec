#pragma once

#include "browse/query/queryoperator.h"

#include <QHash>
#include <QString>

namespace pk {

/**
 * @brief The query wizard's display texts, set by number once at program start.
 *
 * 1-12 are the operator names (numbered as QueryOperator), 31-42 the wizard's message titles
 * and texts, 100 onwards the button, tip and status texts (three per button: tip, status line,
 * label). Texts use "|" for a line break, as the message texts are written.
 */
class QueryTexts final
{
public:
    enum Number {
        ErrorLoadingQueryTitle = 31,
        ErrorLoadingQuery = 32,
        InvalidQueryTitle = 33,
        InvalidQuery = 34,
        OverwriteQueryTitle = 35,
        OverwriteQuery = 36,
        QueryNoLongerValidTitle = 37,
        QueryNoLongerValid = 38,
        RestrictedQueryTitle = 39,
        RestrictedQuery = 40,
        SaveQueryTitle = 41,
        SaveQuery = 42,
        AndTip = 100,
        AndStatus,
        AndButton,
        BackTip,
        BackStatus,
        BackButton,
        CancelTip,
        CancelStatus,
        CancelButton,
        OrTip,
        OrStatus,
        OrButton,
        FinishTip,
        FinishStatus,
        FinishButton,
        NextTip,
        NextStatus,
        NextButton,
        ChangeTip,
        ChangeStatus,
        ChangeButton,
        RemoveTip,
        RemoveStatus,
        RemoveButton,
    };

    void set(int number, const QString &text) { m_texts.insert(number, text); }
    /// The text set for `number`, or an empty text.
    QString text(int number) const { return m_texts.value(number); }
    /// A message text with its "|" line breaks turned into new lines.
    QString message(int number) const;
    QString operatorText(QueryOperator op) const { return text(static_cast<int>(op)); }

    /// Sets every text the program uses (done once at start-up).
    void setDefaults();

    /// The program-wide table; start-up calls setDefaults() on it.
    static QueryTexts &shared();

private:
    QHash<int, QString> m_texts;
};

} // namespace pk
