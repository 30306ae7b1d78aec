#include "tools/repairfiles.h"

#include "framework/userinterface.h"
#include "store/collation.h"
#include "store/fields.h"
#include "store/sqlfunctions.h"
#include "store/sqliteerror.h"
#include "store/tableuse.h"
#include "tools/filesalvage.h"

#include <SQLiteCpp/Database.h>
#include <SQLiteCpp/Statement.h>

#include <QFileInfo>
#include <QTemporaryDir>

#include <algorithm>

namespace pk {

namespace {

QString errorText(const StoreStatus &s)
{
    return QStringLiteral("Error ") + QString::number(s.code) + QStringLiteral(" : ") + s.text;
}

} // namespace

RepairFiles::RepairFiles(Collection &collection, UserInterface &ui)
    : m_collection(collection)
    , m_ui(ui)
{}

void RepairFiles::fill()
{
    m_rows.clear();
    for (const TableDef *table : collectionTables()) {
        RepairRow row;
        row.file = QLatin1String(table->label);
        row.table = table;
        m_rows.push_back(row);
    }
    std::stable_sort(m_rows.begin(), m_rows.end(), [](const RepairRow &a, const RepairRow &b) {
        return a.file.compare(b.file, Qt::CaseInsensitive) < 0;
    });
}

void RepairFiles::start()
{
    fill();
    m_ui.message(QLatin1String(WarningTitle), QLatin1String(Warning), UserInterface::Icon::Warning);
    tagAll();
    run(RepairOperation::Info);
    untagAll();
}

void RepairFiles::toggle(int row)
{
    if (row >= 0 && row < int(m_rows.size()))
        m_rows[std::size_t(row)].tagged = !m_rows[std::size_t(row)].tagged;
}

void RepairFiles::tagAll()
{
    for (RepairRow &row : m_rows)
        row.tagged = true;
}

void RepairFiles::untagAll()
{
    for (RepairRow &row : m_rows)
        row.tagged = false;
}

QString RepairFiles::actionText(RepairOperation operation)
{
    switch (operation) {
    case RepairOperation::Info:
        return QStringLiteral("Getting Information");
    case RepairOperation::Create:
        return QStringLiteral("Creating File");
    case RepairOperation::Build:
        return QStringLiteral("Building File");
    case RepairOperation::Pack:
        return QStringLiteral("Packing File");
    case RepairOperation::Release:
        return QStringLiteral("Releasing Records");
    case RepairOperation::Freshen:
        return QStringLiteral("Copying Records");
    case RepairOperation::Repair:
        return QStringLiteral("Repairing File");
    }
    return {};
}

void RepairFiles::run(RepairOperation operation, const Progress &progress)
{
    m_doneFiles.clear();
    const auto tagged = std::count_if(m_rows.begin(), m_rows.end(), [](const RepairRow &r) {
        return r.tagged;
    });
    int done = 0;
    for (RepairRow &row : m_rows) {
        if (!row.tagged)
            continue;
        if (progress
            && !progress(row.file,
                         actionText(operation),
                         tagged ? int(done * 100 / tagged) : 100,
                         int(tagged - done)))
            break;
        switch (operation) {
        case RepairOperation::Info:
            info(row);
            break;
        case RepairOperation::Create:
            create(row);
            break;
        case RepairOperation::Build:
            build(row);
            break;
        case RepairOperation::Pack:
            pack(row);
            break;
        case RepairOperation::Release:
            release(row);
            break;
        case RepairOperation::Freshen:
            freshen(row);
            break;
        case RepairOperation::Repair:
            repair(row);
            break;
        }
        ++done;
    }
    if (progress)
        progress(QString(), actionText(operation), 100, 0);
}

CollectionFile RepairFiles::fileOf(const RepairRow &row) const
{
    return Collection::fileOf(*row.table);
}

void RepairFiles::showError(RepairRow &row, const StoreStatus &status)
{
    row.records = QLatin1String(ErrorMark);
    row.diskName = errorText(status);
}

void RepairFiles::info(RepairRow &row)
{
    const QString path = m_collection.filePath(fileOf(row));
    if (!QFileInfo::exists(path)) {
        row.records = QLatin1String(ErrorMark);
        row.diskName = QStringLiteral("Error 2 : File not found (") + path + QLatin1Char(')');
        return;
    }
    try {
        // Read-only and on a connection of its own: looking never creates or changes a file.
        SQLite::Database db(path.toUtf8().toStdString(), SQLite::OPEN_READONLY);
        Collation::registerOn(db.getHandle());
        registerSqlFunctions(db.getHandle());
        SQLite::Statement count(db,
                                QStringLiteral("SELECT count(*) FROM \"%1\"")
                                    .arg(QLatin1String(row.table->sqlTable))
                                    .toUtf8()
                                    .toStdString());
        count.executeStep();
        row.records = QString::number(count.getColumn(0).getInt64());
        row.diskName = path;
    } catch (const std::exception &e) {
        showError(row, SqliteError::fromException(e, path));
    }
}

void RepairFiles::create(RepairRow &row)
{
    const CollectionFile f = fileOf(row);
    if (!QFileInfo::exists(m_collection.filePath(f))) {
        if (m_collection.isOpen(f))
            static_cast<void>(m_collection.recover(f)); // takes the vanished file off
        if (StoreStatus s = m_collection.open(f, true); !s) {
            showError(row, s);
            return;
        }
    }
    info(row);
}

bool RepairFiles::exclusive(const RepairRow &row, bool wholeFile)
{
    const CollectionFile f = fileOf(row);
    bool inUse = m_collection.inTransaction();
    for (const TableDef *table : collectionTables()) {
        if (table == row.table || (wholeFile && Collection::fileOf(*table) == f))
            inUse = inUse || TableUse::count(*table) > 0;
    }
    if (!inUse)
        return true;
    m_ui.message(QLatin1String(AccessTitle),
                 QString::fromLatin1(AccessMessage).replace(QLatin1Char('|'), QLatin1Char('\n'))
                     + QStringLiteral("5 : the file is in use by another window of Pathkeep"),
                 UserInterface::Icon::Critical);
    return false;
}

void RepairFiles::build(RepairRow &row)
{
    if (!exclusive(row, false))
        return;
    const CollectionFile f = fileOf(row);
    if (!m_collection.isOpen(f)) {
        // Keys that need rebuilding leave the file open: that is what this is for.
        if (StoreStatus s = m_collection.open(f, false);
            !s && s.error != StoreError::InvalidKeyFile) {
            showError(row, s);
            return;
        }
    }
    if (StoreStatus s = m_collection.rebuildKeys(f); !s) {
        showError(row, s);
        return;
    }
    info(row);
}

void RepairFiles::pack(RepairRow &row)
{
    if (!exclusive(row, false))
        return;
    const CollectionFile f = fileOf(row);
    if (!m_collection.isOpen(f)) {
        if (StoreStatus s = m_collection.open(f, false); !s) {
            showError(row, s);
            return;
        }
    }
    if (StoreStatus s = m_collection.pack(f); !s) {
        showError(row, s);
        return;
    }
    info(row);
}

void RepairFiles::release(RepairRow &row)
{
    if (!exclusive(row, false))
        return;
    info(row);
    if (row.records != QLatin1String(ErrorMark))
        row.diskName += QStringLiteral(" (no records are held in this file: nothing to release)");
}

void RepairFiles::freshen(RepairRow &row)
{
    const CollectionFile f = fileOf(row);
    if (m_doneFiles.count(f)) {
        info(row);
        return;
    }
    if (!exclusive(row, true))
        return;
    const QString path = m_collection.filePath(f);
    if (!QFileInfo::exists(path)) {
        info(row);
        return;
    }
    QTemporaryDir work(m_collection.folder() + QStringLiteral("/.freshen-XXXXXX"));
    const SalvageResult copy = FileSalvage::copy(path, f, work.path(), false);
    if (!copy.status) {
        showError(row, copy.status);
        return;
    }
    if (copy.skipped > 0) {
        row.records = QLatin1String(ErrorMark);
        row.diskName = QStringLiteral("Error : %1 records could not be copied; the file was "
                                      "left as it was")
                           .arg(copy.skipped);
        return;
    }
    if (StoreStatus s = m_collection.replaceFile(f, copy.target); !s) {
        showError(row, s);
        return;
    }
    m_doneFiles.insert(f);
    info(row);
}

void RepairFiles::repair(RepairRow &row)
{
    const CollectionFile f = fileOf(row);
    if (m_doneFiles.count(f)) {
        info(row);
        return;
    }
    if (f == CollectionFile::Data
        && !m_ui.askYesNo(QLatin1String(WarningTitle),
                          QLatin1String(MultiTableQuestion),
                          false,
                          UserInterface::Icon::Warning))
        return;
    if (!exclusive(row, true))
        return;
    const QString path = m_collection.filePath(f);
    if (!QFileInfo::exists(path)) {
        info(row);
        return;
    }
    QTemporaryDir work(m_collection.folder() + QStringLiteral("/.repair-XXXXXX"));
    const SalvageResult copy = FileSalvage::copy(path, f, work.path(), true);
    if (!copy.status) {
        showError(row, copy.status);
        return;
    }
    if (StoreStatus s = m_collection.replaceFile(f,
                                                 copy.target,
                                                 path + QLatin1String(DamagedSuffix));
        !s) {
        showError(row, s);
        return;
    }
    m_doneFiles.insert(f);
    info(row);
    if (copy.damagedParts > 0 && row.records != QLatin1String(ErrorMark))
        row.diskName += QStringLiteral(" (%1 damaged parts skipped; the former file is kept as "
                                       "%2)")
                            .arg(copy.damagedParts)
                            .arg(QFileInfo(path).fileName() + QLatin1String(DamagedSuffix));
}

} // namespace pk
