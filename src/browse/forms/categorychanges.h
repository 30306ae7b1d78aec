#pragma once

#include "store/storestatus.h"

#include <QString>

#include <optional>

namespace pk {

class Collection;
class ErrorManager;
class UserInterface;

/**
 * @brief Adds, renames and removes categories by name, for the command line, under the rules of
 * the category form: a name is required, fits the 50 characters of CAT:Category without control
 * characters, and is unique without regard to letter case.
 *
 * Where the form leaves a category's locations behind, these keep them: a rename carries the
 * locations and HTML snippets to the new name, and a category that still holds locations is
 * removed only together with moving them to another category. Each change is one transaction:
 * when any part fails, nothing is changed. Failures are reported through the catalogue, as the
 * form reports them.
 */
class CategoryChanges final
{
public:
    static constexpr const char *Prompt = "&Category:";

    CategoryChanges(Collection &collection, UserInterface &ui, ErrorManager &errors);

    /// `typed` as it would be stored; nothing after the form's message when it is blank
    /// ("Missing Information"), too long or holds control characters ("Invalid Entry").
    std::optional<QString> checkedName(const QString &typed);

    /// The category's name as stored (its letter case); nothing when there is no such category.
    std::optional<QString> stored(const QString &name);
    /// How many locations name `category` (letter case aside); -1 when they cannot be counted.
    qint64 locationCount(const QString &category);

    /// A new category (checkedName() first); false (reported) when it is taken.
    bool add(const QString &name, const QString &description = {});
    /// Renames `from` to `to` with its locations and snippets; `moved` gets the locations moved.
    bool rename(const QString &from, const QString &to, qint64 *moved = nullptr);
    /**
     * Removes `name` after moving its locations to `moveTo`, another category; refused (told)
     * when `moveTo` is blank and the category holds locations. `moved` gets the locations
     * moved. The snippets stay, as the form leaves them.
     */
    bool remove(const QString &name, const QString &moveTo = {}, qint64 *moved = nullptr);

private:
    /// Gives every location of `from` the category `to`, inside the caller's transaction.
    StoreStatus moveLocations(const QString &from, const QString &to, qint64 &moved);
    StoreStatus moveSnippets(const QString &from, const QString &to);

    Collection &m_collection;
    UserInterface &m_ui;
    ErrorManager &m_errors;
};

} // namespace pk
