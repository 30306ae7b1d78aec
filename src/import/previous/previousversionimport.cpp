#include "import/previous/previousversionimport.h"

#include "framework/errormanager.h"
#include "framework/userinterface.h"
#include "import/importsummary.h"
#include "store/collection.h"
#include "store/fields.h"
#include "store/fieldtext.h"
#include "store/locationmanager.h"

#include <SQLiteCpp/Column.h>
#include <SQLiteCpp/Database.h>
#include <SQLiteCpp/Statement.h>

#include <QFileInfo>
#include <QUrl>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace pk {

namespace {

QString text(const SQLite::Column &column)
{
    return column.isNull() ? QString() : QString::fromUtf8(column.getText());
}

/// The name of the ILOC table in the file: "URL_L", or "Locations" in a renamed copy.
QString tableName(SQLite::Database &db)
{
    for (const char *candidate : {importLocationsTable().sqlTable, "Locations"}) {
        SQLite::Statement st(db,
                             "SELECT name FROM sqlite_schema WHERE type = 'table' "
                             "AND name = ? COLLATE NOCASE");
        st.bind(1, candidate);
        if (st.executeStep())
            return QString::fromUtf8(st.getColumn(0).getText());
    }
    return {};
}

} // namespace

PreviousVersionImport::PreviousVersionImport(Collection &collection, ErrorManager &errors)
    : m_collection(collection)
    , m_errors(errors)
{}

PreviousVersionImport::~PreviousVersionImport() = default;

bool PreviousVersionImport::nameAccepted(const QString &fileName)
{
    return fileName.toUpper().contains(QLatin1StringView(FileName));
}

LocationRecord PreviousVersionImport::toLocation(const ImportLocationRecord &old)
{
    LocationRecord r;
    r.Location = trimTrailingSpaces(old.LOCATION); // whole: the store refuses what is too long
    r.Description = fitToField(old.DESCRIPTION, 100);
    r.Category = fitToField(old.CATEGORY, 30);
    r.Rating = std::clamp(old.RATING, -99, 99);
    r.Keyword = fitToField(old.KEYWORD, 10);
    return r;
}

bool PreviousVersionImport::open(const QString &fileName)
{
    m_fileName = fileName;
    m_rows.reset();
    m_db.reset();
    m_total = m_processed = 0;
    m_counts = {};
    m_duplicateReported = m_categoryReported = m_otherReported = false;
    QString error;
    const QFileInfo info(fileName);
    if (!info.isFile()) {
        error = u"File not found"_s;
    } else {
        try {
            const QString uri
                = QUrl::fromLocalFile(info.absoluteFilePath()).toString(QUrl::FullyEncoded)
                  + u"?mode=ro"_s;
            m_db = std::make_unique<SQLite::Database>(uri.toStdString(),
                                                      SQLite::OPEN_READONLY | SQLite::OPEN_URI);
            const QString table = tableName(*m_db);
            if (table.isEmpty()) {
                error = u"Invalid data file"_s;
            } else {
                const QString quoted = u"\""_s + table + u"\""_s;
                SQLite::Statement count(*m_db,
                                        QString(u"SELECT count(*) FROM "_s + quoted).toStdString());
                if (count.executeStep())
                    m_total = count.getColumn(0).getInt64();
                m_rows = std::make_unique<SQLite::Statement>(
                    *m_db,
                    QString(u"SELECT LOCATION, DESCRIPTION, CATEGORY, RATING, KEYWORD FROM "_s
                            + quoted + u" ORDER BY rowid"_s)
                        .toStdString());
            }
        } catch (const std::exception &e) {
            error = QString::fromUtf8(e.what());
        }
    }
    if (!error.isEmpty()) {
        m_rows.reset();
        m_db.reset();
        // Reported like a collection file that cannot be opened, but the program goes on.
        m_errors.ui().message(u"File Access Error"_s,
                              u"File "_s + fileName + u" could not be opened.  Error: "_s + error
                                  + u"."_s,
                              UserInterface::Icon::Warning);
        return false;
    }
    return true;
}

void PreviousVersionImport::report(const StoreStatus &status)
{
    if (status.error == StoreError::DuplicateKey)
        ++m_counts.duplicates;
    else if (status.catalogueNumber == Msg::FieldContents)
        ++m_counts[ImportCounts::Refusal::CategoryRule];
    else if (status.error == StoreError::ValidationFailed)
        ++m_counts[ImportCounts::Refusal::TooLong]; // the store's rule for long addresses
    else
        ++m_counts.failed;
    // The first refusal of each kind is told as the store words it; the summary counts the rest.
    bool &reported = status.error == StoreError::DuplicateKey       ? m_duplicateReported
                     : status.catalogueNumber == Msg::FieldContents ? m_categoryReported
                                                                    : m_otherReported;
    if (reported)
        return;
    reported = true;
    if (status.catalogueNumber != 0)
        m_errors.raise(status.catalogueNumber, status.context);
    else
        m_errors.ui().message(u"Import from Pathkeep Database"_s,
                              status.text,
                              UserInterface::Icon::Warning);
}

bool PreviousVersionImport::step(int records)
{
    if (!m_rows)
        return false;
    bool more = true;
    QString readError;
    // One transaction per batch: the copy runs at the store's batch speed, and what a batch
    // added stays when the run is cancelled.
    const StoreStatus committed = m_collection.transaction([&] {
        try {
            for (int i = 0; i < records && more; ++i) {
                if (!m_rows->executeStep()) {
                    more = false;
                    break;
                }
                ImportLocationRecord old;
                old.LOCATION = trimTrailingSpaces(text(m_rows->getColumn(0)));
                old.DESCRIPTION = trimTrailingSpaces(text(m_rows->getColumn(1)));
                old.CATEGORY = trimTrailingSpaces(text(m_rows->getColumn(2)));
                old.RATING = m_rows->getColumn(3).getInt();
                old.KEYWORD = trimTrailingSpaces(text(m_rows->getColumn(4)));
                ++m_processed;
                const StoreStatus status = m_collection.locations().insert(toLocation(old));
                if (status)
                    ++m_counts.added;
                else
                    report(status);
            }
        } catch (const std::exception &e) {
            readError = QString::fromUtf8(e.what());
            more = false;
        }
        return StoreStatus::success();
    });
    if (!committed) {
        // The batch is gone with its transaction: say so and stop.
        if (committed.catalogueNumber != 0)
            m_errors.raise(committed.catalogueNumber, committed.context);
        else
            m_errors.ui().message(u"Import from Pathkeep Database"_s,
                                  committed.describe(),
                                  UserInterface::Icon::Warning);
        more = false;
    }
    if (!readError.isEmpty()) {
        m_errors.ui().message(u"File Access Error"_s,
                              u"File "_s + m_fileName + u" could not be read.  Error: "_s
                                  + readError + u"."_s,
                              UserInterface::Icon::Warning);
    }
    return more;
}

void PreviousVersionImport::finish()
{
    ImportSummary::show(m_errors.ui(),
                        QString::number(m_counts.added) + u" URL(s) imported."_s,
                        m_counts);
    m_rows.reset();
    m_db.reset();
}

int PreviousVersionImport::percent() const
{
    if (m_total <= 0)
        return 100;
    return static_cast<int>(std::min<qint64>(100, m_processed * 100 / m_total));
}

} // namespace pk
