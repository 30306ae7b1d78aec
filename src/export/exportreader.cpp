#include "export/exportreader.h"

#include "browse/query/queryexpression.h"
#include "export/exportsettings.h"
#include "framework/userinterface.h"
#include "browse/query/queryfieldtable.h"
#include "browse/query/storefieldresolver.h"
#include "store/collection.h"
#include "store/fields.h"

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
        ref->sql = u"(SELECT c."_s + ref->sql + u" FROM "_s + QString::fromLatin1(cat.schema)
                   + u'.' + sqlIdentifier(QString::fromLatin1(cat.sqlTable)) + u" AS c WHERE c."_s
                   + sqlIdentifier(u"Category"_s) + u" = "_s
                   + sqlIdentifier(QString::fromLatin1(loc.sqlTable)) + u'.'
                   + sqlIdentifier(u"Category"_s) + u" COLLATE PKNOCASE LIMIT 1)"_s;
        return ref;
    };
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
                                                 const ExportEnvironment &env, ExportResult &result)
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
        const std::optional<QString> query
            = env.queryWizard ? env.queryWizard() : std::optional<QString>(QString());
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
{
}

void ExportReader::selectCategory(const QString &category)
{
    m_selected = true;
    m_category = category;
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

bool ExportReader::fill()
{
    if (m_atEnd)
        return false;
    ViewPage page;
    m_status = m_last.valid ? m_view->forward(m_last, PageSize, false, page)
                            : m_view->firstPage(PageSize, page);
    if (!m_status) {
        m_atEnd = true;
        return false;
    }
    m_atEnd = page.atEnd || page.rows.empty();
    if (!page.rows.empty())
        m_last = page.rows.back().position;
    for (ViewRow &row : page.rows)
        m_rows.push_back(std::move(row));
    return !m_rows.empty();
}

bool ExportReader::next(LocationRecord &record)
{
    for (;;) {
        if (m_rows.empty() && !fill())
            return false;
        record = m_rows.front().location();
        m_rows.pop_front();
        if (!m_selected || record.Category.compare(m_category, Qt::CaseInsensitive) == 0)
            return true;
    }
}

} // namespace pk
