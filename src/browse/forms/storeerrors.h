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

/// A save the store refused: reported as a failed insert or change of `file`'s record. True
/// when another program changed the record meanwhile: the form then shows it as stored now
/// (EditRecall::showStored()).
bool reportRefusedSave(ErrorManager &errors,
                       const StoreStatus &status,
                       bool inserting,
                       CollectionFile file);

/// A read of the record as stored now: true when it succeeded, else reported.
bool readStored(ErrorManager &errors, const StoreStatus &status, CollectionFile file);

} // namespace pk
