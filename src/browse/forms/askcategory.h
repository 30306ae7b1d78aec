#pragma once

#include "browse/forms/categorylist.h"
#include "store/records.h"

namespace pk {

/**
 * @brief "Category Assignment" (`AskCategory`): the imports ask the user which category a
 * location goes into, proposing their own guess.
 *
 * The list leaves out the special categories. The caller reads category() afterwards: the
 * chosen name, or blank for "&Use Best Guess" (the caller then uses its guess).
 */
class AskCategory final
{
public:
    AskCategory(Collection &collection,
                UserInterface &ui,
                ErrorManager &errors,
                LocationRecord location,
                QString guess);

    const LocationRecord &location() const { return m_location; }
    QString guess() const { return m_guess; }
    /// "Best Guess:  " and the guess without trailing spaces.
    QString bestGuessText() const;

    CategoryList &list() { return m_list; }
    /// "&Select" or a double-click: the highlighted row's category; false when none is highlighted.
    bool select(int row);
    /// "&Use Best Guess": a blank category.
    void useBestGuess();
    /// After "&Insert" added `category`: reads the list again; returns the new row.
    int inserted(const QString &category);

    const QString &category() const { return m_category; }

private:
    LocationRecord m_location;
    QString m_guess;
    CategoryList m_list;
    QString m_category;
};

} // namespace pk
