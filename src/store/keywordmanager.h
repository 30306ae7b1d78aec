#pragma once

#include "store/records.h"
#include "store/sequencedrowmanager.h"

namespace pk {

/// @brief Keyword rows of locations (URLKeywords), numbered per location on insert.
class KeywordManager final : public SequencedRowManager<KeywordRecord>
{
public:
    using SequencedRowManager::SequencedRowManager;
};

} // namespace pk
