#pragma once

#include "store/sqlfilter.h"
#include "store/storestatus.h"

#include <QString>

#include <functional>
#include <optional>
#include <span>

namespace pk {

struct LocationRecord;

class Collection;
class UserInterface;

/// A field of the Locations table that "Global Search and Replace" offers.
struct ReplaceField
{
    const char *label;   ///< "Location (URL)"
    const char *field;   ///< "URL:Location"
    int length;          ///< the field's width
    const char *picture; ///< entry picture of the two texts, "@s60"
};

/// How a run ended.
struct GlobalReplaceResult
{
    qint64 total = 0;   ///< locations chosen
    qint64 stored = 0;  ///< locations stored back
    qint64 changed = 0; ///< of those, the ones whose field changed
    bool cancelled = false;
    /// The store that failed and ended the run (success when none did).
    StoreStatus failure;
};

/**
 * @brief Replaces a text in one field of every location, or of those a filter chooses, in one
 * transaction.
 *
 * Locations are visited once each in stored order (their row ids are read first, so a location
 * whose address changes is never met twice). Each gets the text replacement (letter case
 * ignored) and loses its leading blanks; a location whose field changed is stored back, an
 * address or a category through the Locations manager with its rules (keywords and details
 * follow a changed address), any other field as that one column. The first store that fails ends the run;
 * what was stored before it is committed all the same.
 */
class GlobalReplace final
{
public:
    static constexpr const char *Title = "Global Search and Replace";
    static constexpr const char *ProgressTitle = "Updating records";
    static constexpr const char *QueryCaption = "Query Wizard";
    static constexpr const char *QueryQuestion
        = "Would you like to apply a query to limit the records to search?";
    static constexpr const char *CompleteTitle = "Status";
    static constexpr const char *CompleteText
        = "Process complete.||Select another set of parameters and press OK, or press Cancel to "
          "exit (changes made will not be reversed).";
    /// Named in the message that reports a failed store.
    static constexpr const char *ProcedureName = "Process:View ";

    /// Percentage and the location being stored; false cancels the run.
    using Progress = std::function<bool(int percent, const QString &text)>;

    /// What a run did, in one line for the closing message ("12 of 40 location(s) changed.").
    static QString outcomeText(const GlobalReplaceResult &result);

    /// The twelve fields, in the order the window lists them.
    static std::span<const ReplaceField> fields();
    /// Characters the picture lets the user type ("@s30" -> 30, "" -> 255).
    static int pictureWidth(const QString &picture);

    GlobalReplace(Collection &collection, const ReplaceField &field);

    /// The filter a query expression compiles to; nothing (after a message) when it is bad.
    static std::optional<SqlFilter> compileQuery(const QString &condition, UserInterface *ui);

    GlobalReplaceResult run(const QString &search,
                            const QString &replacement,
                            const SqlFilter &filter = {},
                            const Progress &progress = {});

private:
    StoreStatus moveDependents(const QString &from, const QString &to);
    /// The replaced field's text of the location at `rowId`, with its address and description.
    StoreStatus readField(const QString &sql, qint64 rowId, QString &text, LocationRecord &record);
    /// Stores `text` in the replaced field of the location at `rowId` alone.
    StoreStatus writeField(const QString &sql, qint64 rowId, const QString &text);

    Collection &m_collection;
    const ReplaceField &m_field;
};

} // namespace pk
