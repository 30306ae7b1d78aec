#include "import/browserprofiles.h"

#include "platform/inifile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace pk {

namespace {

constexpr qint64 kMaxLocalState = 16 * 1024 * 1024;

/// Profile names from a Chromium "Local State" file: folder name to shown name.
QJsonObject profileNames(const QString &folder)
{
    QFile file(QDir(folder).filePath(u"Local State"_s));
    if (file.size() > kMaxLocalState || !file.open(QIODevice::ReadOnly))
        return {};
    const QJsonDocument doc = QJsonDocument::fromJson(file.readAll());
    return doc.object().value(u"profile"_s).toObject().value(u"info_cache"_s).toObject();
}

/// The configuration folders of a home folder: XDG_CONFIG_HOME when it is set (an absolute
/// path), and ~/.config.
QStringList configFolders(const QString &home)
{
    QStringList folders;
    const QString xdg = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (!xdg.isEmpty() && QDir::isAbsolutePath(xdg))
        folders << QDir::cleanPath(xdg);
    const QString dotConfig = QDir::cleanPath(QDir(home).filePath(u".config"_s));
    if (!folders.contains(dotConfig))
        folders << dotConfig;
    return folders;
}

} // namespace

std::vector<BrowserProfile> BrowserProfiles::firefox(const QString &home)
{
    std::vector<BrowserProfile> profiles;
    const QDir h(home);
    // The folder older versions use and keep using while it exists, then the XDG one newer
    // versions make, then those of the snap and flatpak packages (each in both places).
    QStringList roots{h.filePath(u".mozilla/firefox"_s)};
    for (const QString &config : configFolders(home))
        roots << QDir(config).filePath(u"mozilla/firefox"_s);
    roots << h.filePath(u"snap/firefox/common/.mozilla/firefox"_s)
          << h.filePath(u"snap/firefox/common/.config/mozilla/firefox"_s)
          << h.filePath(u".var/app/org.mozilla.firefox/.mozilla/firefox"_s)
          << h.filePath(u".var/app/org.mozilla.firefox/config/mozilla/firefox"_s);
    QSet<QString> seen;
    for (const QString &root : roots) {
        IniFile ini(QDir(root).filePath(u"profiles.ini"_s));
        if (!QFileInfo(ini.path()).isFile() || !ini.load())
            continue;
        // The profile the newest installs start with.
        QSet<QString> installDefaults;
        for (const QString &section : ini.sections()) {
            if (section.startsWith(u"Install"_s, Qt::CaseInsensitive))
                installDefaults.insert(ini.value(section, u"Default"_s));
        }
        std::vector<BrowserProfile> found;
        for (const QString &section : ini.sections()) {
            if (!section.startsWith(u"Profile"_s, Qt::CaseInsensitive))
                continue;
            const QString path = ini.value(section, u"Path"_s);
            if (path.isEmpty())
                continue;
            const bool relative = ini.intValue(section, u"IsRelative"_s, 1) != 0;
            const QString folder = relative ? QDir(root).filePath(path) : path;
            const QString file = QDir(folder).filePath(u"places.sqlite"_s);
            const QString canonical = QFileInfo(file).canonicalFilePath();
            if (canonical.isEmpty() || seen.contains(canonical))
                continue;
            seen.insert(canonical);
            BrowserProfile p;
            p.browser = u"Firefox"_s;
            p.name = ini.value(section, u"Name"_s, path);
            p.file = file;
            p.isDefault = installDefaults.contains(path)
                          || ini.intValue(section, u"Default"_s, 0) == 1;
            found.push_back(std::move(p));
        }
        std::stable_sort(found.begin(), found.end(), [](const auto &a, const auto &b) {
            return a.isDefault && !b.isDefault;
        });
        profiles.insert(profiles.end(), found.begin(), found.end());
    }
    return profiles;
}

std::vector<BrowserProfile> BrowserProfiles::chromium(const QString &home)
{
    static const struct
    {
        const char16_t *browser;
        const char16_t *folder;
    } known[] = {{u"Chromium", u".config/chromium"},
                 {u"Chromium", u"snap/chromium/common/chromium"},
                 {u"Chromium", u".var/app/org.chromium.Chromium/config/chromium"},
                 {u"Google Chrome", u".config/google-chrome"},
                 {u"Google Chrome", u".var/app/com.google.Chrome/config/google-chrome"},
                 {u"Brave", u".config/BraveSoftware/Brave-Browser"},
                 {u"Brave", u".var/app/com.brave.Browser/config/BraveSoftware/Brave-Browser"},
                 {u"Vivaldi", u".config/vivaldi"},
                 {u"Vivaldi", u".var/app/com.vivaldi.Vivaldi/config/vivaldi"}};
    std::vector<BrowserProfile> profiles;
    const QDir h(home);
    QStringList folders;
    QStringList browsers;
    for (const auto &k : known) {
        const QString relative = QString::fromUtf16(k.folder);
        // A folder under ~/.config is looked for in XDG_CONFIG_HOME as well.
        QStringList places{h.filePath(relative)};
        if (relative.startsWith(u".config/"_s)) {
            places.clear();
            for (const QString &config : configFolders(home))
                places << QDir(config).filePath(relative.mid(8));
        }
        for (const QString &place : places) {
            if (!folders.contains(place)) {
                folders << place;
                browsers << QString::fromUtf16(k.browser);
            }
        }
    }
    for (qsizetype i = 0; i < folders.size(); ++i) {
        const QString &folder = folders[i];
        if (!QFileInfo(folder).isDir())
            continue;
        const QJsonObject names = profileNames(folder);
        QStringList dirs = QDir(folder).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
        // "Default" first, then "Profile 1", "Profile 2", ...
        std::stable_sort(dirs.begin(), dirs.end(), [](const QString &a, const QString &b) {
            return a == u"Default"_s && b != u"Default"_s;
        });
        for (const QString &dir : dirs) {
            const QString file = QDir(folder).filePath(dir + u"/Bookmarks"_s);
            if (!QFileInfo(file).isFile())
                continue;
            BrowserProfile p;
            p.browser = browsers[i];
            p.name = names.value(dir).toObject().value(u"name"_s).toString(dir);
            p.file = file;
            p.isDefault = dir == u"Default"_s;
            profiles.push_back(std::move(p));
        }
    }
    return profiles;
}

QString BrowserProfiles::defaultFile(const std::vector<BrowserProfile> &profiles)
{
    return profiles.empty() ? QString() : profiles.front().file;
}

} // namespace pk
