#include "browse/forms/categorychanges.h"

#include "browse/forms/categoryform.h"
#include "browse/forms/entryinput.h"
#include "browse/forms/requiredentry.h"
#include "browse/forms/storeerrors.h"
#include "framework/errorcatalogue.h"
#include "framework/userinterface.h"
#include "store/categorymanager.h"
#include "store/cathtmlmanager.h"
#include "store/collection.h"
#include "store/fields.h"
#include "store/locationmanager.h"
#include "store/view.h"
#include "store/viewcursor.h"

#include <vector>

namespace pk {

CategoryChanges::CategoryChanges(Collection &collection, UserInterface &ui, ErrorManager &errors)
    : m_collection(collection)
    , m_ui(ui)
    , m_errors(errors)
{}

std::optional<QString> CategoryChanges::checkedName(const QString &typed)
{
    const QString name = typed.trimmed();
    if (name.isEmpty()) {
        RequiredEntry::report(m_ui, QLatin1String(Prompt));
        return std::nullopt;
    }
    const int width = categoriesTable().fields[0].width;
    const EntryInput::Text fitted = EntryInput::fit(name, width);
    if (fitted.cleaned || fitted.cut) {
        EntryInput::report(m_ui,
                           EntryInput::fitMessage(QLatin1String(Prompt), fitted, width)
                               + QLatin1String(" Nothing was changed."));
        return std::nullopt;
    }
    return name;
}

std::optional<QString> CategoryChanges::stored(const QString &name)
{
    CategoryRecord record;
    if (!m_collection.categories().get(name, record))
        return std::nullopt;
    return record.Category;
}

qint64 CategoryChanges::locationCount(const QString &category)
{
    View view(m_collection, Keys::urlCategory());
    view.setRange({category});
    qint64 count = -1;
    return view.count(count) ? count : -1;
}

bool CategoryChanges::add(const QString &name, const QString &description)
{
    // The form's own insert: the same required entry, duplicate check and messages.
    CategoryForm form(m_collection,
                      m_ui,
                      m_errors,
                      FormRequest::Insert,
                      CategoryForm::Variant::Tabbed,
                      name);
    form.record().Description = description;
    return form.save();
}

bool CategoryChanges::rename(const QString &from, const QString &to, qint64 *moved)
{
    qint64 count = 0;
    const StoreStatus status = m_collection.transaction([&]() -> StoreStatus {
        CategoryRecord record;
        if (StoreStatus s = m_collection.categories().get(from, record); !s)
            return s;
        const QString old = record.Category;
        record.Category = to;
        if (StoreStatus s = m_collection.categories().change(old, record); !s)
            return s;
        if (StoreStatus s = moveLocations(old, to, count); !s)
            return s;
        return moveSnippets(old, to);
    });
    if (!status) {
        reportStoreError(m_errors, status, Msg::RecordNotUpdated, CollectionFile::Categories);
        return false;
    }
    if (moved)
        *moved = count;
    return true;
}

bool CategoryChanges::remove(const QString &name, const QString &moveTo, qint64 *moved)
{
    // No location is left naming a category that is gone.
    const bool ownCategory = moveTo.trimmed().compare(name.trimmed(), Qt::CaseInsensitive) == 0;
    if ((moveTo.isEmpty() && locationCount(name) != 0) || ownCategory) {
        m_ui.message(QStringLiteral("Category Not Removed"),
                     QStringLiteral("The locations of %1 need another category first.").arg(name),
                     UserInterface::Icon::Warning);
        return false;
    }
    qint64 count = 0;
    const StoreStatus status = m_collection.transaction([&]() -> StoreStatus {
        if (!moveTo.isEmpty()) {
            if (StoreStatus s = moveLocations(name, moveTo, count); !s)
                return s;
        }
        return m_collection.categories().remove(name);
    });
    if (!status) {
        reportStoreError(m_errors, status, Msg::RecordNotDeleted, CollectionFile::Categories);
        return false;
    }
    if (moved)
        *moved = count;
    return true;
}

StoreStatus CategoryChanges::moveLocations(const QString &from, const QString &to, qint64 &moved)
{
    // Read first: every change takes the location out of the range being read.
    std::vector<LocationRecord> records;
    {
        View view(m_collection, Keys::urlCategory());
        view.setRange({from});
        ViewCursor cursor(view);
        ViewRow row;
        while (cursor.next(row))
            records.push_back(row.location());
        if (!cursor.status())
            return cursor.status();
    }
    for (LocationRecord &record : records) {
        const QString location = record.Location;
        record.Category = to;
        // Through the record manager: the new category must exist, as for any change.
        if (StoreStatus s = m_collection.locations().change(location, record); !s)
            return s;
    }
    moved = qint64(records.size());
    return StoreStatus::success();
}

StoreStatus CategoryChanges::moveSnippets(const QString &from, const QString &to)
{
    std::vector<CatHtmlRecord> snippets;
    if (StoreStatus s = m_collection.catHtml().list(from, snippets); !s)
        return s;
    for (CatHtmlRecord snippet : snippets) {
        const QString type = snippet.TypeOfHTML;
        snippet.CATEGORY = to;
        if (StoreStatus s = m_collection.catHtml().change(from, type, snippet); !s)
            return s;
    }
    return StoreStatus::success();
}

} // namespace pk
