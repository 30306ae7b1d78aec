#include "browse/forms/askcategory.h"

#include "store/fieldtext.h"

namespace pk {

AskCategory::AskCategory(Collection &collection,
                         UserInterface &ui,
                         ErrorManager &errors,
                         LocationRecord location,
                         QString guess)
    : m_location(std::move(location))
    , m_guess(std::move(guess))
    , m_list(collection, ui, errors, CategoryList::Mode::Assignable)
{
    m_list.reload();
}

QString AskCategory::bestGuessText() const
{
    return QStringLiteral("Best Guess:  ") + trimTrailingSpaces(m_guess);
}

bool AskCategory::select(int row)
{
    const CategoryList::Row *r = m_list.rowAt(row);
    if (!r)
        return false;
    m_category = r->record.Category;
    return true;
}

void AskCategory::useBestGuess()
{
    m_category.clear();
}

int AskCategory::inserted(const QString &category)
{
    m_list.reload();
    return m_list.indexOf(category);
}

} // namespace pk
