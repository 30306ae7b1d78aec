#include "browse/forms/storeerrors.h"

#include "framework/errorcatalogue.h"
#include "framework/errormanager.h"

namespace pk {

void reportStoreError(ErrorManager &errors,
                      const StoreStatus &status,
                      std::uint16_t fallback,
                      CollectionFile file)
{
    ErrorContext context = status.context;
    if (context.file.isEmpty())
        context.file = Collection::fileName(file);
    if (context.errorText.isEmpty())
        context.errorText = status.describe();
    if (context.errorCode.isEmpty())
        context.errorCode = QString::number(status.code);
    errors.raise(status.catalogueNumber != 0 ? status.catalogueNumber : fallback, context);
}

bool reportRefusedSave(ErrorManager &errors,
                       const StoreStatus &status,
                       bool inserting,
                       CollectionFile file)
{
    reportStoreError(errors,
                     status,
                     inserting ? Msg::RecordInsertError : Msg::RecordNotUpdated,
                     file);
    return status.error == StoreError::ChangedElsewhere;
}

bool readStored(ErrorManager &errors, const StoreStatus &status, CollectionFile file)
{
    if (!status)
        reportStoreError(errors, status, Msg::RecordRetrievalError, file);
    return status.ok();
}

} // namespace pk
