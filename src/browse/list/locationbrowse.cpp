#include "browse/list/locationbrowse.h"

#include "browse/list/listfind.h"
#include "browse/list/locationcolumns.h"
#include "browse/list/locationlaunch.h"
#include "browse/list/shortcutdrop.h"
#include "browse/list/sorttab.h"
#include "browse/query/queryexpression.h"
#include "browse/query/storefieldresolver.h"
#include "framework/errormanager.h"
#include "framework/userinterface.h"
#include "platform/launcher.h"
#include "shell/procedurerequests.h"
#include "shell/procedurestarter.h"
#include "store/categorymanager.h"
#include "store/collection.h"
#include "store/configurationmanager.h"
#include "store/fields.h"
#include "store/locationmanager.h"
#include "store/picture.h"

namespace pk {

namespace {

const QString kYesNoYes = QStringLiteral("&Yes");
const QString kYesNoNo = QStringLiteral("&No");

/// The list's filters name the Locations table's own fields only.
std::optional<QueryFieldRef> resolveLocationField(const QString &name)
{
    if (!name.startsWith(QLatin1String("URL:"), Qt::CaseInsensitive))
        return std::nullopt;
    static const QueryFieldResolver store = storeFieldResolver();
    return store(name);
}

} // namespace

LocationBrowse::LocationBrowse(Collection &collection,
                               UserInterface &ui,
                               ErrorManager &errors,
                               Launcher &launcher,
                               Hooks hooks,
                               QObject *parent)
    : QObject(parent)
    , m_collection(collection)
    , m_ui(ui)
    , m_errors(errors)
    , m_launcher(launcher)
    , m_hooks(std::move(hooks))
    , m_model(collection)
{
    m_model.setKey(SortTab::tabs()[0].key());
    connect(&m_model, &LocationListModel::readFailed, this, &LocationBrowse::reportReadFailure);
    // The version is taken before the list is read: a change made while it reads is seen next
    // time rather than never.
    connect(&m_model, &QAbstractItemModel::modelAboutToBeReset, this, [this] {
        m_readFailureShown = false;
        m_seenVersion = m_collection.dataVersion();
    });
}

void LocationBrowse::reportReadFailure()
{
    const StoreStatus status = m_model.pager().takeReadFailure();
    if (status || m_readFailureShown)
        return;
    m_readFailureShown = true;
    ErrorContext context = status.context;
    if (context.errorText.isEmpty())
        context.errorText = status.describe();
    m_errors.raise(status.catalogueNumber != 0 ? status.catalogueNumber : Msg::RecordRetrievalError,
                   context);
}

LocationBrowse::~LocationBrowse() = default;

void LocationBrowse::busy(bool on)
{
    if (m_hooks.setBusy)
        m_hooks.setBusy(on);
}

std::optional<LocationPager::Row> LocationBrowse::rowAt(int row)
{
    if (m_hooks.memberRow)
        return m_hooks.memberRow(row);
    if (const LocationPager::Row *r = m_model.rowAt(row))
        return *r;
    return std::nullopt;
}

SqlFilter LocationBrowse::listFilter(const SqlFilter &query) const
{
    if (!m_scoped)
        return query;
    // The key's own column: compared as the key compares (without regard to letter case) and
    // found through its index.
    SqlFilter out;
    out.where = QStringLiteral("\"KeyCategory\" = ?");
    out.bindings << m_categoryScope;
    if (!query.isEmpty()) {
        out.where += QStringLiteral(" AND (") + query.where + QLatin1Char(')');
        out.bindings += query.bindings;
    }
    return out;
}

void LocationBrowse::setCategoryScope(const QString &category)
{
    m_categoryScope = category.trimmed();
    m_scoped = true;
    m_model.setKey(Keys::urlCategory());
    m_model.setFilter(listFilter(m_queryFilter));
    refresh();
}

int LocationBrowse::refresh(qint64 keepRowId)
{
    m_seenVersion = m_collection.dataVersion();
    if (m_hooks.refreshMembers) {
        const int row = m_hooks.refreshMembers(keepRowId);
        emit refreshed();
        return row;
    }
    const StoreStatus status = m_model.refresh();
    if (!status && status.catalogueNumber != 0)
        m_errors.raise(status.catalogueNumber, status.context);
    int row = 0;
    if (keepRowId > 0) {
        const qint64 found = m_model.pager().rowOfRowId(keepRowId);
        row = found < 0 ? 0 : int(found);
    }
    emit refreshed();
    return row;
}

bool LocationBrowse::refreshIfChangedElsewhere(qint64 keepRowId)
{
    if (!changedElsewhere())
        return false;
    refresh(keepRowId);
    return true;
}

bool LocationBrowse::changedElsewhere()
{
    return !m_collection.inTransaction() && m_collection.dataVersion() != m_seenVersion;
}

QString LocationBrowse::title()
{
    // Without a query the list's own count is the table's; with one, count the table.
    const qint64 count = hasQuery() ? m_collection.locations().count() : m_model.count();
    return QStringLiteral("Browse Locations (") + QString::number(count) + QLatin1Char(')');
}

void LocationBrowse::setTab(int tab)
{
    if (tab < 0 || tab >= int(SortTab::tabs().size()))
        return;
    m_tab = tab;
    m_sortColumn = -1;
    m_sortDescending = false;
    m_model.setKey(SortTab::tabs()[std::size_t(tab)].key());
    refresh();
}

void LocationBrowse::sortByColumn(int column, bool descending)
{
    m_sortColumn = column;
    m_sortDescending = descending;
    const StoreStatus status = m_model.sortByColumn(column,
                                                    descending ? Qt::DescendingOrder
                                                               : Qt::AscendingOrder);
    if (!status && status.catalogueNumber != 0)
        m_errors.raise(status.catalogueNumber, status.context);
    emit refreshed();
}

void LocationBrowse::clickHeading(int column)
{
    sortByColumn(column, column == m_sortColumn && !m_sortDescending);
}

int LocationBrowse::locate(const QString &typed)
{
    return locate(typed, true).value_or(-1);
}

std::optional<int> LocationBrowse::tryLocate(const QString &typed)
{
    return locate(typed, false);
}

std::optional<int> LocationBrowse::locate(const QString &typed, bool wait)
{
    if (typed.isEmpty())
        return m_model.count() > 0 ? 0 : -1;
    if (m_scoped) {
        // Within one category the list runs by description.
        if (&m_model.key() != &Keys::urlCategory() || m_model.pager().isReversed()) {
            m_model.setKey(Keys::urlCategory());
            refresh();
        }
        if (!wait && m_model.pager().placesPending())
            return std::nullopt;
        return int(m_model.pager().locate({m_categoryScope, typed}));
    }
    // The locator belongs to the tab: a heading sort gives way to the tab's order first.
    const SortTab &tab = SortTab::tabs()[std::size_t(m_tab)];
    if (&m_model.key() != &tab.key() || m_model.pager().isReversed() || m_sortColumn >= 0) {
        m_sortColumn = -1;
        m_sortDescending = false;
        m_model.setKey(tab.key());
        refresh();
    }
    if (!wait && m_model.pager().placesPending())
        return std::nullopt;
    return int(m_model.pager().locate(tab.locatorValues(typed)));
}

std::optional<SqlFilter> LocationBrowse::compile(const QString &expression, QString &error)
{
    return compile(expression, &resolveLocationField, error, storeSubstringIndex(m_collection));
}

std::optional<SqlFilter> LocationBrowse::compile(const QString &expression,
                                                 const QueryFieldResolver &resolve,
                                                 QString &error,
                                                 const std::optional<QuerySubstringIndex> &index)
{
    const QueryExpression parsed = QueryExpression::parse(expression);
    if (!parsed.isValid()) {
        error = parsed.error().describe();
        return std::nullopt;
    }
    QueryCompileContext context;
    context.resolveField = resolve;
    context.substringIndex = index;
    QueryError compileError;
    auto filter = parsed.compile(context, compileError);
    if (!filter)
        error = compileError.describe();
    return filter;
}

bool LocationBrowse::applyQuery(const QString &expression)
{
    if (expression.trimmed().isEmpty()) {
        resetQuery();
        return true;
    }
    QString error;
    const auto filter = compile(expression, error);
    if (!filter) {
        ListFind::reportInvalidQuery(m_ui, error);
        return false;
    }
    const SqlFilter previous = m_model.filter();
    m_model.setFilter(listFilter(*filter));
    const StoreStatus status = m_model.refresh();
    if (!status) {
        // The expression compiled but SQLite refused it: keep the list as it was.
        m_model.setFilter(previous);
        // The previous filter read well a moment ago; the message below tells what failed.
        static_cast<void>(m_model.refresh());
        m_ui.message(QStringLiteral("Invalid Query"),
                     status.describe(),
                     UserInterface::Icon::Warning);
        return false;
    }
    m_query = expression;
    m_queryFilter = *filter;
    emit refreshed();
    emit queryChanged(true);
    return true;
}

void LocationBrowse::resetQuery()
{
    m_query.clear();
    m_queryFilter = {};
    m_model.setFilter(listFilter({}));
    refresh();
    emit queryChanged(false);
}

QString LocationBrowse::doubleClickAction()
{
    // Without a readable setting a double click starts the location.
    ConfigurationRecord setting;
    if (!m_collection.configuration().get(QStringLiteral("DoubleClickAction"), setting))
        return QString::fromLatin1(StartUrl);
    return setting.DataValue.trimmed();
}

void LocationBrowse::launchText(const QString &text)
{
    m_launcher.launch(text);
}

void LocationBrowse::launchLocation(const QString &location)
{
    LocationLaunch::launch(m_collection, m_launcher, m_errors, location);
}

void LocationBrowse::launch(int row)
{
    const auto r = rowAt(row);
    if (!r)
        return;
    if (!SendType::canLaunch(m_sendType)) {
        m_ui.message(QStringLiteral("Error"),
                     QStringLiteral("No program associated with ") + SendType::name(m_sendType)
                         + QLatin1Char('.'),
                     UserInterface::Icon::Critical);
        return;
    }
    const LocationRecord record = r->record;
    if (m_sendType == SendType::Url) {
        // The window keeps the highlighted location across the new read itself.
        launchLocation(record.Location);
        refresh();
    } else {
        launchText(SendType::launchText(record, m_sendType));
    }
}

void LocationBrowse::copyToClipboard(int row)
{
    const auto r = rowAt(row);
    if (r && m_hooks.setClipboard)
        m_hooks.setClipboard(SendType::clipboardText(r->record, m_sendType));
}

void LocationBrowse::doubleClick(int row)
{
    const auto r = rowAt(row);
    if (!r)
        return;
    if (doubleClickAction().compare(QLatin1String(StartUrl), Qt::CaseInsensitive) == 0) {
        launchLocation(r->record.Location);
        refresh();
        if (m_hooks.minimiseFrame)
            m_hooks.minimiseFrame();
        return;
    }
    change(row);
}

int LocationBrowse::find(const QString &condition, bool fromStart, int current)
{
    if (!condition.trimmed().isEmpty())
        m_lastCondition = condition;
    return ListFind::find(
        m_ui,
        m_errors,
        condition,
        [this](const QString &text, QString &error) { return compile(text, error); },
        [&](const SqlFilter &filter, StoreStatus &status) {
            busy(true);
            const auto found = m_model.pager().findNext(filter, fromStart ? -1 : current, status);
            busy(false);
            return found ? int(*found) : -1;
        });
}

int LocationBrowse::findAgain(int current)
{
    return find(m_lastCondition, false, current);
}

int LocationBrowse::removeAll(bool invalidOnly)
{
    const QString title = invalidOnly ? QStringLiteral("Remove Invalid Links")
                                      : QStringLiteral("Remove Multiple Entries");
    const QString what = invalidOnly ? QStringLiteral("all of the invalid links")
                                     : QStringLiteral("all of the displayed entries");
    const QString question = QStringLiteral("This option will remove ") + what
                             + QStringLiteral(" from your URL database.  If a query has been "
                                              "applied, then only those entries matching the query "
                                              "(and therefore shown) will be removed.  Do you wish "
                                              "to proceed?");
    // No is the default: one stray Enter must not empty the list.
    if (m_ui.ask(title, question, {kYesNoYes, kYesNoNo}, 1) != 0)
        return 0;

    busy(true);
    int removed = 0;
    LocationManager &locations = m_collection.locations();
    const StoreStatus status = m_collection.transaction([&] {
        return m_model.pager().forEach([&](const LocationPager::Row &row) {
            if (invalidOnly && row.record.Validated != 2)
                return true;
            LocationRecord current;
            if (locations.get(row.record.Location, current) && locations.remove(current.Location))
                ++removed;
            return true;
        });
    });
    busy(false);
    if (!status && status.catalogueNumber != 0)
        m_errors.raise(status.catalogueNumber, status.context);
    refresh();
    return status ? removed : 0;
}

int LocationBrowse::removeDisplayed()
{
    return removeAll(false);
}

int LocationBrowse::removeInvalid()
{
    return removeAll(true);
}

int LocationBrowse::dropFiles(const QStringList &files)
{
    const QString favourites = m_hooks.favouritesFolder ? m_hooks.favouritesFolder() : QString();
    int added = 0;
    for (const QString &file : files) {
        if (!ShortcutDrop::isShortcut(file))
            continue;
        const auto record = ShortcutDrop::fromFile(file, favourites);
        if (!record)
            continue;
        if (!m_collection.categories().exists(record->Category)) {
            CategoryRecord category;
            category.Category = record->Category;
            const StoreStatus status = m_collection.categories().insert(category);
            if (!status && status.error != StoreError::DuplicateKey) {
                if (status.catalogueNumber != 0)
                    m_errors.raise(status.catalogueNumber, status.context);
                continue;
            }
        }
        const StoreStatus status = m_collection.locations().insert(*record);
        if (status)
            ++added;
        else if (status.catalogueNumber != 0)
            m_errors.raise(status.catalogueNumber, status.context);
    }
    if (added > 0)
        refresh();
    return added;
}

template<typename Request>
void LocationBrowse::start(const Request &request)
{
    if (m_hooks.starter) {
        m_hooks.starter->start(request);
        return;
    }
    ErrorContext context;
    context.message = QLatin1String(Request::procedure);
    m_errors.raise(Msg::ProcedureNotDefined, context);
}

void LocationBrowse::insert()
{
    LocationFormRequest form{.action = FormRequest::Insert};
    if (m_scoped)
        form.category = m_categoryScope;
    start(form);
}

void LocationBrowse::change(int row)
{
    const auto r = rowAt(row);
    if (!r)
        return;
    start(LocationFormRequest{.action = FormRequest::Change, .location = r->record.Location});
}

void LocationBrowse::remove(int row)
{
    const auto r = rowAt(row);
    if (!r)
        return;
    const QString location = r->record.Location;
    const LocationFormRequest form{.action = FormRequest::Delete, .location = location};
    // The form asks and deletes when it exists; until then the list asks and deletes itself.
    if (m_hooks.starter && m_hooks.starter->isDefined(QLatin1String(form.procedure))) {
        m_hooks.starter->start(form);
        return;
    }
    if (m_errors.raise(Msg::ConfirmDelete) != 0)
        return;
    const StoreStatus status = m_collection.locations().remove(location);
    if (!status && status.error != StoreError::RecordNotFound) {
        ErrorContext context = status.context;
        if (context.file.isEmpty())
            context.file = Collection::fileName(CollectionFile::Data);
        if (context.errorText.isEmpty())
            context.errorText = status.describe();
        m_errors.raise(Msg::RecordNotDeleted, context);
    }
    refresh();
}

void LocationBrowse::test(int row)
{
    const auto r = rowAt(row);
    if (!r)
        return;
    start(RetrieveAndTestRequest{.location = r->record.Location});
}

void LocationBrowse::download(int row)
{
    const auto r = rowAt(row);
    QString condition = m_query;
    if (m_query.isEmpty() && r && !r->record.Location.trimmed().isEmpty())
        condition = QStringLiteral("URL:Location=") + QueryExpression::quote(r->record.Location);
    start(DownloadUrlsRequest{condition});
}

void LocationBrowse::print()
{
    start(ReportWizardRequest{m_query, QString::fromLatin1(m_model.key().name)});
}

void LocationBrowse::grabFromBrowser()
{
    start(NewLocationRequest{});
}

} // namespace pk
