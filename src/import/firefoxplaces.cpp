#include "import/firefoxplaces.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QTemporaryDir>
#include <QTimeZone>

#include <SQLiteCpp/Database.h>
#include <SQLiteCpp/Statement.h>

#include <vector>

using namespace Qt::StringLiterals;

namespace pk {

namespace {

constexpr int kTypeBookmark = 1;
constexpr int kTypeFolder = 2;
constexpr int kMaxFolderDepth = 200;

struct Node
{
    qint64 id = 0;
    int type = 0;
    qint64 parent = 0;
    qint64 place = 0;
    QString title;
    QString url;
    QString pageTitle;
    qint64 added = 0;
    qint64 modified = 0;
    qint64 visited = 0;
};

QString textOf(SQLite::Statement &st, int column)
{
    const SQLite::Column c = st.getColumn(column);
    if (c.isNull())
        return {};
    return QString::fromUtf8(static_cast<const char *>(c.getBlob()), c.getBytes());
}

QDateTime momentOf(qint64 microsSince1970)
{
    if (microsSince1970 <= 0)
        return {};
    return QDateTime::fromMSecsSinceEpoch(microsSince1970 / 1000, QTimeZone::utc());
}

/// The top folders: the name used for a role ("menu", "toolbar", ...) to the folder's id.
QHash<QString, qint64> rootsOf(SQLite::Database &db)
{
    QHash<QString, qint64> roots;
    if (db.tableExists("moz_bookmarks_roots")) {
        SQLite::Statement st(db, "SELECT root_name, folder_id FROM moz_bookmarks_roots");
        while (st.executeStep())
            roots.insert(textOf(st, 0), st.getColumn(1).getInt64());
        return roots;
    }
    static const struct
    {
        const char *guid;
        const char16_t *role;
    } known[] = {{"root________", u"places"},
                 {"menu________", u"menu"},
                 {"toolbar_____", u"toolbar"},
                 {"tags________", u"tags"},
                 {"unfiled_____", u"unfiled"},
                 {"mobile______", u"mobile"}};
    SQLite::Statement st(db, "SELECT id FROM moz_bookmarks WHERE guid = ?");
    for (const auto &k : known) {
        st.reset();
        st.bind(1, k.guid);
        if (st.executeStep())
            roots.insert(QString::fromUtf16(k.role), st.getColumn(0).getInt64());
    }
    return roots;
}

class Walker
{
public:
    Walker(const std::vector<Node> &nodes,
           const QHash<qint64, std::vector<std::size_t>> &children,
           const QHash<qint64, QStringList> &tags,
           const QHash<qint64, QString> &keywords,
           std::vector<BrowserBookmark> &out)
        : m_nodes(nodes)
        , m_children(children)
        , m_tags(tags)
        , m_keywords(keywords)
        , m_out(out)
    {}

