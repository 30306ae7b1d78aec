#include "browse/forms/categoryform.h"

#include "browse/forms/requiredentry.h"
#include "browse/forms/storeerrors.h"
#include "browse/list/browserefresh.h"
#include "framework/errorcatalogue.h"
#include "framework/errormanager.h"
#include "shell/procedurenames.h"
#include "store/collection.h"
#include "store/categorymanager.h"
#include "store/cathtmlmanager.h"
#include "store/fieldtext.h"
#include "store/fields.h"
#include "store/tableaccess.h"

namespace pk {

CategoryForm::CategoryForm(Collection &collection,
                           UserInterface &ui,
                           ErrorManager &errors,
                           FormRequest request,
                           Variant variant,
                           const QString &category)
    : m_collection(collection)
    , m_ui(ui)
    , m_errors(errors)
    , m_request(request)
    , m_variant(variant)
    , m_original(category)
{
    if (request == FormRequest::Insert)
        m_record.Category = category;
}

QString CategoryForm::title(FormRequest request, Variant variant)
{
    const bool noMdi = variant == Variant::NoMdi;
    switch (request) {
    case FormRequest::Insert:
        return noMdi ? QStringLiteral("Category Will Be Added") : QStringLiteral("New Category");
    case FormRequest::Change:
        return noMdi ? QStringLiteral("Category Will Be Changed") : QStringLiteral("Edit Category");
    case FormRequest::View:
    case FormRequest::Delete:
        return QStringLiteral("View Record");
    }
    return {};
}

QString CategoryForm::procedure(Variant variant)
{
    return QString::fromLatin1(variant == Variant::NoMdi ? Procedure::UpdateCategoryNoMdi
                                                         : Procedure::UpdateCategory);
}

bool CategoryForm::load()
{
    if (m_request == FormRequest::Insert)
        return true;
    const StoreStatus status = m_collection.categories().get(m_original, m_record);
    if (!status) {
        reportStoreError(m_errors, status, Msg::RecordRetrievalError, CollectionFile::Categories);
        return false;
    }
    m_original = m_record.Category;
    m_loaded = CategoryManager::prepared(m_record);
    return true;
}

bool CategoryForm::save()
{
    m_failed = Entry::None;
    if (isReadOnly())
        return false;
    if (trimTrailingSpaces(m_record.Category).trimmed().isEmpty()) {
        m_failed = Entry::Category;
        RequiredEntry::report(m_ui, QLatin1String(CategoryPrompt));
        return false;
    }
    const CategoryRecord stored = CategoryManager::prepared(m_record);
    const StoreStatus status = m_collection.transaction([&]() -> StoreStatus {
        if (m_request != FormRequest::Insert)
            return m_collection.categories().changeIfUnchanged(m_original, m_loaded, stored);
        StoreStatus s = m_collection.categories().insert(stored);
        for (std::size_t i = 0; s && i < m_held.size(); ++i) {
            CatHtmlRecord snippet = m_held[i];
            snippet.CATEGORY = stored.Category;
            s = m_collection.catHtml().insert(snippet);
        }
        return s;
    });
    if (!status) {
        m_failed = Entry::Category;
        if (reportRefusedSave(m_errors,
                              status,
                              m_request == FormRequest::Insert,
                              CollectionFile::Categories))
            showStoredAfterConflict(stored);
        return false;
    }
    m_recall.saved(stored, m_record, m_loaded);
    m_original = m_record.Category;
    m_held.clear();
    // Saved once, the category is there: a later save changes it.
    m_request = FormRequest::Change;
    BrowseRefresh::instance().request();
    return true;
}

void CategoryForm::showStoredAfterConflict(const CategoryRecord &mine)
{
    CategoryRecord current;
    if (!readStored(m_errors,
                    m_collection.categories().get(m_original, current),
                    CollectionFile::Categories))
        return;
    m_recall.showStored(mine, current, CategoryManager::prepared(current), m_record, m_loaded);
    // The name as stored now: another program may have changed its letter case.
    m_original = current.Category;
    m_failed = Entry::Changed;
}

void CategoryForm::recallChanges()
{
    if (m_recall.canRecall())
        m_record = m_recall.recalled(CategoryManager::prepared(m_record));
}

bool CategoryForm::remove()
{
    if (m_errors.raise(Msg::ConfirmDelete) != 0)
        return false;
    const StoreStatus status = m_collection.categories().remove(m_original);
    if (!status && status.error != StoreError::RecordNotFound) {
        reportStoreError(m_errors, status, Msg::RecordNotDeleted, CollectionFile::Categories);
        return false;
    }
    BrowseRefresh::instance().request();
    return true;
}

std::vector<CatHtmlRecord> CategoryForm::snippets()
{
    std::vector<CatHtmlRecord> out;
    const QString name = m_record.Category.isEmpty() ? m_original : m_record.Category;
    if (!trimTrailingSpaces(name).isEmpty()) {
        if (const StoreStatus status = m_collection.catHtml().list(trimTrailingSpaces(name), out);
            !status) {
            out.clear();
            reportStoreError(m_errors, status, Msg::RecordRetrievalError, CollectionFile::CatHtml);
        }
    }
    out.insert(out.end(), m_held.begin(), m_held.end());
    return out;
}

bool CategoryForm::holdSnippet(const CatHtmlRecord &snippet, int row)
{
    const CatHtmlRecord held = CatHtmlManager::prepared(snippet);
    for (std::size_t i = 0; i < m_held.size(); ++i) {
        if (int(i) != row
            && m_held[i].TypeOfHTML.compare(held.TypeOfHTML, Qt::CaseInsensitive) == 0) {
            reportStoreError(m_errors,
                             TableAccess::duplicate(catHtmlTable()),
                             Msg::RecordInsertError,
                             CollectionFile::CatHtml);
            return false;
        }
    }
    if (row >= 0 && row < int(m_held.size()))
        m_held[std::size_t(row)] = held;
    else
        m_held.push_back(held);
    return true;
}

void CategoryForm::dropSnippet(int row)
{
    if (row >= 0 && row < int(m_held.size()))
        m_held.erase(m_held.begin() + row);
}

} // namespace pk
