#include "browse/list/sendtype.h"

namespace pk {

namespace {

QString withoutTrailingSpaces(const QString &text)
{
    qsizetype n = text.size();
    while (n > 0 && text.at(n - 1) == QLatin1Char(' '))
        --n;
    return text.left(n);
}

} // namespace

QStringList SendType::names()
{
    return {QStringLiteral("URL"),
            QStringLiteral("Description"),
            QStringLiteral("Category"),
            QStringLiteral("Keyword"),
            QStringLiteral("Rating"),
            QStringLiteral("Site Information")};
}

QString SendType::name(Type type)
{
    return names().value(int(type));
}

SendType::Type SendType::fromName(const QString &name)
{
    const qsizetype i = names().indexOf(name);
    return i < 0 ? Url : Type(i);
}

QString SendType::clipboardText(const LocationRecord &record, Type type)
{
    switch (type) {
    case Url:
        return withoutTrailingSpaces(record.Location);
    case Description:
        return withoutTrailingSpaces(record.Description);
    case Category:
        return withoutTrailingSpaces(record.Category);
    case Keyword:
        return withoutTrailingSpaces(record.Keyword);
    case Rating:
        return QString::number(record.Rating);
    case SiteInformation:
        return withoutTrailingSpaces(record.SiteInfo);
    case Count:
        break;
    }
    return {};
}

bool SendType::canLaunch(Type type)
{
    return type == Url || type == Description || type == SiteInformation;
}

QString SendType::launchText(const LocationRecord &record, Type type)
{
    return canLaunch(type) ? clipboardText(record, type) : QString();
}

} // namespace pk
