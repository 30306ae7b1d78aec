#include "browse/capture/firefoxsession.h"

#include "browse/capture/mozlz4.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

using namespace Qt::StringLiterals;

namespace pk {

namespace {

/// The element at 1-based `place` of `array`, clamped; the last one when `place` is missing.
QJsonObject atPlace(const QJsonArray &array, const QJsonValue &place)
{
    if (array.isEmpty())
        return {};
    qsizetype at = array.size();
    if (place.isDouble())
        at = qBound(qsizetype(1), qsizetype(place.toDouble()), array.size());
    return array.at(at - 1).toObject();
}

} // namespace

std::optional<std::vector<SessionPage>> FirefoxSession::pages(const QByteArray &json,
                                                              const QString &browser,
                                                              QString *error)
{
    QJsonParseError parseError;
    const QJsonDocument doc = QJsonDocument::fromJson(json, &parseError);
    if (!doc.isObject() || !doc.object().value(u"windows"_s).isArray()) {
        if (error)
            *error = parseError.error != QJsonParseError::NoError ? parseError.errorString()
                                                                  : u"no open windows recorded"_s;
        return std::nullopt;
    }
    std::vector<SessionPage> out;
    for (const QJsonValue &windowValue : doc.object().value(u"windows"_s).toArray()) {
        const QJsonObject window = windowValue.toObject();
        const QJsonObject tab = atPlace(window.value(u"tabs"_s).toArray(),
                                        window.value(u"selected"_s));
        const QJsonObject entry = atPlace(tab.value(u"entries"_s).toArray(), tab.value(u"index"_s));
        SessionPage page{browser,
                         entry.value(u"title"_s).toString(),
                         entry.value(u"url"_s).toString()};
        if (isOfferedAddress(page.address))
            out.push_back(std::move(page));
    }
    return out;
}

std::optional<std::vector<SessionPage>> FirefoxSession::readFile(const QString &path,
                                                                 const QString &browser,
                                                                 QString *error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (error)
            *error = file.errorString();
        return std::nullopt;
    }
    if (file.size() > MaxFileSize) {
        if (error)
            *error = u"too large"_s;
        return std::nullopt;
    }
    const auto json = MozLz4::decompress(file.readAll(), error);
    if (!json)
        return std::nullopt;
    return pages(*json, browser, error);
}

} // namespace pk
