#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <functional>

namespace pk {

class IniFile;

/**
 * @brief The general file routine: copy, move, rename, delete, send to the trash, make or
 * remove a folder, read a file's date, time or size.
 *
 * Every call is recorded in section "Operation" of the given INI file (keys operation +
 * "From", "To" and "Options"). A source may be a file, a folder or a file mask ("*.HTM" in a
 * folder); masks match without regard to letter case. Options, in either option text: "/D"
 * copies only files missing or older at the destination, "/S" takes in subfolders, "/R" gives
 * a copy another name when its target name is taken. Results are 0 or an error code (2 no such
 * file, 3 no such folder, 5 refused, 80 the target exists, 145 the folder is not empty, 183
 * the folder exists); "Copy" gives -1 when "/D" or "/S" finds no source file; the three "Get"
 * operations give the value (date as a day number, time as hundredths of a second since
 * midnight plus one, size in bytes), -1 for a missing file.
 */
class FileOperation final
{
public:
    static constexpr const char *Section = "Operation";
    static constexpr const char *Title = "File Operation";
    static constexpr qint32 NotFound = 2;
    static constexpr qint32 PathNotFound = 3;
    static constexpr qint32 Refused = 5;
    static constexpr qint32 Exists = 80;
    static constexpr qint32 NotEmpty = 145;
    static constexpr qint32 AlreadyExists = 183;
    static constexpr qint32 Cancelled = 1223;

    /// A progress line; false when the progress window was closed (the copy loop stops after
    /// the current file).
    using Progress = std::function<bool(const QString &line)>;

    /// `ini` receives the record of each call (may be null); `progress` may be empty.
    explicit FileOperation(IniFile *ini, Progress progress = {});

    qint32 run(const QString &operation,
               const QString &source,
               const QString &destination,
               const QString &options1 = {},
               const QString &options2 = {});

private:
    struct Entry
    {
        QString path;
        QDateTime modified;
        qint64 size = 0;
    };

    qint32 copy(const QString &source, const QString &destination);
    /// One operation over the whole source (the shell's copy, move, delete or trash).
    qint32 whole(const QString &operation, const QString &source, const QString &destination);
    qint32 copyFile(const QString &from, const QString &to);
    qint32 copyTree(const QString &from, const QString &to);
    /// Files matching `source` (a file, a folder's files or a mask), with "/S" below it too.
    QList<Entry> listFiles(const QString &source) const;
    /// The files (or, with "/S" and "*.*", the files and folders) a source names.
    QStringList expand(const QString &source) const;
    QString freeName(const QString &target) const;
    bool say(const QString &line);

    IniFile *m_ini;
    Progress m_progress;
    bool m_newerOnly = false;
    bool m_subfolders = false;
    bool m_renameOnCollision = false;
    bool m_closed = false;
};

} // namespace pk
