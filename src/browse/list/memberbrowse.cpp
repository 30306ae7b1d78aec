#include "browse/list/memberbrowse.h"

#include "browse/list/listfind.h"
#include "browse/list/locationcolumns.h"
#include "framework/errormanager.h"
#include "framework/userinterface.h"

namespace pk {

MemberBrowse::MemberBrowse(Collection &collection,
                           UserInterface &ui,
                           ErrorManager &errors,
                           Launcher &launcher,
                           LocationBrowse::Hooks hooks,
                           MemberRows::Kind kind,
                           QObject *parent)
    : QObject(parent)
    , m_ui(ui)
    , m_errors(errors)
    , m_model(collection, kind)
{
    hooks.memberRow = [this](int row) -> std::optional<LocationPager::Row> {
        const MemberRows::Row *r = rows().rowAt(row);
        const LocationRecord *record = rows().location(row);
        if (!r || !record)
            return std::nullopt;
        return LocationPager::Row{r->locationRowId, *record};
    };
    hooks.refreshMembers = [this](qint64) {
        refresh();
        return 0;
    };
    m_commands
        = std::make_unique<LocationBrowse>(collection, ui, errors, launcher, std::move(hooks));
}

MemberBrowse::~MemberBrowse() = default;

QString MemberBrowse::title(MemberRows::Kind kind)
{
    return kind == MemberRows::Kind::Keywords ? QStringLiteral("Keywords and Locations")
                                              : QStringLiteral("Details and Locations");
}

QStringList MemberBrowse::tabs()
{
    return {QStringLiteral("Description"), QStringLiteral("Category")};
}

void MemberBrowse::reportRead(const StoreStatus &status)
{
    if (!status && status.catalogueNumber != 0)
        m_errors.raise(status.catalogueNumber, status.context);
}

void MemberBrowse::refresh()
{
    reportRead(m_model.refresh());
    emit refreshed();
}

void MemberBrowse::setTab(int tab)
{
    const int column = tab == 1 ? LocationColumns::Category : LocationColumns::Description;
    sortByColumn(rows().memberColumns() + column, false);
}

void MemberBrowse::sortByColumn(int column, bool descending)
{
    m_model.sortByColumn(column, descending);
    emit refreshed();
}

int MemberBrowse::locate(const QString &typed)
{
    return m_model.locate(typed);
}

std::optional<SqlFilter> MemberBrowse::compile(const QString &expression, QString &error) const
{
    const MemberRows::Kind k = kind();
    return LocationBrowse::compile(
        expression, [k](const QString &name) { return MemberRows::resolveField(k, name); }, error);
}

bool MemberBrowse::applyQuery(const QString &expression)
{
    if (expression.trimmed().isEmpty()) {
        resetQuery();
        return true;
    }
    QString error;
    const auto filter = compile(expression, error);
    StoreStatus status;
    if (filter) {
        const SqlFilter previous = rows().filter();
        rows().setFilter(*filter);
        status = m_model.refresh();
        if (!status) {
            // Compiled, but SQLite refused it: the list stays as it was.
            rows().setFilter(previous);
            static_cast<void>(m_model.refresh());
            error = status.describe();
        }
    }
    if (!filter || !status) {
        ListFind::reportInvalidQuery(m_ui, error);
        return false;
    }
    m_query = expression;
    emit refreshed();
    emit queryChanged(true);
    return true;
}

void MemberBrowse::resetQuery()
{
    m_query.clear();
    rows().setFilter({});
    refresh();
    emit queryChanged(false);
}

int MemberBrowse::find(const QString &condition, bool fromStart, int current)
{
    if (!condition.trimmed().isEmpty())
        m_lastCondition = condition;
    return ListFind::find(
        m_ui,
        m_errors,
        condition,
        [this](const QString &text, QString &error) { return compile(text, error); },
        [&](const SqlFilter &filter, StoreStatus &status) {
            return rows().findNext(filter, fromStart ? -1 : current, status);
        });
}

int MemberBrowse::findAgain(int current)
{
    return find(m_lastCondition, false, current);
}

} // namespace pk
