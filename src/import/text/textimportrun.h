#pragma once

#include "import/categorymode.h"
#include "import/text/textimport.h"
#include "import/textlinereader.h"

#include <QString>

#include <memory>

namespace pk {

class Collection;
class ErrorManager;
class ImportInsert;
class UserInterface;

/**
 * @brief One run of the text import over a file: lines read by the shared import line reader
 * (any line end, the file's character set), handed to TextImport in batches, each batch one
 * transaction.
 */
class TextImportRun final
{
public:
    static constexpr int LinesPerStep = 1000000;
    static constexpr qsizetype MaxLine = 64 * 1024;
    /// How far a CSV record with a quoted line break is followed.
    static constexpr int MaxRecordLines = 10000;
    static constexpr qsizetype MaxRecordLength = 1024 * 1024;

    TextImportRun(Collection &collection,
                  ErrorManager &errors,
                  TextImport::Kind kind,
                  CategoryMode mode,
                  const QString &selectedCategory,
                  const QString &file);
    ~TextImportRun();

    ImportInsert &insert() { return *m_insert; }

    /// Opens the file; a failure is reported ("Cannot OPEN ") and returns false.
    bool open();
    /// Imports up to `lines` more lines, fewer when the batch's time is up
    /// (ImportInsert::stepDue()); false when the file is done or the run must stop.
    bool step(int lines = LinesPerStep);
    /// Closes the file; shows the closing summary (ImportSummary), headed "<n> URL(s) imported.".
    void finish();

    int count() const { return m_import.count(); }
    int percent() const;

private:
    void importRecord(const QString &first);

    ErrorManager &m_errors;
    std::unique_ptr<ImportInsert> m_insert;
    TextImport::Kind m_kind;
    TextImport m_import;
    QString m_fileName;
    TextLineReader m_reader;
    bool m_open = false;
};

} // namespace pk
