#include "import/categorymode.h"

#include <array>

using namespace Qt::StringLiterals;

namespace pk::CategoryModes {

namespace {

struct Entry
{
    CategoryMode mode;
    const char16_t *value;
    const char16_t *label;
};

constexpr std::array kEntries = {
    Entry{CategoryMode::Guess, u"Guess", u"Base on content or folder name"},
    Entry{CategoryMode::Selected, u"Selected", u"Assigning a selected category:"},
    Entry{CategoryMode::Ask, u"Ask", u"Asking for each URL"},
    Entry{CategoryMode::None, u"None", u"Leaving it blank"},
};

const Entry &entry(CategoryMode mode)
{
    for (const Entry &e : kEntries) {
        if (e.mode == mode)
            return e;
    }
    return kEntries.front();
}

} // namespace

QString value(CategoryMode mode)
{
    return QString::fromUtf16(entry(mode).value);
}

std::optional<CategoryMode> fromValue(const QString &value)
{
    const QString v = value.trimmed();
    for (const Entry &e : kEntries) {
        if (v.compare(QString::fromUtf16(e.value), Qt::CaseInsensitive) == 0)
            return e.mode;
    }
    return std::nullopt;
}

QString label(CategoryMode mode)
{
    return QString::fromUtf16(entry(mode).label);
}

} // namespace pk::CategoryModes
