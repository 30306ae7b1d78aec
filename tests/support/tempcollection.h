#pragma once

#include <QString>
#include <QTemporaryDir>

namespace pk::test {

/**
 * @brief A temporary collection folder and a temporary configuration folder for one test.
 *
 * XDG_CONFIG_HOME points into the temporary folder while the object lives, so a test never
 * reads or writes the user's own settings.
 */
class TempCollection
{
public:
    TempCollection();
    ~TempCollection();
    TempCollection(const TempCollection &) = delete;
    TempCollection &operator=(const TempCollection &) = delete;

    bool isValid() const { return m_dir.isValid(); }
    QString root() const { return m_dir.path(); }
    QString folder() const { return m_dir.path() + QStringLiteral("/collection"); }
    QString configHome() const { return m_dir.path() + QStringLiteral("/config"); }
    QString path(const QString &name) const { return folder() + QLatin1Char('/') + name; }

    /// Writes `bytes` to a file in the collection folder.
    bool writeFile(const QString &name, const QByteArray &bytes) const;

private:
    QTemporaryDir m_dir;
    QByteArray m_oldConfigHome;
    bool m_hadConfigHome = false;
};

} // namespace pk::test
