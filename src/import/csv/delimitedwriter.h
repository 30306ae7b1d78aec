#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QVariant>

namespace pk {

class UserInterface;

/**
 * @brief Writes comma-delimited records whose fields each carry a display picture.
 *
 * A picture's second letter decides how a field goes out: "S"/"s" text in double quotes (quotes
 * doubled, line feeds as "|", carriage returns dropped), "N"/"n" the plain value without quotes,
 * anything else the value formatted with the picture, in double quotes. One record per line,
 * lines end in "\n", text is UTF-8. File errors are reported through the UserInterface with the
 * titles "Cannot CREATE ", "Cannot OPEN ", "Cannot ADD to " (Retry/Abort) and "Cannot CLOSE ".
 */
class DelimitedWriter final
{
public:
    explicit DelimitedWriter(UserInterface &ui);
    ~DelimitedWriter();
    DelimitedWriter(const DelimitedWriter &) = delete;
    DelimitedWriter &operator=(const DelimitedWriter &) = delete;

    /// Creates (or replaces) the file and opens it for writing. A blank name asks with the
    /// "Export File" dialog; cancelling it returns false.
    bool createOutputFile(const QString &name);
    /// Starts a new record.
    void startLine();
    /// Appends one field; `nameMode` prepares text as a field name for a header record.
    void writeField(const QVariant &value, const QString &picture, bool nameMode = false);
    /// Adds the record to the file. On an error the user chooses Retry or Abort; Abort gives
    /// the record up and returns false.
    bool writeLine();
    /// Writes what is pending and closes the file; false when something could not be written.
    bool closeOutputFile();

    QString fileName() const { return m_name; }
    bool isOpen() const { return m_file.isOpen(); }
    /// The record being built (without line end).
    const QString &line() const { return m_line; }

    /// A text value as a field would carry it: quotes doubled, line feeds "|", no CR.
    static QString prepareText(const QString &text);
    /// A field name as a header record carries it.
    static QString prepareName(const QString &text);

private:
    bool flushPending();

    UserInterface &m_ui;
    QFile m_file;
    QString m_name;
    QString m_line;
    QByteArray m_pending;
    bool m_firstField = true;
};

} // namespace pk
