#include "import/importinsert.h"

#include "framework/errormanager.h"
#include "framework/userinterface.h"
#include "store/categorymanager.h"
#include "store/collection.h"
#include "store/fields.h"
#include "store/fieldtext.h"
#include "store/locationaddress.h"
#include "store/locationmanager.h"

#include <QScopeGuard>

using namespace Qt::StringLiterals;

namespace pk {

namespace {

int categoryWidth()
{
    return categoriesTable().fields[0].width;
}

} // namespace

ImportInsert::ImportInsert(Collection &collection,
                           ErrorManager &errors,
                           CategoryMode mode,
                           QString selectedCategory,
                           Rules rules)
    : m_collection(collection)
    , m_errors(errors)
    , m_mode(mode)
    , m_selected(fitToField(selectedCategory, categoryWidth()))
    , m_rules(rules)
{}

ImportInsert::~ImportInsert()
{
    static_cast<void>(m_collection.releaseTextIndex());
}

QString ImportInsert::assignCategory(const QString &derived, const LocationRecord &location)
{
    const QString guess = fitToField(derived, categoryWidth());
    const QString fallback = m_rules == Rules::FolderTree ? guess
                                                          : QString::fromLatin1(NewCategory);
    QString result;
    bool offer = false;
    switch (m_mode) {
    case CategoryMode::Guess:
        result = guess.isEmpty() && m_rules == Rules::Content ? fallback : guess;
        offer = true;
        break;
    case CategoryMode::Ask: {
        const std::optional<QString> answer = m_question ? m_question(location, guess)
                                                         : std::optional<QString>();
        const QString chosen = answer ? fitToField(*answer, categoryWidth()) : QString();
        if (!chosen.isEmpty())
            result = chosen;
        else if (answer && !guess.isEmpty())
            result = guess; // "&Use Best Guess" means the guess, not a category of its own
        else
            result = fallback;
        offer = true;
        break;
    }
    case CategoryMode::Selected:
        result = m_selected;
        offer = m_rules == Rules::FolderTree;
        break;
    case CategoryMode::None:
        result = m_rules == Rules::FolderTree ? QString() : guess;
        break;
    }
    if (offer)
        offerCategory(result);
    return result;
}

void ImportInsert::describeCategory(const QString &name, const QString &description)
{
    const QString category = fitToField(name, categoryWidth());
    if (!category.isEmpty() && !description.trimmed().isEmpty())
        m_descriptions.insert(category.toCaseFolded(), description);
}

bool ImportInsert::categoryKnown(const QString &name)
{
    const QString folded = name.toCaseFolded();
    if (m_knownCategories.contains(folded))
        return true;
    if (!m_collection.categories().exists(name))
        return false;
    m_knownCategories.insert(folded);
    return true;
}

bool ImportInsert::offerCategory(const QString &name)
{
    const QString category = fitToField(name, categoryWidth());
    if (category.isEmpty())
        return false;
    if (categoryKnown(category))
        return true;
    CategoryRecord record;
    record.Category = category;
    record.Description = m_descriptions.value(category.toCaseFolded());
    const StoreStatus s = m_collection.categories().insert(record);
    if (!s && s.error != StoreError::DuplicateKey)
        return false;
    m_knownCategories.insert(category.toCaseFolded());
    return true;
}

ImportInsert::Outcome ImportInsert::insert(const LocationRecord &record)
{
    // Checked here, not left to the store: the store would refuse a long address as well, but
    // the import counts why and names the first one.
    using Problem = LocationAddress::Problem;
    const QString *address = &record.Location;
    Problem problem = LocationAddress::check(record.Location, false);
    if (problem == Problem::None
        && LocationAddress::check(record.MovedTo, false) == Problem::TooLong) {
        address = &record.MovedTo;
        problem = Problem::TooLong;
    }
    if (problem == Problem::Blank) {
        countSkipped(Skip::Empty);
        return Outcome::Refused;
    }
    if (problem != Problem::None) {
        const Refusal why = problem == Problem::TooLong ? Refusal::TooLong : Refusal::NotAnAddress;
        if (refused(why) == 0)
            m_errors.ui().message(u"Import"_s,
                                  LocationAddress::message(problem, *address),
                                  UserInterface::Icon::Warning);
        countRefused(why);
        return Outcome::Refused;
    }
    const StoreStatus s = m_collection.locations().insert(record);
    if (s) {
        ++m_added;
        return Outcome::Added;
    }
    if (s.error == StoreError::DuplicateKey) {
        ++m_duplicates;
        return Outcome::Duplicate;
    }
    if (s.error == StoreError::ValidationFailed) {
        ++m_refused;
        if (m_refusedFor[static_cast<int>(Refusal::CategoryRule)]++ == 0)
            m_errors.raise(s.catalogueNumber, s.context);
        return Outcome::Refused;
    }
    ++m_failed;
    if (!m_stopped) {
        m_stopped = true;
        if (s.catalogueNumber != 0)
            m_errors.raise(s.catalogueNumber, s.context);
        else
            m_errors.ui().message(u"Import"_s, s.describe(), UserInterface::Icon::Warning);
    }
    return Outcome::Failed;
}

StoreStatus ImportInsert::runBatch(const std::function<void()> &step)
{
    // Categories may change between batches (another window); within one they only grow.
    m_knownCategories.clear();
    m_batchClock.start();
    const auto stopClock = qScopeGuard([this] { m_batchClock.invalidate(); });
    if (m_mode == CategoryMode::Ask && m_question) {
        // A question waits for a person: no write lock may be held meanwhile, or every other
        // writer (the command line, a second program, a backup) waits as long. Each location
        // is then written on its own, between the questions.
        step();
        return StoreStatus::success();
    }
    bool ran = false;
    const int addedBefore = m_added;
    const StoreStatus s = m_collection.transaction([&] {
        ran = true;
        // An import adds many locations: the substring index takes them in one pass when it
        // ends (the destructor). Written row by row, the index would flush itself after every
        // statement; indexed at every commit, it would grow by one part per batch.
        m_collection.holdTextIndex();
        step();
        return StoreStatus::success();
    });
    if (!ran) {
        step();
        return StoreStatus::success();
    }
    if (!s) {
        // The commit failed: this batch's rows are gone, and the next would fail alike.
        m_added = addedBefore;
    }
    if (!s && !m_stopped) {
        m_stopped = true;
        if (s.catalogueNumber != 0)
            m_errors.raise(s.catalogueNumber, s.context);
        else
            m_errors.ui().message(u"Import"_s, s.describe(), UserInterface::Icon::Warning);
    }
    return s;
}

void ImportInsert::countRefused(Refusal why)
{
    ++m_refusedFor[static_cast<int>(why)];
    ++m_refused;
}

void ImportInsert::countSkipped(Skip why)
{
    ++m_skippedFor[static_cast<int>(why)];
}

int ImportInsert::skipped() const
{
    return counts().skippedTotal();
}

ImportCounts ImportInsert::counts() const
{
    ImportCounts c;
    c.added = m_added;
    c.duplicates = m_duplicates;
    c.failed = m_failed;
    c.refused = m_refusedFor;
    c.skipped = m_skippedFor;
    c.cancelled = m_cancelled;
    return c;
}

QString ImportInsert::refusalSummary(int count)
{
    return QString::number(count)
           + u" location(s) were not imported because their category is not in the Categories "
             u"file."_s;
}

void ImportInsert::reportRefusals()
{
    const int byCategory = refused(Refusal::CategoryRule);
    if (byCategory > 1)
        m_errors.ui().message(u"Import"_s, refusalSummary(byCategory), UserInterface::Icon::Warning);
}

} // namespace pk
