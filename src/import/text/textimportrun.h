#pragma once

#include "import/text/textimport.h"

#include <QByteArray>
#include <QFile>
#include <QString>

#include <memory>

namespace pk {

class Collection;
class ErrorManager;
class ImportInsert;
class UserInterface;
enum class CategoryMode;

/**
 * @brief One run of the text import over a file: lines read by the file's line ends, handed to
 * TextImport in batches, each batch one transaction.
 *
 * Lines end at line feeds when the first 1024 bytes hold a line feed and no carriage return,
 * otherwise at carriage returns (a line feed after one is dropped with the line's other line-end
 * characters). A line that is not valid UTF-8 is read as Windows-1252.
 */
class TextImportRun final
{
public:
    static constexpr int LinesPerStep = 500;

    TextImportRun(Collection &collection, ErrorManager &errors, TextImport::Kind kind,
                  CategoryMode mode, const QString &selectedCategory, const QString &file);
    ~TextImportRun();

    ImportInsert &insert() { return *m_insert; }

    /// Opens the file; a failure is reported ("Cannot OPEN ") and returns false.
    bool open();
    /// Imports up to `lines` more lines; false when the file is done or the run must stop.
    bool step(int lines = LinesPerStep);
    /// Closes the file; shows the count (" URL(s) imported.", "Complete") when it is not 0.
    void finish();

    int count() const { return m_import.count(); }
    int percent() const;

private:
    bool nextLine(QString &line);

    ErrorManager &m_errors;
    std::unique_ptr<ImportInsert> m_insert;
    TextImport m_import;
    QString m_fileName;
    QFile m_file;
    char m_lineEnd = '\n';
    qint64 m_size = 0;
    qint64 m_read = 0;
    bool m_firstLine = true;
};

} // namespace pk
