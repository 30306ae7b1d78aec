#include "browse/capture/browsersessions.h"

#include "browse/capture/chromiumhistory.h"
#include "browse/capture/chromiumsession.h"
#include "browse/capture/firefoxsession.h"
#include "platform/inifile.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>

#include <cerrno>
#include <csignal>
#include <limits>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace pk {

namespace {

/// A browser's folder of profiles, under the home folder; one under ".config/" is looked for
/// in the configuration folder ($XDG_CONFIG_HOME) too, where the browsers put it when set.
struct Root
{
    const char16_t *browser;
    const char16_t *folder;
};

QStringList rootFolders(const QString &home, const QString &configHome, const Root &root)
{
    const QString folder = QString::fromUtf16(root.folder);
    QStringList out;
    static const QString config = u".config/"_s;
    if (folder.startsWith(config) && !configHome.isEmpty())
        out << QDir(configHome).filePath(folder.mid(config.size()));
    out << QDir(home).filePath(folder);
    out.removeDuplicates();
    return out;
}

constexpr Root kFirefoxRoots[] = {
    {u"Firefox", u".config/mozilla/firefox"},
    {u"Firefox", u".mozilla/firefox"},
    {u"Firefox", u"snap/firefox/common/.mozilla/firefox"},
    {u"Firefox", u".var/app/org.mozilla.firefox/config/mozilla/firefox"},
    {u"Firefox", u".var/app/org.mozilla.firefox/.mozilla/firefox"},
    {u"LibreWolf", u".config/librewolf/librewolf"},
    {u"LibreWolf", u".librewolf"},
    {u"LibreWolf", u".var/app/io.gitlab.librewolf-community/.librewolf"},
};

constexpr Root kChromiumRoots[] = {
    {u"Chromium", u".config/chromium"},
    {u"Chromium", u"snap/chromium/common/chromium"},
    {u"Chromium", u".var/app/org.chromium.Chromium/config/chromium"},
    {u"Google Chrome", u".config/google-chrome"},
    {u"Google Chrome", u".var/app/com.google.Chrome/config/google-chrome"},
    {u"Brave", u".config/BraveSoftware/Brave-Browser"},
    {u"Brave", u".var/app/com.brave.Browser/config/BraveSoftware/Brave-Browser"},
    {u"Vivaldi", u".config/vivaldi"},
    {u"Vivaldi", u".var/app/com.vivaldi.Vivaldi/config/vivaldi"},
    {u"Microsoft Edge", u".config/microsoft-edge"},
    {u"Microsoft Edge", u".var/app/com.microsoft.Edge/config/microsoft-edge"},
};

/// The lock link's own modification time (when the browser took it); invalid without one.
QDateTime lockTime(const QString &lockPath)
{
    struct stat st = {};
    if (::lstat(QFile::encodeName(lockPath).constData(), &st) != 0)
        return {};
    return QDateTime::fromSecsSinceEpoch(st.st_mtim.tv_sec);
}

void firefoxRoot(const QString &browser,
                 const QString &folder,
                 QSet<QString> &seen,
                 std::vector<SessionProfile> &out)
{
    IniFile ini(QDir(folder).filePath(u"profiles.ini"_s));
    if (!QFileInfo(ini.path()).isFile() || !ini.load())
        return;
    for (const QString &section : ini.sections()) {
        if (!section.startsWith(u"Profile"_s, Qt::CaseInsensitive))
            continue;
        const QString path = ini.value(section, u"Path"_s);
        if (path.isEmpty())
            continue;
        const bool relative = ini.intValue(section, u"IsRelative"_s, 1) != 0;
        const QString profile = QDir::cleanPath(relative ? QDir(folder).filePath(path) : path);
        const QString canonical = QFileInfo(profile).canonicalFilePath();
        if (canonical.isEmpty() || seen.contains(canonical))
            continue;
        seen.insert(canonical);
        out.push_back(
            {SessionProfile::Family::Firefox, browser, profile, QDir(profile).filePath(u"lock"_s)});
    }
}

void chromiumRoot(const QString &browser,
                  const QString &path,
                  QSet<QString> &seen,
                  std::vector<SessionProfile> &out)
{
    const QDir folder(path);
    const QString canonical = QFileInfo(path).canonicalFilePath();
    if (canonical.isEmpty() || seen.contains(canonical))
        return;
    seen.insert(canonical);
    for (const QString &dir : folder.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name)) {
        const QDir profile(folder.filePath(dir));
        if (!profile.exists(u"Sessions"_s) && !profile.exists(u"Sessions_Encrypted"_s)
            && !profile.exists(u"Current Session"_s))
            continue;
        out.push_back({SessionProfile::Family::Chromium,
                       browser,
                       profile.path(),
                       folder.filePath(u"SingletonLock"_s)});
    }
}

class Reader
{
public:
    SessionCapture capture;

    void note(const QString &text)
    {
        if (!capture.notes.contains(text))
            capture.notes << text;
    }

    void add(const std::vector<SessionPage> &pages)
    {
        capture.pages.insert(capture.pages.end(), pages.begin(), pages.end());
    }

