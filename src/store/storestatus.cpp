#include "store/storestatus.h"

namespace pk {

QString StoreStatus::describe() const
{
    if (ok())
        return {};
    return QStringLiteral("%1 (%2)").arg(text).arg(code);
}

StoreStatus StoreStatus::failure(StoreError error, QString text, int code)
{
    StoreStatus s;
    s.error = error;
    s.text = std::move(text);
    s.code = code;
    s.context.errorText = s.text;
    s.context.errorCode = QString::number(code);
    return s;
}

const char *storeErrorName(StoreError error)
{
    switch (error) {
    case StoreError::None:
        return "None";
    case StoreError::FileNotFound:
        return "FileNotFound";
    case StoreError::FileNotOpen:
        return "FileNotOpen";
    case StoreError::RecordNotFound:
        return "RecordNotFound";
    case StoreError::DuplicateKey:
        return "DuplicateKey";
    case StoreError::AccessDenied:
        return "AccessDenied";
    case StoreError::InvalidFile:
        return "InvalidFile";
    case StoreError::InvalidKeyFile:
        return "InvalidKeyFile";
    case StoreError::Locked:
        return "Locked";
    case StoreError::CreateFailed:
        return "CreateFailed";
    case StoreError::ValidationFailed:
        return "ValidationFailed";
    case StoreError::ChangedElsewhere:
        return "ChangedElsewhere";
    case StoreError::Other:
        return "Other";
    }
    return "Other";
}

} // namespace pk
