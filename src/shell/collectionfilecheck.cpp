#include "shell/collectionfilecheck.h"

#include "framework/userinterface.h"
#include "platform/inifile.h"
#include "store/filedamagecheck.h"
#include "store/sqliteerror.h"

#include <QCryptographicHash>
#include <QFileInfo>

namespace pk {

namespace {

QString section()
{
    return QLatin1String(CollectionFileCheck::Section);
}

/// The INI key of a file: its absolute path, or a digest of it when the path holds characters
/// an INI line cannot carry.
QString keyOf(const QString &file)
{
    const QString path = QFileInfo(file).absoluteFilePath();
    bool plain = !path.startsWith(QLatin1Char('[')) && !path.startsWith(QLatin1Char(';'));
    for (const QChar c : path)
        plain = plain && c != QLatin1Char('=') && c.unicode() >= 0x20;
    if (plain)
        return path;
    return QStringLiteral("File.")
           + QString::fromLatin1(
               QCryptographicHash::hash(path.toUtf8(), QCryptographicHash::Sha1).toHex());
}

} // namespace

CollectionFileCheck::CollectionFileCheck(UserInterface &ui, IniFile &ini, QObject *parent)
    : QObject(parent)
    , m_ui(ui)
    , m_ini(ini)
{}

CollectionFileCheck::~CollectionFileCheck()
{
    stop();
}

bool CollectionFileCheck::isEnabled(const IniFile &ini)
{
    return ini.intValue(section(), QLatin1String(EnabledKey), 1) != 0;
}

void CollectionFileCheck::setEnabled(IniFile &ini, bool on)
{
    ini.setValue(section(), QLatin1String(EnabledKey), on ? 1 : 0);
}

CollectionFileCheck::Stamp CollectionFileCheck::stampOf(const QString &file)
{
    const QFileInfo info(file);
    if (!info.exists())
        return {};
    return {info.size(), info.lastModified().toMSecsSinceEpoch()};
}

CollectionFileCheck::Stamp CollectionFileCheck::recorded(const IniFile &ini, const QString &file)
{
    const QStringList parts = ini.value(section(), keyOf(file)).split(QLatin1Char(','));
    if (parts.size() != 2)
        return {};
    bool sizeOk = false;
    bool timeOk = false;
    const Stamp s{parts[0].toLongLong(&sizeOk), parts[1].toLongLong(&timeOk)};
    return sizeOk && timeOk ? s : Stamp{};
}

void CollectionFileCheck::start(const QStringList &files)
{
    stop();
    ++m_generation;
    if (!isEnabled(m_ini))
        return;
    std::vector<Job> jobs;
    for (const QString &file : files) {
        const Stamp now = stampOf(file);
        if (now.size < 0 || now == recorded(m_ini, file))
            continue;
        jobs.push_back({file, now, 0, {}});
    }
    if (jobs.empty())
        return;
    m_stop = false;
    m_done = false;
    const int generation = m_generation;
    m_worker = std::thread([this, generation, jobs = std::move(jobs)]() mutable {
        const auto stopRequested = [this] { return m_stop.load(); };
        for (Job &job : jobs) {
            const FileDamageCheck::Result r = FileDamageCheck::run(job.file, stopRequested);
            job.outcome = int(r.outcome);
            job.detail = r.detail;
            if (r.outcome == FileDamageCheck::Outcome::Stopped)
                break;
        }
        m_done = true;
        if (m_stop)
            return;
        // The report and the INI file belong to the thread this object lives on.
        QMetaObject::invokeMethod(
            this,
            [this, generation, jobs = std::move(jobs)]() mutable {
                finish(generation, std::move(jobs));
            },
            Qt::QueuedConnection);
    });
}

void CollectionFileCheck::stop()
{
    m_stop = true;
    if (m_worker.joinable())
        m_worker.join();
    // A report already on its way belongs to the check just stopped: finish() drops it.
    ++m_generation;
}

void CollectionFileCheck::finish(int generation, std::vector<Job> jobs)
{
    if (generation != m_generation)
        return;
    if (m_worker.joinable())
        m_worker.join();
    QStringList damaged;
    std::vector<std::pair<QString, QString>> stamps; ///< key, value; empty value: removed
    for (const Job &job : jobs) {
        const QString key = keyOf(job.file);
        switch (FileDamageCheck::Outcome(job.outcome)) {
        case FileDamageCheck::Outcome::Clean:
            stamps.emplace_back(key,
                                QString::number(job.stamp.size) + QLatin1Char(',')
                                    + QString::number(job.stamp.modified));
            break;
        case FileDamageCheck::Outcome::Damaged:
            // Checked again at the next start, and told again, until it is repaired.
            stamps.emplace_back(key, QString());
            damaged << SqliteError::damagedText(QFileInfo(job.file).fileName() + QStringLiteral(" (")
                                                + job.detail + QLatin1Char(')'))
                           + QLatin1Char('.');
            break;
        case FileDamageCheck::Outcome::Stopped:
        case FileDamageCheck::Outcome::Failed:
            break;
        }
    }
    if (!stamps.empty()) {
        const auto apply = [&stamps](IniFile &ini) {
            for (const auto &[key, value] : stamps) {
                if (value.isEmpty())
                    ini.remove(section(), key);
                else
                    ini.setValue(section(), key, value);
            }
        };
        apply(m_ini);
        // Into the file as it is now: other windows and programs write it too.
        IniFile onDisk(m_ini.path());
        if (!m_ini.path().isEmpty() && onDisk.load()) {
            apply(onDisk);
            onDisk.save();
        }
    }
    if (!damaged.isEmpty())
        m_ui.message(QLatin1String(Title),
                     damaged.join(QLatin1Char('\n')),
                     UserInterface::Icon::Warning);
    Q_EMIT finished();
}

} // namespace pk
