#pragma once

#include "store/collection.h"
#include "store/storestatus.h"

namespace pk {

class ErrorManager;

/// Reports a failed store operation through its catalogue message; `fallback` is the message
/// used when the status carries none (4 insert, 28 change, 13 delete).
void reportStoreError(ErrorManager &errors,
                      const StoreStatus &status,
                      std::uint16_t fallback,
                      CollectionFile file);

} // namespace pk
