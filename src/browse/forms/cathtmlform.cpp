#include "browse/forms/cathtmlform.h"

#include "browse/forms/storeerrors.h"
#include "framework/errorcatalogue.h"
#include "framework/errormanager.h"
#include "store/cathtmlmanager.h"
#include "store/collection.h"

namespace pk {

const std::array<CatHtmlForm::TypeOption, 5> &CatHtmlForm::types()
{
    static const std::array<TypeOption, 5> options = {{
        {"&Replace Title", "Replace Title"},
        {"&Before Category", "Before Category"},
        {"Before &Category Title", "Before Category Title"},
        {"After Category &Title", "After Category Title"},
        {"&After Category", "After Category"},
    }};
    return options;
}

int CatHtmlForm::typeIndex(const QString &stored)
{
    for (std::size_t i = 0; i < types().size(); ++i) {
        if (stored.trimmed().compare(QLatin1String(types()[i].stored), Qt::CaseInsensitive) == 0)
            return int(i);
    }
    return -1;
}

CatHtmlForm::CatHtmlForm(Collection &collection,
                         UserInterface &ui,
                         ErrorManager &errors,
                         FormRequest request,
                         const QString &category,
                         const QString &type)
    : m_collection(collection)
    , m_ui(ui)
    , m_errors(errors)
    , m_request(request)
    , m_category(category)
    , m_type(type)
{
    m_record.CATEGORY = category;
    m_record.TypeOfHTML = request == FormRequest::Insert ? QString::fromLatin1(DefaultType) : type;
}

QString CatHtmlForm::title(FormRequest request)
{
    switch (request) {
    case FormRequest::Insert:
        return QStringLiteral("New HTML");
    case FormRequest::Change:
        return QStringLiteral("Edit HTML");
    case FormRequest::View:
    case FormRequest::Delete:
        return QStringLiteral("View Record");
    }
    return {};
}

void CatHtmlForm::keepWith(const CatHtmlRecord &record, Keeper keeper)
{
    if (m_request != FormRequest::Insert)
        m_record = record;
    m_record.CATEGORY = m_category;
    m_keeper = std::move(keeper);
}

bool CatHtmlForm::load()
{
    if (m_request == FormRequest::Insert || m_keeper)
        return true;
    const StoreStatus status = m_collection.catHtml().get(m_category, m_type, m_record);
    if (!status) {
        reportStoreError(m_errors, status, Msg::RecordRetrievalError, CollectionFile::CatHtml);
        return false;
    }
    m_loaded = CatHtmlManager::prepared(m_record);
    return true;
}

bool CatHtmlForm::save()
{
    m_conflict = false;
    if (isReadOnly())
        return false;
    if (m_keeper)
        return m_keeper(CatHtmlManager::prepared(m_record));
    const CatHtmlRecord stored = CatHtmlManager::prepared(m_record);
    const StoreStatus status
        = m_request == FormRequest::Insert
              ? m_collection.catHtml().insert(stored)
              : m_collection.catHtml().changeIfUnchanged(m_category, m_type, m_loaded, stored);
    if (!status) {
        if (reportRefusedSave(m_errors,
                              status,
                              m_request == FormRequest::Insert,
                              CollectionFile::CatHtml))
            showStoredAfterConflict(stored);
        return false;
    }
    m_recall.saved(stored, m_record, m_loaded);
    m_category = m_record.CATEGORY;
    m_type = m_record.TypeOfHTML;
    return true;
}

void CatHtmlForm::showStoredAfterConflict(const CatHtmlRecord &mine)
{
    CatHtmlRecord current;
    if (!readStored(m_errors,
                    m_collection.catHtml().get(m_category, m_type, current),
                    CollectionFile::CatHtml))
        return;
    m_recall.showStored(mine, current, CatHtmlManager::prepared(current), m_record, m_loaded);
    // The key as stored now: another program may have changed its letter case.
    m_category = current.CATEGORY;
    m_type = current.TypeOfHTML;
    m_conflict = true;
}

void CatHtmlForm::recallChanges()
{
    if (m_recall.canRecall())
        m_record = m_recall.recalled(CatHtmlManager::prepared(m_record));
}

bool CatHtmlForm::remove()
{
    if (m_errors.raise(Msg::ConfirmDelete) != 0)
        return false;
    const StoreStatus status = m_collection.catHtml().remove(m_category, m_type);
    if (!status && status.error != StoreError::RecordNotFound) {
        reportStoreError(m_errors, status, Msg::RecordNotDeleted, CollectionFile::CatHtml);
        return false;
    }
    return true;
}

} // namespace pk
