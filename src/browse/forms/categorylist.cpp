#include "browse/forms/categorylist.h"

#include "browse/forms/specialcategory.h"
#include "browse/forms/storeerrors.h"
#include "browse/query/queryexpression.h"
#include "browse/query/storefieldresolver.h"
#include "framework/errorcatalogue.h"
#include "framework/errormanager.h"
#include "framework/userinterface.h"
#include "store/collection.h"
#include "store/view.h"
#include "store/viewcursor.h"

namespace pk {

namespace {
constexpr int PageSize = 500;
}

CategoryList::CategoryList(Collection &collection,
                           UserInterface &ui,
                           ErrorManager &errors,
                           Mode mode)
    : m_collection(collection)
    , m_ui(ui)
    , m_errors(errors)
    , m_mode(mode)
{}

StoreStatus CategoryList::refresh()
{
    m_rows.clear();
    View view(m_collection, Keys::catCategory());
    ViewCursor cursor(view, PageSize);
    ViewRow row;
    while (cursor.next(row)) {
        CategoryRecord record = row.category();
        if (m_mode == Mode::Assignable && SpecialCategory::isSpecial(record.Category))
            continue;
        m_rows.push_back({row.rowId(), std::move(record)});
    }
    return cursor.status();
}

int CategoryList::indexOfRowId(qint64 rowId) const
{
    for (int i = 0; i < count(); ++i) {
        if (m_rows[std::size_t(i)].rowId == rowId)
            return i;
    }
    return -1;
}

void CategoryList::reload()
{
    if (const StoreStatus status = refresh(); !status)
        reportStoreError(m_errors, status, Msg::RecordRetrievalError, CollectionFile::Categories);
}

const CategoryList::Row *CategoryList::rowAt(int row) const
{
    return row >= 0 && row < count() ? &m_rows[std::size_t(row)] : nullptr;
}

int CategoryList::indexOf(const QString &category) const
{
    const QString wanted = category.trimmed();
    for (int i = 0; i < count(); ++i) {
        if (m_rows[std::size_t(i)].record.Category.compare(wanted, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

QStringList CategoryList::names() const
{
    QStringList out;
    out.reserve(count());
    for (const Row &row : m_rows)
        out.append(row.record.Category);
    return out;
}

int CategoryList::locate(const QString &typed)
{
    if (m_rows.empty())
        return -1;
    if (typed.isEmpty())
        return 0;
    View view(m_collection, Keys::catCategory());
    ViewPosition position;
    if (!view.locate({typed}, position))
        return count() - 1;
    // The located row may be a special category this list leaves out: take the next shown one.
    ViewCursor cursor(view, position, true, PageSize);
    ViewRow row;
    while (cursor.next(row)) {
        if (const int i = indexOfRowId(row.rowId()); i >= 0)
            return i;
    }
    return count() - 1;
}

QString CategoryList::findFields()
{
    return QStringLiteral("Category|@s50|CAT:Category|Description|@s255|CAT:Description|");
}

int CategoryList::find(const QString &condition, bool fromStart, int current)
{
    if (condition.trimmed().isEmpty()) {
        m_ui.message(QStringLiteral("Error"),
                     QStringLiteral("No search criteria specified."),
                     UserInterface::Icon::Critical);
        return -1;
    }
    m_lastCondition = condition;
    const QueryExpression parsed = QueryExpression::parse(condition);
    if (!parsed.isValid()) {
        m_ui.message(QStringLiteral("Error"),
                     parsed.error().describe(),
                     UserInterface::Icon::Critical);
        return -1;
    }
    QueryCompileContext context;
    context.resolveField = storeFieldResolver();
    QueryError compileError;
    auto filter = parsed.compile(context, compileError);
    if (!filter) {
        m_ui.message(QStringLiteral("Error"),
                     compileError.describe(),
                     UserInterface::Icon::Critical);
        return -1;
    }

    View view(m_collection, Keys::catCategory());
    view.setFilter(*filter);
    ViewPosition from;
    const Row *start = fromStart ? nullptr : rowAt(current);
    if (start && !View(m_collection, Keys::catCategory()).positionOf(start->rowId, from))
        from = {};
    ViewCursor cursor(view, from, false, PageSize);
    ViewRow match;
    while (cursor.next(match)) {
        if (const int i = indexOfRowId(match.rowId()); i >= 0)
            return i;
    }
    if (const StoreStatus &status = cursor.status(); !status && status.catalogueNumber != 0)
        m_errors.raise(status.catalogueNumber, status.context);
    else
        m_ui.message(QStringLiteral("Find"), QStringLiteral("No more matches."));
    return -1;
}

int CategoryList::findAgain(int current)
{
    return find(m_lastCondition, false, current);
}

} // namespace pk