    void walk(qint64 folder, const QString &root, QStringList &folders, int depth)
    {
        const auto it = m_children.constFind(folder);
        if (it == m_children.cend() || it->empty()) {
            if (!folders.isEmpty()) {
                BrowserBookmark empty;
                empty.root = root;
                empty.folders = folders;
                m_out.push_back(std::move(empty));
            }
            return;
        }
        for (const std::size_t index : *it) {
            const Node &n = m_nodes[index];
            if (n.type == kTypeFolder) {
                if (depth >= kMaxFolderDepth)
                    continue;
                folders << n.title;
                walk(n.id, root, folders, depth + 1);
                folders.removeLast();
            } else if (n.type == kTypeBookmark && !n.url.trimmed().isEmpty()
                       && !n.url.startsWith(u"place:"_s, Qt::CaseInsensitive)) {
                BrowserBookmark b;
                b.address = n.url;
                b.title = n.title.isEmpty() ? n.pageTitle : n.title;
                b.root = root;
                b.folders = folders;
                b.tags = m_tags.value(n.place);
                b.added = momentOf(n.added);
                b.lastModified = momentOf(n.modified);
                b.lastVisit = momentOf(n.visited);
                b.keyword = m_keywords.value(n.place);
                m_out.push_back(std::move(b));
            }
        }
    }

private:
    const std::vector<Node> &m_nodes;
    const QHash<qint64, std::vector<std::size_t>> &m_children;
    const QHash<qint64, QStringList> &m_tags;
    const QHash<qint64, QString> &m_keywords;
    std::vector<BrowserBookmark> &m_out;
};

} // namespace

bool FirefoxPlaces::readCopy(const QString &path, std::vector<BrowserBookmark> &out, QString &error)
{
    try {
        SQLite::Database db(path.toStdString(), SQLite::OPEN_READONLY);
        if (!db.tableExists("moz_bookmarks") || !db.tableExists("moz_places")) {
            error = path + u" holds no Firefox bookmarks."_s;
            return false;
        }
        const QHash<QString, qint64> roots = rootsOf(db);
        std::vector<Node> nodes;
        QHash<qint64, std::vector<std::size_t>> children;
        SQLite::Statement st(db,
                             "SELECT b.id, b.type, b.parent, b.fk, b.title, b.dateAdded, p.url, "
                             "p.title, p.last_visit_date, b.lastModified FROM moz_bookmarks b "
                             "LEFT JOIN moz_places p ON p.id = b.fk "
                             "ORDER BY b.parent, b.position, b.id");
        while (st.executeStep()) {
            Node n;
            n.id = st.getColumn(0).getInt64();
            n.type = st.getColumn(1).getInt();
            n.parent = st.getColumn(2).getInt64();
            n.place = st.getColumn(3).getInt64();
            n.title = textOf(st, 4);
            n.added = st.getColumn(5).getInt64();
            n.url = textOf(st, 6);
            n.pageTitle = textOf(st, 7);
            n.visited = st.getColumn(8).getInt64();
            n.modified = st.getColumn(9).getInt64();
            children[n.parent].push_back(nodes.size());
            nodes.push_back(std::move(n));
        }
        // Tags: folders below the tags folder, each holding a bookmark of every tagged page.
        QHash<qint64, QStringList> tags;
        if (const auto tagRoot = roots.constFind(u"tags"_s); tagRoot != roots.cend()) {
            for (const std::size_t tagIndex : children.value(*tagRoot)) {
                const Node &tag = nodes[tagIndex];
                if (tag.type != kTypeFolder || tag.title.trimmed().isEmpty())
                    continue;
                for (const std::size_t i : children.value(tag.id)) {
                    if (nodes[i].type == kTypeBookmark && nodes[i].place != 0)
                        tags[nodes[i].place] << tag.title.trimmed();
                }
            }
        }
        // Keywords: one a page, typed in the address bar to open it.
        QHash<qint64, QString> keywords;
        if (db.tableExists("moz_keywords")) {
            SQLite::Statement kw(db,
                                 "SELECT place_id, keyword FROM moz_keywords "
                                 "WHERE place_id IS NOT NULL ORDER BY id");
            while (kw.executeStep()) {
                const qint64 place = kw.getColumn(0).getInt64();
                if (!keywords.contains(place))
                    keywords.insert(place, textOf(kw, 1));
            }
        }
        Walker walker(nodes, children, tags, keywords, out);
        static const struct
        {
            const char16_t *role;
            const char16_t *name;
        } folders[] = {{u"menu", u"Bookmarks Menu"},
                       {u"toolbar", u"Bookmarks Toolbar"},
                       {u"unfiled", u"Other Bookmarks"},
                       {u"mobile", u"Mobile Bookmarks"}};
        for (const auto &f : folders) {
            const auto root = roots.constFind(QString::fromUtf16(f.role));
            if (root == roots.cend())
                continue;
            QStringList chain;
            walker.walk(*root, QString::fromUtf16(f.name), chain, 0);
        }
        return true;
    } catch (const std::exception &e) {
        error = u"Could not read "_s + path + u":\n"_s + QString::fromUtf8(e.what());
        return false;
    }
}

bool FirefoxPlaces::read(const QString &placesFile,
                         std::vector<BrowserBookmark> &out,
                         QString &error)
{
    if (!QFileInfo(placesFile).isFile()) {
        error = u"Could not open "_s + placesFile + u": the file does not exist."_s;
        return false;
    }
    QTemporaryDir folder;
    if (!folder.isValid()) {
        error = u"Could not make a temporary folder: "_s + folder.errorString();
        return false;
    }
    const QString copy = folder.filePath(u"places.sqlite"_s);
    // The log holds changes not yet written into the database; without it they would be lost.
    for (const QString &suffix : {QString(), u"-wal"_s}) {
        const QString from = placesFile + suffix;
        if (!suffix.isEmpty() && !QFileInfo::exists(from))
            continue;
        QFile source(from);
        if (!source.copy(copy + suffix)) {
            error = u"Could not copy "_s + from + u":\n"_s + source.errorString();
            return false;
        }
    }
    return readCopy(copy, out, error);
}

} // namespace pk
