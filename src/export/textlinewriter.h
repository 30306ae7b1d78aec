#pragma once

#include <QByteArray>
#include <QString>
#include <QStringEncoder>

namespace pk {

/**
 * @brief A text file written line by line, UTF-8, each line ending in a line feed, that appears
 * under its name only when it is complete.
 *
 * open() writes into a file without a name (or, where the file system has none, a hidden
 * temporary file) in the target's folder; close() puts it in place of the target in one rename.
 * A failed or abandoned file (discard(), or the writer destroyed while open), and a killed
 * program, leave the target as it was: an existing file keeps its old contents, a new one does
 * not appear. A target that is one of a collection's own files or the program's settings files
 * is refused by open(). A device or a pipe is written in place.
 *
 * A line longer than the maximum (setMaxLine) is cut there, never inside a surrogate pair.
 * Output is buffered; the first failure is kept in error() and errorCode(). After a write
 * failure the unwritten data stays, and retry() tries it again.
 */
class TextLineWriter final
{
public:
    static constexpr int MaxLine = 1024;

    TextLineWriter() = default;
    ~TextLineWriter();
    TextLineWriter(const TextLineWriter &) = delete;
    TextLineWriter &operator=(const TextLineWriter &) = delete;

    bool open(const QString &path);
    /// Lines longer than this are cut; 0 writes every line whole.
    void setMaxLine(int characters) { m_maxLine = characters; }
    bool isOpen() const { return m_fd >= 0; }
    QString path() const { return m_path; }
    /// Writes one line (cut at the maximum); false after a failure.
    bool writeLine(QStringView line);
    /// After a write failure: writes what is pending again; true when it all went out.
    bool retry();
    /// Writes the rest, puts the file in place of the target and closes; false when that failed
    /// (the target is then as it was before).
    bool close();
    /// Drops what was written; the target stays as it was.
    void discard();
    QString error() const { return m_error; }
    /// The system's error number of the first failure; 0 when there was none or it had none.
    int errorCode() const { return m_errorCode; }

    /// Why an export must not be written to `path` (one of a collection's files, their side
    /// files or the program's settings files); blank when it may.
    static QString refusalFor(const QString &path);

private:
    bool flush();
    void fail(int error, const QString &text = {});
    void release();

    int m_fd = -1;
    QString m_path;        ///< the name given
    QString m_target;      ///< the file replaced: the name, or the file a link names
    QString m_temporary;   ///< the hidden temporary file; blank for a file without a name
    bool m_direct = false; ///< a device or pipe, written in place
    QByteArray m_buffer;
    QStringEncoder m_encoder{QStringEncoder::Utf8};
    QString m_error;
    int m_errorCode = 0;
    int m_maxLine = MaxLine;
};

} // namespace pk
