#pragma once

#include "import/categorymode.h"
#include "import/importcounts.h"
#include "store/records.h"
#include "store/storestatus.h"

#include <QElapsedTimer>
#include <QHash>
#include <QSet>
#include <QString>

#include <functional>
#include <optional>

namespace pk {

class Collection;
class ErrorManager;

/**
 * @brief The one way every import adds locations: the category each location gets under the
 * assignment mode, the categories offered to Categories, and the insert with the table's rules.
 *
 * An address already in the collection is refused without a message and the stored location
 * stays as it is. An address longer than LocationAddress::MaxLength, or holding a line break or
 * another control character, is refused before the store sees it (TooLong, NotAnAddress): the
 * first of each kind is reported naming it, all are counted; none is ever stored cut. A location whose category is not in Categories is refused by the store's rule;
 * the first such refusal is reported with the store's catalogue message, later ones are only
 * counted so that a large import never stacks one message per location, and reportRefusals()
 * tells how many there were. Imports do their work in batches (runBatch), each in one
 * transaction: one commit for thousands of rows, and what an earlier batch added stays when the
 * import is cancelled or the program dies. A batch is sized by time, not by a count: the import
 * asks stepDue() as it goes and ends the batch once it has run for stepMilliseconds(). Every
 * commit writes the touched pages of all the location keys again, so fewer, longer batches
 * write far less; a window keeps them short enough that progress and Cancel stay live.
 */
class ImportInsert final
{
public:
    /// How an import's own category meets the assignment mode.
    enum class Rules {
        /// Files, pages and text: a blank guess becomes "New"; "Ask" without a choice gives
        /// "New"; "Guess" and "Ask" add missing categories; "Selected" and "None" add nothing,
        /// and "None" keeps what the import derived.
        Content,
        /// Favourites: "Ask" without a choice keeps the folder category; "None" blanks the
        /// category; every non-blank category is added when missing.
        FolderTree
    };

    /// The category question (`AskCategory`): the chosen category, blank for "&Use Best Guess",
    /// nothing when it was closed without a choice.
    using CategoryQuestion
        = std::function<std::optional<QString>(const LocationRecord &location, const QString &guess)>;

    enum class Outcome { Added, Duplicate, Refused, Failed };

    using Refusal = ImportCounts::Refusal;
    using Skip = ImportCounts::Skip;

    static constexpr const char *NewCategory = "New";
    /// A batch's time in a window, which runs batches from its event loop: the window does not
    /// answer while one runs.
    static constexpr int WindowStepMilliseconds = 100;
    /// A batch's time where nobody waits on a window (the command line): a kill still keeps
    /// every batch committed before it.
    static constexpr int UnattendedStepMilliseconds = 1000;

    ImportInsert(Collection &collection,
                 ErrorManager &errors,
                 CategoryMode mode,
                 QString selectedCategory,
                 Rules rules = Rules::Content);
    /// Indexes what the import added for substring searches (Collection::holdTextIndex()).
    ~ImportInsert();
    ImportInsert(const ImportInsert &) = delete;
    ImportInsert &operator=(const ImportInsert &) = delete;

    CategoryMode mode() const { return m_mode; }
    ErrorManager &errors() const { return m_errors; }
    void setCategoryQuestion(CategoryQuestion question) { m_question = std::move(question); }

    /**
     * The category of `location` under the mode, starting from the one the import derived;
     * adds it to Categories where the rules say so. The result is what the import carries on
     * with (the next location of a bookmark folder starts from it).
     */
    QString assignCategory(const QString &derived, const LocationRecord &location);

    /// Adds `name` to Categories without a message when no category of that name exists.
    /// False for a blank name or when it could not be added.
    bool offerCategory(const QString &name);
    /// The description a category gets should this import add it (a bookmark folder's note).
    /// A category that exists already keeps its own.
    void describeCategory(const QString &name, const QString &description);

    /// Stores `record` as a new location (see the class comment). Counts the outcome.
    Outcome insert(const LocationRecord &record);

    /**
     * Runs `step` in one transaction and commits what it did. When no transaction can be begun
     * the step runs without one; in "Ask" mode with a question set it always does, so that no
     * question waits for its answer while the collection is locked for writing. Returns the transaction's status; a failure is already
     * reported and stops the import (stopped()), so callers may leave the result aside.
     */
    StoreStatus runBatch(const std::function<void()> &step);

    /// How long a batch runs before stepDue() says so (WindowStepMilliseconds unless set).
    void setStepMilliseconds(int milliseconds) { m_stepMilliseconds = milliseconds; }
    int stepMilliseconds() const { return m_stepMilliseconds; }
    /// True once the running batch has had its time: the import ends the batch at the next
    /// point where it may (after a whole record). Always false outside a batch.
    bool stepDue() const
    {
        return m_batchClock.isValid() && m_batchClock.elapsed() >= m_stepMilliseconds;
    }

    /// Counts a link or record the import refused before offering it to the store (the
    /// category rule is counted by insert() itself). Adds to refused().
    void countRefused(Refusal why);
    /// Counts a link the import passed over (a relative address, an anchor, an empty one).
    void countSkipped(Skip why);
    /// Counts an address the import found already stored before offering it (insert() counts
    /// the ones the store refuses as duplicates).
    void countDuplicate() { ++m_duplicates; }

    int added() const { return m_added; }
    int duplicates() const { return m_duplicates; }
    int refused() const { return m_refused; }
    int refused(Refusal why) const { return m_refusedFor[static_cast<int>(why)]; }
    int skipped(Skip why) const { return m_skippedFor[static_cast<int>(why)]; }
    int skipped() const;
    int failed() const { return m_failed; }
    /// The import ended before its source did (the user cancelled, or closed its window).
    void markCancelled() { m_cancelled = true; }
    bool cancelled() const { return m_cancelled; }
    /// Every count at once, for the closing summary (ImportSummary).
    ImportCounts counts() const;
    /// A write failed for a reason that will not go away by itself (a full disk, a read-only
    /// file): the failure was reported and the import should stop.
    bool stopped() const { return m_stopped; }

    /// When more locations were refused than the one reported, says how many in one message.
    void reportRefusals();
    /// The text of that message for `count` refusals.
    static QString refusalSummary(int count);

private:
    bool categoryKnown(const QString &name);

    Collection &m_collection;
    ErrorManager &m_errors;
    CategoryMode m_mode;
    QString m_selected;
    Rules m_rules;
    CategoryQuestion m_question;
    QSet<QString> m_knownCategories; ///< case-folded names seen in Categories in this batch
    QHash<QString, QString> m_descriptions; ///< case-folded name to the description it gets
    QElapsedTimer m_batchClock;      ///< started by runBatch, invalid between batches
    int m_stepMilliseconds = WindowStepMilliseconds;
    int m_added = 0;
    int m_duplicates = 0;
    int m_refused = 0;
    int m_failed = 0;
    ImportCounts::RefusedCounts m_refusedFor{};
    ImportCounts::SkippedCounts m_skippedFor{};
    bool m_stopped = false;
    bool m_cancelled = false;
};

} // namespace pk
