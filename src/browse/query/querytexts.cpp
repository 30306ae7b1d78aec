#include "browse/query/querytexts.h"

namespace pk {

QString QueryTexts::message(int number) const
{
    QString s = text(number);
    s.replace(u'|', u'\n');
    return s;
}

void QueryTexts::setDefaults()
{
    static const char *const operators[QueryOperatorCount] = {
        "Is Equal To",
        "Is NOT Equal To",
        "Is Greater Than",
        "Is Less Than",
        "Is Greater Than or Equal To",
        "Is Less Than or Equal To",
        "Begins With",
        "Contains",
        "Does NOT Begin With",
        "Does NOT Contain",
        "Is Checked",
        "Is NOT Checked",
    };
    for (int i = 0; i < QueryOperatorCount; ++i)
        set(i + 1, QString::fromLatin1(operators[i]));

    set(ErrorLoadingQueryTitle, QStringLiteral("ErrorLoadingQuery"));
    set(ErrorLoadingQuery,
        QStringLiteral(
            "An error has prevented the Query Wizard from loading your query at this time."));
    set(InvalidQueryTitle, QStringLiteral("Invalid Query"));
    set(InvalidQuery,
        QStringLiteral("The query you have designed is invalid.|Please review your "
                       "query and correct the problem."));
    set(OverwriteQueryTitle, QStringLiteral("Overwrite Query"));
    set(OverwriteQuery, QStringLiteral("Do you want to overwrite the query you are editing?"));
    set(QueryNoLongerValidTitle, QStringLiteral("Query No Longer Valid"));
    set(QueryNoLongerValid,
        QStringLiteral(
            "This query is no longer valid because fields|and/or expressions were renamed "
            "or deleted from|the database after you created the query."));
    set(RestrictedQueryTitle, QStringLiteral("Restricted Query"));
    set(RestrictedQuery,
        QStringLiteral("Sorry, this is a restricted query and may not be modified."));
    set(SaveQueryTitle, QStringLiteral("Save Query"));
    set(SaveQuery, QStringLiteral("Would you like to save this query?"));

    set(AndTip, QStringLiteral("Add a New AND Query Element"));
    set(AndStatus, QStringLiteral("New AND Condition"));
    set(AndButton, QStringLiteral("&AND"));
    set(BackTip, QStringLiteral("Go Back to the Previous Page"));
    set(BackStatus, QStringLiteral("Goto Previous Page"));
    set(BackButton, QStringLiteral("< &Back"));
    set(CancelTip, QStringLiteral("Cancel Changes and Exit Wizard"));
    set(CancelStatus, QStringLiteral("Cancel Wizard"));
    set(CancelButton, QStringLiteral("Cancel"));
    set(OrTip, QStringLiteral("Add a New OR Query Element"));
    set(OrStatus, QStringLiteral("New OR Condition"));
    set(OrButton, QStringLiteral("&OR"));
    set(FinishTip, QStringLiteral("Finish and Use This Query"));
    set(FinishStatus, QStringLiteral("Finish Wizard"));
    set(FinishButton, QStringLiteral("&Finish"));
    set(NextTip, QStringLiteral("Accept This Condition"));
    set(NextStatus, QStringLiteral("Goto Next Page"));
    set(NextButton, QStringLiteral("&Next >"));
    set(ChangeTip, QStringLiteral("Change the Selected Query Element"));
    set(ChangeStatus, QStringLiteral("Change Condition"));
    set(ChangeButton, QStringLiteral("&Change"));
    set(RemoveTip, QStringLiteral("Remove the Selected Query Element"));
    set(RemoveStatus, QStringLiteral("Remove Condition"));
    set(RemoveButton, QStringLiteral("&Remove"));
}

QueryTexts &QueryTexts::shared()
{
    static QueryTexts texts;
    return texts;
}

} // namespace pk
