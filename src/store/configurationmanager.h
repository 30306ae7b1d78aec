#pragma once

#include "store/records.h"
#include "store/storestatus.h"

#include <vector>

namespace pk {

class Collection;

/// @brief Rows of the Configuration table; what they mean belongs to the settings code.
class ConfigurationManager final
{
public:
    explicit ConfigurationManager(Collection &collection);

    /// RecordNotFound leaves `out` unchanged. Names compare without regard to letter case.
    StoreStatus get(const QString &dataType, ConfigurationRecord &out);
    StoreStatus insert(const ConfigurationRecord &record); ///< DuplicateKey
    StoreStatus change(const ConfigurationRecord &record); ///< by DataType; RecordNotFound
    /// Insert or change, whichever applies.
    StoreStatus put(const ConfigurationRecord &record);
    StoreStatus remove(const QString &dataType);
    StoreStatus list(std::vector<ConfigurationRecord> &out);
    static ConfigurationRecord prepared(const ConfigurationRecord &record);

private:
    Collection &m_collection;
};

} // namespace pk
