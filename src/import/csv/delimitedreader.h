#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

namespace pk {

class UserInterface;

/**
 * @brief Reads comma-delimited records field by field.
 *
 * A field in double quotes ends at the next single quote (a doubled quote stands for one and
 * the comma after the closing quote is skipped); line breaks inside the quotes belong to the
 * field, so such a record spans several lines of the file. A quote that is never closed takes
 * the rest of its line. Any other field runs to the next comma. "|" is left as it is. Lines may
 * end in "\n" or "\r\n"; a line that is not valid UTF-8 is read as Windows-1252.
 */
class DelimitedReader final
{
public:
    enum class FieldKind { None = 0, Quoted = 1, Unquoted = 2 };

    /// How far a record with a quoted line break is followed before the quote is taken as one
    /// that is never closed.
    static constexpr int MaxRecordLines = 10000;
    static constexpr qsizetype MaxRecordLength = 1024 * 1024;

    explicit DelimitedReader(UserInterface &ui);
    DelimitedReader(const DelimitedReader &) = delete;
    DelimitedReader &operator=(const DelimitedReader &) = delete;

    /**
     * Opens the file for reading and returns its size in bytes; 0 when it cannot be opened
     * (after the "Cannot OPEN " message), is empty, or the user cancelled. A blank name asks
     * with the "Import File" dialog, which comes back after an empty file was picked.
     */
    qint64 openInputFile(const QString &name);
    /// Back to the first line.
    void setToStart(bool readAhead = true);
    /// Reads the next record (one line, or more where a quoted field holds line breaks); its
    /// length, or -1 at the end of the file. An empty line gives 0.
    qsizetype nextLine();
    /// Reads the next field of the line into field().
    FieldKind nextField();
    /// Converts field() from `picture` once per field: a date text to its day number and so
    /// on. Text ("@S") and number ("@N") pictures leave the field as it was read. False when
    /// the field is not blank and does not read under the picture (the field is left as read).
    bool deformatField(const QString &picture);
    /// The numeric value of field(): its first comma is the decimal point (a leading comma
    /// is dropped), and what cannot be part of a number is ignored.
    double fieldAsNumber() const;
    void closeInputFile();

    QString fileName() const { return m_name; }
    bool isOpen() const { return m_file.isOpen(); }
    const QString &line() const { return m_line; }
    const QString &field() const { return m_field; }
    qint64 fileSize() const { return m_size; }
    /// Bytes of the file consumed by the lines read so far.
    qint64 bytesRead() const { return m_bytesRead; }

    /// Sets the line to read fields from, as nextLine() would.
    void setLine(const QString &line);
    /// The numeric value of a text by the rule of fieldAsNumber().
    static double toNumber(const QString &text);
    /// One line of the file as text (UTF-8, or Windows-1252 when it is not valid UTF-8).
    static QString decodeLine(QByteArrayView bytes);
    /// Whether the text ends inside a quoted field, by the field rules of nextField().
    static bool endsInsideQuotes(QStringView line);

private:
    bool readPhysicalLine(QString &text, QByteArray &ending);

    UserInterface &m_ui;
    QFile m_file;
    QString m_name;
    QString m_line;
    QString m_field;
    QByteArray m_buffer;
    qsizetype m_pos = -1; ///< where the next field starts; -1 when none is left
    qint64 m_size = 0;
    qint64 m_bytesRead = 0;
    bool m_deformatted = false;
    bool m_deformatOk = true;
};

} // namespace pk
