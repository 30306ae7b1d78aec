#include "platform/inifile.h"

#include <QDir>
#include <QFileInfo>
#include <QLockFile>
#include <QSaveFile>

#include <cstring>

// Only the narrow (UTF-8) interface is used, which needs no character conversion library.
#define SI_NO_CONVERSION
#include <SimpleIni.h>

namespace pk {

struct IniFile::Data
{
    // Case-insensitive sections and keys, one value per key, no multi-line values.
    CSimpleIniA ini{true, false, false};
    /// The file as this object last read or wrote it: what differs from it are its changes.
    CSimpleIniA baseline{true, false, false};
};

namespace {
std::string utf8(const QString &s)
{
    return s.toUtf8().toStdString();
}

/// Reads `path` into `into`; a missing file is an empty one.
bool readInto(const QString &path, CSimpleIniA &into)
{
    into.Reset();
    if (path.isEmpty() || !QFileInfo::exists(path))
        return true;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray bytes = file.readAll();
    return into.LoadData(bytes.constData(), static_cast<size_t>(bytes.size())) >= 0;
}

bool copyInto(const CSimpleIniA &from, CSimpleIniA &into)
{
    std::string text;
    into.Reset();
    return from.Save(text) >= 0 && into.LoadData(text) >= 0;
}

/// Writes into `target` what `changed` set or removed since `baseline`.
void applyChanges(const CSimpleIniA &baseline, const CSimpleIniA &changed, CSimpleIniA &target)
{
    CSimpleIniA::TNamesDepend sections;
    changed.GetAllSections(sections);
    sections.sort(CSimpleIniA::Entry::LoadOrder());
    for (const auto &section : sections) {
        CSimpleIniA::TNamesDepend keys;
        changed.GetAllKeys(section.pItem, keys);
        keys.sort(CSimpleIniA::Entry::LoadOrder());
        if (keys.empty() && !target.GetSection(section.pItem))
            target.SetValue(section.pItem, nullptr, nullptr);
        for (const auto &key : keys) {
            const char *value = changed.GetValue(section.pItem, key.pItem, "");
            const char *before = baseline.GetValue(section.pItem, key.pItem, nullptr);
            if (!before || std::strcmp(before, value) != 0)
                target.SetValue(section.pItem, key.pItem, value);
        }
    }
    CSimpleIniA::TNamesDepend earlier;
    baseline.GetAllSections(earlier);
    for (const auto &section : earlier) {
        CSimpleIniA::TNamesDepend keys;
        baseline.GetAllKeys(section.pItem, keys);
        const bool sectionGone = !changed.GetSection(section.pItem);
        for (const auto &key : keys) {
            if (sectionGone || !changed.GetValue(section.pItem, key.pItem, nullptr))
                target.Delete(section.pItem, key.pItem, true);
        }
        if (sectionGone && target.GetSection(section.pItem)
            && target.GetSectionSize(section.pItem) == 0)
            target.Delete(section.pItem, nullptr);
    }
}
} // namespace

IniFile::IniFile(QString path)
    : m_path(std::move(path))
    , m_data(std::make_unique<Data>())
{
    m_data->ini.SetSpaces(false);
}

IniFile::~IniFile() = default;

bool IniFile::load()
{
    if (!readInto(m_path, m_data->ini)) {
        m_data->ini.Reset();
        m_data->baseline.Reset();
        return false;
    }
    return copyInto(m_data->ini, m_data->baseline);
}

bool IniFile::save() const
{
    if (m_path.isEmpty())
        return false;
    QDir().mkpath(QFileInfo(m_path).absolutePath());
    // One writer of the file at a time, in this program and in any other; a lock left by a
    // program that was killed is taken over.
    QLockFile lock(m_path + QStringLiteral(".lock"));
    if (!lock.tryLock(10000))
        return false;
    CSimpleIniA onDisk(true, false, false);
    onDisk.SetSpaces(false);
    if (!readInto(m_path, onDisk))
        return false;
    applyChanges(m_data->baseline, m_data->ini, onDisk);
    std::string out;
    if (onDisk.Save(out) < 0)
        return false;
    QSaveFile file(m_path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.write(out.data(), static_cast<qint64>(out.size()));
    if (!file.commit())
        return false;
    // From now on this object holds the file as written, others' keys included.
    copyInto(onDisk, m_data->ini);
    copyInto(onDisk, m_data->baseline);
    return true;
}

QString IniFile::value(const QString &section, const QString &key, const QString &defaultValue) const
{
    const char *v = m_data->ini.GetValue(utf8(section).c_str(), utf8(key).c_str(), nullptr);
    if (!v)
        return defaultValue;
    return QString::fromUtf8(v).trimmed();
}

int IniFile::intValue(const QString &section, const QString &key, int defaultValue) const
{
    bool ok = false;
    const int v = value(section, key).toInt(&ok);
    return ok ? v : defaultValue;
}

bool IniFile::contains(const QString &section, const QString &key) const
{
    return m_data->ini.GetValue(utf8(section).c_str(), utf8(key).c_str(), nullptr) != nullptr;
}

void IniFile::setValue(const QString &section, const QString &key, const QString &value)
{
    m_data->ini.SetValue(utf8(section).c_str(), utf8(key).c_str(), utf8(value).c_str());
}

void IniFile::setValue(const QString &section, const QString &key, int value)
{
    setValue(section, key, QString::number(value));
}

void IniFile::remove(const QString &section, const QString &key)
{
    m_data->ini.Delete(utf8(section).c_str(), utf8(key).c_str(), true);
}

void IniFile::removeSection(const QString &section)
{
    m_data->ini.Delete(utf8(section).c_str(), nullptr);
}

QStringList IniFile::sections() const
{
    CSimpleIniA::TNamesDepend names;
    m_data->ini.GetAllSections(names);
    names.sort(CSimpleIniA::Entry::LoadOrder());
    QStringList out;
    for (const auto &n : names)
        out << QString::fromUtf8(n.pItem);
    return out;
}

QStringList IniFile::keys(const QString &section) const
{
    CSimpleIniA::TNamesDepend names;
    m_data->ini.GetAllKeys(utf8(section).c_str(), names);
    names.sort(CSimpleIniA::Entry::LoadOrder());
    QStringList out;
    for (const auto &n : names)
        out << QString::fromUtf8(n.pItem);
    return out;
}

QString IniFile::read(const QString &path,
                      const QString &section,
                      const QString &key,
                      const QString &defaultValue)
{
    IniFile ini(path);
    ini.load();
    return ini.value(section, key, defaultValue);
}

bool IniFile::write(const QString &path,
                    const QString &section,
                    const QString &key,
                    const QString &value)
{
    IniFile ini(path);
    if (!ini.load())
        return false;
    ini.setValue(section, key, value);
    return ini.save();
}

} // namespace pk
