#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QStringEncoder>

namespace pk {

/**
 * @brief A text file written line by line, UTF-8, each line ending in a line feed.
 *
 * open() removes and re-creates the file. A line longer than `MaxLine` characters is cut there
 * (never inside a surrogate pair). Output is buffered; the first failure is kept in error().
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
    bool isOpen() const { return m_file.isOpen(); }
    QString path() const { return m_path; }
    /// Writes one line (cut at MaxLine); false after a failure.
    bool writeLine(QStringView line);
    /// Writes the rest of the buffer and closes; false when that failed.
    bool close();
    QString error() const { return m_error; }

private:
    bool flush();

    QFile m_file;
    QString m_path;
    QByteArray m_buffer;
    QStringEncoder m_encoder{QStringEncoder::Utf8};
    QString m_error;
    int m_maxLine = MaxLine;
};

} // namespace pk
