#pragma once

#include "export/textlinewriter.h"

#include <QString>
#include <QVariant>

namespace pk {

class UserInterface;

/**
 * @brief Writes comma-delimited records whose fields each carry a display picture.
 *
 * A picture's second letter decides how a field goes out: "S"/"s" text in double quotes (quotes
 * doubled, line breaks kept inside the quotes, so that the field reads back whole), "N"/"n" the
 * plain value without quotes, anything else the value formatted with the picture, in double
 * quotes; a date carries its year in full. One record per line (a record whose text holds line
 * breaks spans several), lines end in "\n", text is UTF-8. The file appears under its name only
 * when it was written whole (TextLineWriter); closing after a failure, or without closing,
 * leaves the name as it was. File errors are reported through the UserInterface with the titles
 * "Cannot CREATE ", "Cannot ADD to " (Retry/Abort) and "Cannot CLOSE ".
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
    /// Writes what is pending and puts the file in place; false when something could not be
    /// written (the file's name then keeps what it held before).
    bool closeOutputFile();
    /// Drops the file: nothing appears under its name.
    void discardOutputFile();

    QString fileName() const { return m_name; }
    bool isOpen() const { return m_file.isOpen(); }
    /// The record being built (without line end).
    const QString &line() const { return m_line; }

    /// A text value as a field would carry it: quotes doubled.
    static QString prepareText(const QString &text);
    /// A value formatted with a picture that is neither text nor number; dates keep their year
    /// in full whatever the short date form of the locale, so that they read back as written.
    static QString formatValue(const QString &picture, const QVariant &value);
    /// A field name as a header record carries it.
    static QString prepareName(const QString &text);

private:
    bool failed();
    QString describe() const;

    UserInterface &m_ui;
    TextLineWriter m_file;
    QString m_name;
    QString m_line;
    bool m_firstField = true;
};

} // namespace pk
