#include "browse/forms/storeerrors.h"

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

} // namespace pk
