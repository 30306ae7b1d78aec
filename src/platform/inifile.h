#pragma once

#include <QString>
#include <QStringList>

#include <memory>

namespace pk {

/**
 * @brief An INI file with the semantics users of the program's INI files expect.
 *
 * Section and key names match without regard to letter case, keys such as `Export:Type` are
 * taken as they stand (only '=' separates key and value), values are UTF-8 text with leading
 * and trailing blanks removed. A missing file reads as empty. Changes stay in memory until
 * save(), which writes only them: the keys this object set, changed or removed since it last
 * read or wrote the file are merged into the file as it is on disk at that moment, so several
 * windows and programs that each hold a copy never undo each other's keys. A file that cannot
 * be read is never overwritten.
 */
class IniFile final
{
public:
    explicit IniFile(QString path = {});
    ~IniFile();
    IniFile(const IniFile &) = delete;
    IniFile &operator=(const IniFile &) = delete;

    QString path() const { return m_path; }
    void setPath(const QString &path) { m_path = path; }

    /// Reads the file; a missing file gives an empty INI and counts as success.
    bool load();
    /// Writes this object's changes into the file as it is now (creating its folder when
    /// needed); afterwards the object holds the file as written. False when the file could not
    /// be read or written.
    bool save() const;

    QString value(const QString &section,
                  const QString &key,
                  const QString &defaultValue = {}) const;
    int intValue(const QString &section, const QString &key, int defaultValue = 0) const;
    bool contains(const QString &section, const QString &key) const;
    void setValue(const QString &section, const QString &key, const QString &value);
    void setValue(const QString &section, const QString &key, int value);
    void remove(const QString &section, const QString &key);
    void removeSection(const QString &section);

    QStringList sections() const;
    QStringList keys(const QString &section) const;

    /// Convenience for a single read: loads `path` and returns one value.
    static QString read(const QString &path,
                        const QString &section,
                        const QString &key,
                        const QString &defaultValue = {});
    /// Convenience for a single write: loads, changes and saves `path`.
    static bool write(const QString &path,
                      const QString &section,
                      const QString &key,
                      const QString &value);

private:
    struct Data;
    QString m_path;
    std::unique_ptr<Data> m_data;
};

} // namespace pk
