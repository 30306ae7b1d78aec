#include "import/chromiumbookmarks.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTimeZone>

using namespace Qt::StringLiterals;

namespace pk {

namespace {

// Microseconds between 1601-01-01 and 1970-01-01.
constexpr qint64 kEpochOffsetMicros = 11644473600LL * 1000000LL;
// Deeper trees are not bookmark files anyone made; the walk stops there.
constexpr int kMaxDepth = 200;

void walk(const QJsonObject &node,
          const QString &root,
          QStringList &folders,
          std::vector<BrowserBookmark> &out,
          int depth)
{
    const QJsonArray children = node.value(u"children"_s).toArray();
    if (children.isEmpty() && !folders.isEmpty()) {
        BrowserBookmark folder;
        folder.root = root;
        folder.folders = folders;
        out.push_back(std::move(folder));
    }
    for (const QJsonValue &value : children) {
        const QJsonObject child = value.toObject();
        const QString type = child.value(u"type"_s).toString();
        if (type == u"folder"_s) {
            if (depth >= kMaxDepth)
                continue;
            folders << child.value(u"name"_s).toString();
            walk(child, root, folders, out, depth + 1);
            folders.removeLast();
        } else if (type == u"url"_s) {
            BrowserBookmark b;
            b.address = child.value(u"url"_s).toString();
            b.title = child.value(u"name"_s).toString();
            b.root = root;
            b.folders = folders;
            b.added = ChromiumBookmarks::dateOf(child.value(u"date_added"_s).toString());
            b.lastVisit = ChromiumBookmarks::dateOf(child.value(u"date_last_used"_s).toString());
            if (!b.address.trimmed().isEmpty())
                out.push_back(std::move(b));
        }
    }
}

} // namespace

QDateTime ChromiumBookmarks::dateOf(const QString &microsSince1601)
{
    bool ok = false;
    const qint64 micros = microsSince1601.trimmed().toLongLong(&ok);
    if (!ok || micros <= kEpochOffsetMicros)
        return {};
    return QDateTime::fromMSecsSinceEpoch((micros - kEpochOffsetMicros) / 1000, QTimeZone::utc());
}

bool ChromiumBookmarks::parse(const QByteArray &json,
                              std::vector<BrowserBookmark> &out,
                              QString &error)
{
    QJsonParseError parseError;
    const QJsonDocument doc = QJsonDocument::fromJson(json, &parseError);
    if (doc.isNull() || !doc.isObject()) {
        error = u"The file is not a Chromium bookmarks file: "_s + parseError.errorString();
        return false;
    }
    const QJsonObject roots = doc.object().value(u"roots"_s).toObject();
    if (roots.isEmpty()) {
        error = u"The file holds no bookmark folders."_s;
        return false;
    }
    static const struct
    {
        const char16_t *key;
        const char16_t *name;
    } known[] = {{u"bookmark_bar", u"Bookmarks bar"},
                 {u"other", u"Other bookmarks"},
                 {u"synced", u"Mobile bookmarks"}};
    for (const auto &r : known) {
        const QJsonObject root = roots.value(QString::fromUtf16(r.key)).toObject();
        if (root.isEmpty())
            continue;
        QString name = root.value(u"name"_s).toString().trimmed();
        if (name.isEmpty())
            name = QString::fromUtf16(r.name);
        QStringList folders;
        walk(root, name, folders, out, 0);
    }
    return true;
}

bool ChromiumBookmarks::read(const QString &path, std::vector<BrowserBookmark> &out, QString &error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        error = u"Could not open "_s + path + u":\n"_s + file.errorString();
        return false;
    }
    if (file.size() > MaxFileSize) {
        error = u"The file "_s + path + u" is too large to be a bookmarks file."_s;
        return false;
    }
    return parse(file.readAll(), out, error);
}

} // namespace pk
