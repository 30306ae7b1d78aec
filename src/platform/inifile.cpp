#include "platform/inifile.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

// Only the narrow (UTF-8) interface is used, which needs no character conversion library.
#define SI_NO_CONVERSION
#include <SimpleIni.h>

namespace pk {

struct IniFile::Data
{
    // Case-insensitive sections and keys, one value per key, no multi-line values.
    CSimpleIniA ini{true, false, false};
};

namespace {
std::string utf8(const QString &s)
{
    return s.toUtf8().toStdString();
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
    m_data->ini.Reset();
    if (m_path.isEmpty() || !QFileInfo::exists(m_path))
        return true;
    QFile file(m_path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray bytes = file.readAll();
    return m_data->ini.LoadData(bytes.constData(), static_cast<size_t>(bytes.size())) >= 0;
}

bool IniFile::save() const
{
    if (m_path.isEmpty())
        return false;
    QDir().mkpath(QFileInfo(m_path).absolutePath());
    std::string out;
    if (m_data->ini.Save(out) < 0)
        return false;
    QSaveFile file(m_path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.write(out.data(), static_cast<qint64>(out.size()));
    return file.commit();
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
