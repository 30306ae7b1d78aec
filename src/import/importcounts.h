#pragma once

#include <array>

namespace pk {

/// What an import did with the links of its source, as its closing summary tells it.
struct ImportCounts
{
    /// Why a link was refused: it is counted and named in the import's summary.
    enum class Refusal { CategoryRule, NotAnAddress, TooLong, BadDate, Count };
    /// Why a link was passed over before it could be stored (no address to store, or a
    /// script or mail link of a web page: NotAPage).
    enum class Skip { Relative, Anchor, Empty, NotAPage, Count };

    using RefusedCounts = std::array<int, static_cast<int>(Refusal::Count)>;
    using SkippedCounts = std::array<int, static_cast<int>(Skip::Count)>;

    int added = 0;
    int duplicates = 0; ///< already in the collection: left as they were
    int failed = 0;     ///< the store could not write them (reported as it happened)
    RefusedCounts refused{};
    SkippedCounts skipped{};
    bool cancelled = false;

    int refusedTotal() const;
    int skippedTotal() const;
    int &operator[](Refusal why) { return refused[static_cast<int>(why)]; }
    int &operator[](Skip why) { return skipped[static_cast<int>(why)]; }
};

} // namespace pk
