#pragma once

#include "store/records.h"
#include "store/sequencedrowmanager.h"

namespace pk {

/// @brief Label/value rows of locations (URLDetails), numbered per location on insert.
class DetailManager final : public SequencedRowManager<DetailRecord>
{
public:
    using SequencedRowManager::SequencedRowManager;
};

} // namespace pk