    void unreadable(const QString &browser, const QString &reason)
    {
        note(u"The session file of %1 could not be read (%2): its pages are not listed."_s
                 .arg(browser, reason));
    }

    void noSessionFile(const QString &browser)
    {
        note(u"%1 has no session file (it writes one within seconds of a change, unless session "
             "restore is turned off): its pages are not listed."_s.arg(browser));
    }

    void encrypted(const QString &browser)
    {
        note(u"%1 keeps its open pages only in an encrypted session file, which cannot be read: "
             "its pages are not listed."_s.arg(browser));
    }

    void firefox(const SessionProfile &profile)
    {
        const QString file
            = QDir(profile.folder).filePath(u"sessionstore-backups/recovery.jsonlz4"_s);
        if (!QFileInfo(file).isFile()) {
            noSessionFile(profile.browser);
            return;
        }
        QString error;
        const auto pages = FirefoxSession::readFile(file, profile.browser, &error);
        if (!pages) {
            unreadable(profile.browser, error);
            return;
        }
        add(*pages);
    }

    void chromium(const SessionProfile &profile)
    {
        const QDir folder(profile.folder);
        QString file = BrowserSessions::newestSessionFile(folder.filePath(u"Sessions"_s));
        if (file.isEmpty() && folder.exists(u"Current Session"_s))
            file = folder.filePath(u"Current Session"_s); // the layout before "Sessions/"
        if (file.isEmpty()) {
            if (!BrowserSessions::newestSessionFile(folder.filePath(u"Sessions_Encrypted"_s))
                     .isEmpty())
                encrypted(profile.browser);
            else
                noSessionFile(profile.browser);
            return;
        }
        // A profile the running browser has not opened keeps the file of an earlier run.
        const QDateTime locked = lockTime(profile.lockPath);
        if (locked.isValid() && QFileInfo(file).lastModified() < locked)
            return;
        QString error;
        const ChromiumSession::Result result = ChromiumSession::readFile(file,
                                                                         profile.browser,
                                                                         &error);
        switch (result.outcome) {
        case ChromiumSession::Outcome::Read: {
            std::vector<SessionPage> pages = result.pages;
            ChromiumHistory::fillTitles(folder.filePath(u"History"_s), pages);
            add(pages);
            break;
        }
        case ChromiumSession::Outcome::Encrypted:
            encrypted(profile.browser);
            break;
        case ChromiumSession::Outcome::NotSession:
            unreadable(profile.browser, error);
            break;
        }
    }
};

} // namespace

std::vector<SessionProfile> BrowserSessions::profiles(const QString &home,
                                                      const QString &configFolder)
{
    std::vector<SessionProfile> out;
    QSet<QString> seen;
    for (const Root &root : kFirefoxRoots) {
        for (const QString &folder : rootFolders(home, configFolder, root))
            firefoxRoot(QString::fromUtf16(root.browser), folder, seen, out);
    }
    for (const Root &root : kChromiumRoots) {
        for (const QString &folder : rootFolders(home, configFolder, root))
            chromiumRoot(QString::fromUtf16(root.browser), folder, seen, out);
    }
    return out;
}

QString BrowserSessions::configHome()
{
    const QString configured = qEnvironmentVariable("XDG_CONFIG_HOME");
    return QDir::isAbsolutePath(configured) ? configured : QString();
}

bool BrowserSessions::isHeld(const QString &lockPath)
{
    QByteArray link(4096, Qt::Uninitialized);
    const ssize_t length = ::readlink(QFile::encodeName(lockPath).constData(),
                                      link.data(),
                                      std::size_t(link.size()));
    if (length <= 0)
        return false;
    link.truncate(length);
    // Firefox: "address:+pid"; the Chromium family: "host-pid".
    const qsizetype cut = qMax(link.lastIndexOf('+'), link.lastIndexOf('-'));
    bool ok = false;
    const qint64 pid = link.mid(cut + 1).toLongLong(&ok);
    if (!ok || pid <= 0 || pid > std::numeric_limits<pid_t>::max())
        return true; // a lock held in a way not known: take it as held
    return ::kill(pid_t(pid), 0) == 0 || errno == EPERM;
}

QString BrowserSessions::newestSessionFile(const QString &folder)
{
    // The name holds the time the browser started the file; the file's time decides between
    // names that hold none or the same.
    QString newest;
    std::pair<qulonglong, QDateTime> newestKey;
    const QFileInfoList files = QDir(folder).entryInfoList({u"Session_*"_s}, QDir::Files);
    for (const QFileInfo &info : files) {
        const std::pair key{info.fileName().mid(8).toULongLong(), info.lastModified()};
        if (newest.isEmpty() || key > newestKey) {
            newest = info.filePath();
            newestKey = key;
        }
    }
    return newest;
}

SessionCapture BrowserSessions::read(const QString &home, const QString &configFolder)
{
    Reader reader;
    for (const SessionProfile &profile : profiles(home, configFolder)) {
        if (!isHeld(profile.lockPath))
            continue;
        if (profile.family == SessionProfile::Family::Firefox)
            reader.firefox(profile);
        else
            reader.chromium(profile);
    }
    return reader.capture;
}

} // namespace pk
