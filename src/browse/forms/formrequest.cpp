#include "browse/forms/formrequest.h"

namespace pk::FormRequests {

FormRequest fromArguments(const QVariantMap &arguments)
{
    const QString action = arguments.value(QStringLiteral("Action")).toString();
    if (action.compare(QLatin1String("Change"), Qt::CaseInsensitive) == 0)
        return FormRequest::Change;
    if (action.compare(QLatin1String("Delete"), Qt::CaseInsensitive) == 0)
        return FormRequest::Delete;
    if (action.compare(QLatin1String("View"), Qt::CaseInsensitive) == 0)
        return FormRequest::View;
    return FormRequest::Insert;
}

QString name(FormRequest request)
{
    switch (request) {
    case FormRequest::Insert:
        return QStringLiteral("Insert");
    case FormRequest::Change:
        return QStringLiteral("Change");
    case FormRequest::Delete:
        return QStringLiteral("Delete");
    case FormRequest::View:
        return QStringLiteral("View");
    }
    return {};
}

} // namespace pk::FormRequests
