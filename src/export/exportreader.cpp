#include "export/exportreader.h"

#include "browse/query/queryexpression.h"
#include "export/exportsettings.h"
#include "framework/userinterface.h"
#include "browse/query/queryfieldtable.h"
#include "browse/query/storefieldresolver.h"
#include "store/collection.h"
#include "store/fields.h"
#include "store/fieldtext.h"
#include "store/recordio.h"
#include "store/schemamanager.h"
#include "store/sqliteerror.h"
#include "store/tableaccess.h"

#include <SQLiteCpp/Column.h>
#include <SQLiteCpp/Statement.h>

using namespace Qt::StringLiterals;

namespace pk {

namespace {

/// Location fields as columns; category fields as the value of the location's category row.
QueryFieldResolver exportFieldResolver()
{
    const QueryFieldResolver plain = storeFieldResolver();
    return [plain](const QString &name) -> std::optional<QueryFieldRef> {
        std::optional<QueryFieldRef> ref = plain(name);
        if (!ref)
            return ref;
        const TableDef *table = findTableByPrefix(name);
        if (table != &categoriesTable())
            return table == &locationsTable() ? ref : std::nullopt;
        const TableDef &cat = categoriesTable();
        const TableDef &loc = locationsTable();
        ref->sql = u"(SELECT c."_s + ref->sql + u" FROM "_s + QString::fromLatin1(cat.schema) + u'.'
                   + sqlIdentifier(QString::fromLatin1(cat.sqlTable)) + u" AS c WHERE c."_s
                   + sqlIdentifier(u"Category"_s) + u" = "_s
                   + sqlIdentifier(QString::fromLatin1(loc.sqlTable)) + u'.'
                   + sqlIdentifier(u"Category"_s) + u" COLLATE PKNOCASE LIMIT 1)"_s;
        return ref;
    };
}

QString text(const SQLite::Statement &st, int index)
{
    const SQLite::Column c = st.getColumn(index);
    return QString::fromUtf8(static_cast<const char *>(c.getBlob()), c.getBytes());
}

/// The row as a location: column 0 is the row id, the fields follow in table order.
void readLocation(const SQLite::Statement &st, LocationRecord &r, bool listFieldsOnly)
{
    r.Location = text(st, 1);
    r.Description = text(st, 2);
    r.Category = text(st, 3);
    r.Rating = st.getColumn(4).getInt();
    if (listFieldsOnly) {
        r.SiteInfo = text(st, 5);
        return;
    }
    r.Keyword = text(st, 5);
    r.SiteInfo = text(st, 6);
    r.LastVisit = st.getColumn(7).getInt();
    r.LastValidated = st.getColumn(8).getInt();
    r.Validated = quint8(st.getColumn(9).getInt());
    r.MovedTo = text(st, 10);
    r.Comments = text(st, 11);
    r.UserName = text(st, 12);
    r.Password = text(st, 13);
    r.Expires = st.getColumn(14).getInt();
    r.PageSize = st.getColumn(15).getInt();
    r.EmailAddress = text(st, 16);
    r.OriginalFilename = text(st, 17);
    r.Custom1 = text(st, 18);
    r.Custom2 = text(st, 19);
    r.Custom3 = text(st, 20);
}

} // namespace

const KeyDef *ExportReader::keyOf(const QString &order)
{
    if (order == u"Location"_s)
        return &Keys::urlLocation();
    if (order == u"Description"_s)
        return &Keys::urlDescription();
    if (order == u"CatDesc"_s)
        return &Keys::urlCategory();
    if (order == u"CatLoc"_s)
        return &Keys::urlCategoryLocation();
    if (order == u"Rating"_s)
        return &Keys::urlRating();
    if (order == u"Keyword"_s)
        return &Keys::urlKeyword();
    return nullptr;
}

std::unique_ptr<ExportReader> ExportReader::open(const ExportSettings &settings,
                                                 const ExportEnvironment &env,
                                                 ExportResult &result)
{
    result = ExportResult::Failed;
    const KeyDef *key = keyOf(settings.order);
    if (!key) {
        if (env.ui)
            env.ui->message(u"Export"_s, u"Undefined export order."_s, UserInterface::Icon::Warning);
        return nullptr;
    }
    if (!env.collection)
        return nullptr;
    auto reader = std::make_unique<ExportReader>(*env.collection, *key);
    if (settings.categoryAssignment == u"Selected"_s)
        reader->selectCategory(settings.category);
    if (settings.categoryAssignment == u"Query"_s) {
        const std::optional<QString> query = env.queryWizard ? env.queryWizard()
                                                             : std::optional<QString>(QString());
        if (!query) {
            result = ExportResult::Cancelled;
            return nullptr;
        }
        QString message;
        if (!reader->setQuery(*query, message)) {
            if (env.ui)
                env.ui->message(u"Query Wizard"_s, message, UserInterface::Icon::Critical);
            return nullptr;
        }
    }
    result = ExportResult::Written;
    return reader;
}

ExportReader::ExportReader(Collection &collection, const KeyDef &key)
    : m_collection(collection)
    , m_view(std::make_unique<View>(collection, key))
{}

void ExportReader::selectCategory(const QString &category)
{
    m_selected = true;
    m_category = category;
}

void ExportReader::setCategoryRange(const QString &category)
{
    m_ranged = true;
    m_rangeCategory = category;
}

bool ExportReader::setQuery(const QString &expression, QString &message)
{
    if (expression.trimmed().isEmpty()) {
        m_view->setFilter({});
        return true;
    }
    const QueryExpression parsed = QueryExpression::parse(expression);
    if (!parsed.isValid()) {
        message = parsed.error().describe();
        return false;
    }
    QueryCompileContext context;
    context.resolveField = exportFieldResolver();
    context.substringIndex = storeSubstringIndex(m_collection);
    QueryError error;
    const std::optional<SqlFilter> filter = parsed.compile(context, error);
    if (!filter) {
        message = error.describe();
        return false;
    }
    m_view->setFilter(*filter);
    return true;
}

qint64 ExportReader::total()
{
    qint64 n = 0;
    if (StoreStatus s = m_view->count(n); !s)
        return 0;
    return n;
}

ExportReader::~ExportReader() = default;

bool ExportReader::start()
{
    m_status = TableAccess::ready(m_collection, locationsTable(), false);
    if (!m_status)
        return false;
    try {
        const QString columns = m_listFieldsOnly
                                    ? u"Location, Description, Category, Rating, SiteInfo"_s
                                    : RecordIo::columnList(locationsTable());
        const SqlFilter &filter = m_view->filter();
        QStringList conditions;
        QVariantList bindings = filter.bindings;
        if (!filter.isEmpty())
            conditions << u'(' + filter.where + u')';
        if (m_ranged) {
            // The key's own expression, so that the range is read through the category key.
            conditions << u'(' + SchemaManager::keyExpressions(Keys::urlCategory()).value(0)
                              + u") = ?"_s;
            bindings << trimTrailingSpaces(m_rangeCategory);
        }
        const QString sql = u"SELECT rowid, "_s + columns + u" FROM "_s
                            + TableAccess::qualified(locationsTable())
                            + (conditions.isEmpty() ? QString()
                                                    : u" WHERE "_s + conditions.join(u" AND "_s))
                            + u" ORDER BY "_s + m_view->orderBy();
        m_statement = std::make_unique<SQLite::Statement>(m_collection.db(), sql.toStdString());
        TableAccess::bindAll(*m_statement, bindings);
    } catch (const std::exception &e) {
        m_status = SqliteError::fromException(e);
        m_statement.reset();
        return false;
    }
    return true;
}

bool ExportReader::next(LocationRecord &record)
{
    if (m_atEnd)
        return false;
    if (!m_statement && !start()) {
        m_atEnd = true;
        return false;
    }
    try {
        while (m_statement->executeStep()) {
            if (!m_selected
                || QStringView(text(*m_statement, 3)).compare(m_category, Qt::CaseInsensitive)
                       == 0) {
                readLocation(*m_statement, record, m_listFieldsOnly);
                return true;
            }
        }
    } catch (const std::exception &e) {
        m_status = SqliteError::fromException(e);
    }
    m_atEnd = true;
    m_statement.reset();
    return false;
}

} // namespace pk
