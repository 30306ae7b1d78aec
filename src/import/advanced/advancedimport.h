#pragma once

#include "import/csv/delimitedreader.h"
#include "store/records.h"

#include <QList>
#include <QString>

#include <functional>

namespace pk {

class UserInterface;

/// One column of the file: "Field_N", its picture and kind, its text in the record shown.
struct ImportFieldEntry
{
    QString name;    ///< "Field_1"
    QString kind;    ///< "Alpha-num", "Numeric" or the picture
    QString value;   ///< up to 100 characters
    QString picture; ///< "@S1000" at first

    bool operator==(const ImportFieldEntry &) const = default;
};

/// One location field a column can be assigned to.
struct TargetFieldEntry
{
    QString name;     ///< "URL:Location"
    QString marker;   ///< "=" when assigned
    QString assigned; ///< the import field's name, blank when unassigned

    bool operator==(const TargetFieldEntry &) const = default;
};

/// Why a record of the file was not offered to the collection.
enum class RecordProblem {
    None,
    NotAnAddress, ///< its address is blank or holds blanks or control characters
    BadDate       ///< a date column holds text that does not read under its picture
};

/// Where the imported locations go: the import insert and its batches.
struct AdvancedImportSink
{
    /// Counts a record refused before it was offered (see RecordProblem).
    std::function<void(RecordProblem why)> refuse;
    /// Adds a category without a message when no category of that name exists.
    std::function<void(const QString &category)> offerCategory;
    /// Adds one location (duplicates are skipped silently); false stops the run.
    std::function<bool(const LocationRecord &location)> insert;
    /// Runs one tick's work as one batch (one transaction).
    std::function<void(const std::function<void()> &work)> batch;
};

/**
 * @brief "Assign fields for Import...": maps the columns of a comma-delimited file onto the
 * twenty location fields and adds one location per record.
 *
 * open() reads the first record for the column list (a second record tells which columns hold
 * plain numbers); the assignment operations are the window's buttons; startRun() and runStep()
 * are the import run, `RecordsPerTick` records per step.
 *
 * A date column is read through its column's picture: a date picture reads the date text, a
 * text or number picture a day number. A date that does not read, or a blank address, refuses
 * the record (told to the sink) rather than storing something else. A header record may name a
 * column's picture after its field name ("URL:LastVisit@d17"), as the field-selected export
 * writes it; "A&uto" takes it. Records that bring no category get the default category when one
 * is set.
 */
class AdvancedImport final
{
public:
    static constexpr int RecordsPerTick = 25;
    static constexpr int ValueWidth = 100;

    explicit AdvancedImport(UserInterface &ui);

    /// The twenty target fields in their order.
    static const QStringList &targetNames();
    /// "Alpha-num", "Numeric" or the picture itself.
    static QString kindText(const QString &picture);
    /// Whether the target row is one of the three date fields.
    static bool isDateTarget(int targetRow);
    /// The picture the field-selected export writes a date target with by default.
    static QString defaultDatePicture(int targetRow);
    /// A header value split into the field name and the picture it names (blank when none).
    static QPair<QString, QString> headerName(const QString &value);

    /// Opens the file (a blank name asks for one) and builds both lists. False when there is
    /// nothing to show: no file, or a first record without fields.
    bool open(const QString &fileName);
    void close();

    const QList<ImportFieldEntry> &importFields() const { return m_fields; }
    const QList<TargetFieldEntry> &targets() const { return m_targets; }
    int recordNumber() const { return m_recordNumber; }
    bool nextEnabled() const { return m_nextEnabled; }
    bool autoEnabled() const { return m_autoEnabled; }
    bool stripHeader() const { return m_stripHeader; }
    void setStripHeader(bool on) { m_stripHeader = on; }
    qint64 fileSize() const { return m_reader.fileSize(); }

    /// "&Next": shows the next record; false (and "&Next" disabled) at the end of the file.
    bool next();
    void setPicture(int importRow, const QString &picture);
    void assign(int targetRow, int importRow);
    void unassign(int targetRow);
    /// "A&uto": assigns targets named by the first record's values and sets the strip flag. A
    /// picture the header names becomes its column's picture; a date column without one gets
    /// the export's default date picture.
    void autoAssign();
    /// The category of records that bring none (blank: they keep none).
    void setDefaultCategory(const QString &category) { m_defaultCategory = category.trimmed(); }
    QString defaultCategory() const { return m_defaultCategory; }
    bool hasAssignment() const;
    /// The first target assigned to an import field / the import field of a target; -1 when none.
    int targetOf(int importRow) const;
    int importOf(int targetRow) const;

    /// Starts the import run; false when there is no record to import.
    bool startRun();
    /**
     * Adds up to `records` locations in one batch; false when the run has ended. With a time
     * budget, further groups of `records` follow in the same batch until the budget is spent,
     * so a big file is not written one small transaction at a time.
     */
    bool runStep(const AdvancedImportSink &sink,
                 int records = RecordsPerTick,
                 int budgetMilliseconds = 0);
    /// Bytes read × 100 / file size, at most 100.
    int percent() const;
    int imported() const { return m_imported; }

    /// Reads the next record of the file into `location` by the assignments; false at the end.
    /// problem() tells whether the record must be refused.
    bool readRecord(LocationRecord &location);
    RecordProblem problem() const { return m_problem; }
    /// Records refused so far in this run.
    int refused() const { return m_refused; }

private:
    bool readNonBlankLine();
    void showRecord();

    UserInterface &m_ui;
    DelimitedReader m_reader;
    QList<ImportFieldEntry> m_fields;
    QList<TargetFieldEntry> m_targets;
    int m_recordNumber = 0;
    bool m_nextEnabled = false;
    bool m_autoEnabled = false;
    bool m_stripHeader = false;
    LocationRecord m_buffer;
    bool m_haveBuffer = false;
    int m_imported = 0;
    int m_refused = 0;
    QString m_defaultCategory;
    RecordProblem m_problem = RecordProblem::None;
};

} // namespace pk
