#include "browse/forms/locationform.h"

#include "browse/forms/locationanalyzer.h"

#include "browse/forms/addressentry.h"
#include "browse/forms/keywordguess.h"
#include "browse/forms/requiredentry.h"
#include "browse/forms/shortcutfile.h"
#include "browse/forms/storeerrors.h"
#include "browse/list/browserefresh.h"
#include "framework/errorcatalogue.h"
#include "framework/errormanager.h"
#include "framework/userinterface.h"
#include "store/collection.h"
#include "store/detailmanager.h"
#include "store/fieldtext.h"
#include "store/keywordmanager.h"
#include "store/locationmanager.h"

#include <QFileInfo>

namespace pk {

LocationForm::LocationForm(Collection &collection,
                           UserInterface &ui,
                           ErrorManager &errors,
                           FormRequest request,
                           const QString &location,
                           Hooks hooks)
    : m_collection(collection)
    , m_ui(ui)
    , m_errors(errors)
    , m_request(request)
    , m_original(location)
    , m_hooks(std::move(hooks))
    , m_categoryRule(collection, ui, errors)
{
    if (request == FormRequest::Insert)
        m_record.Location = location;
}

QString LocationForm::title(FormRequest request)
{
    switch (request) {
    case FormRequest::Insert:
        return QStringLiteral("New Location");
    case FormRequest::Change:
        return QStringLiteral("Edit Location");
    case FormRequest::View:
    case FormRequest::Delete:
        return QStringLiteral("View Record");
    }
    return {};
}

bool LocationForm::load()
{
    if (m_request == FormRequest::Insert)
        return true;
    const StoreStatus status = m_collection.locations().get(m_original, m_record);
    if (!status) {
        reportStoreError(m_errors, status, Msg::RecordRetrievalError, CollectionFile::Data);
        return false;
    }
    m_original = m_record.Location;
    m_loaded = LocationManager::prepared(m_record);
    const StoreStatus rows = m_rows.load(m_collection, m_original);
    if (!rows) {
        // The rows are part of what the form edits: it does not open without them.
        reportStoreError(m_errors, rows, Msg::RecordRetrievalError, CollectionFile::Data);
        return false;
    }
    return true;
}

QStringList LocationForm::categoryChoices()
{
    return m_categoryRule.choices();
}

bool LocationForm::checkCategory()
{
    if (m_categoryRule.check(m_record))
        return true;
    m_failed = Entry::Category;
    return false;
}

void LocationForm::descriptionAccepted()
{
    if (m_request == FormRequest::Insert && trimTrailingSpaces(m_record.Keyword).isEmpty())
        m_record.Keyword = KeywordGuess::fromDescription(m_record.Description);
}

bool LocationForm::checkRequired()
{
    if (AddressEntry::acceptRequired(m_ui, m_record))
        return true;
    m_failed = Entry::Location;
    return false;
}

bool LocationForm::save()
{
    m_failed = Entry::None;
    if (isReadOnly())
        return false;
    if (!checkRequired() || !checkCategory())
        return false;

    const bool inserting = m_request == FormRequest::Insert;
    const LocationRecord stored = LocationManager::prepared(m_record);
    StoreStatus failure;
    const StoreStatus status = store(stored, failure);
    if (!status) {
        const StoreStatus &reported = failure ? status : failure;
        if (reported.catalogueNumber == Msg::FieldContents)
            m_failed = Entry::Category;
        else if (reported.catalogueNumber == Msg::DuplicateKey)
            m_failed = Entry::Location;
        if (reportRefusedSave(m_errors, reported, inserting, CollectionFile::Data))
            showStoredAfterConflict(stored);
        return false;
    }

    // The Internet shortcut the location came from gets the address as stored now.
    if (!inserting && ShortcutFile::exists(stored.OriginalFilename))
        ShortcutFile::writeUrl(stored.OriginalFilename, stored.Location);

    m_recall.saved(stored, m_record, m_loaded);
    m_original = stored.Location;
    // Read back the sequence numbers new rows got: a second save must not add them again.
    if (const StoreStatus rows = m_rows.load(m_collection, m_original); !rows)
        reportStoreError(m_errors, rows, Msg::RecordRetrievalError, CollectionFile::Data);
    BrowseRefresh::instance().request();
    return true;
}

StoreStatus LocationForm::store(const LocationRecord &stored, StoreStatus &failure)
{
    return m_collection.transaction([&]() -> StoreStatus {
        const StoreStatus s = m_request == FormRequest::Insert
                                  ? m_collection.locations().insert(stored)
                                  : m_collection.locations().changeIfUnchanged(m_original,
                                                                               m_loaded,
                                                                               stored);
        if (!s)
            return failure = s;
        const StoreStatus rows = m_rows.store(m_collection, m_original, stored.Location);
        if (!rows)
            return failure = rows;
        return rows;
    });
}

void LocationForm::showStoredAfterConflict(const LocationRecord &mine)
{
    LocationRecord current;
    if (!readStored(m_errors,
                    m_collection.locations().get(m_original, current),
                    CollectionFile::Data))
        return;
    m_recall.showStored(mine, current, LocationManager::prepared(current), m_record, m_loaded);
    m_failed = Entry::Changed;
}

void LocationForm::recallChanges()
{
    if (!m_recall.canRecall())
        return;
    m_record = m_recall.recalled(LocationManager::prepared(m_record));
}

bool LocationForm::remove()
{
    if (m_errors.raise(Msg::ConfirmDelete) != 0)
        return false;
    const QString file = trimTrailingSpaces(m_record.OriginalFilename);
    if (ShortcutFile::exists(file)
        && m_ui.askYesNo(QStringLiteral("Remove Link"),
                         QStringLiteral("Delete original MSIE shortcut?\n\n") + file,
                         false,
                         UserInterface::Icon::Question))
        QFile::remove(file);

    const StoreStatus status = m_collection.transaction([&]() -> StoreStatus {
        StoreStatus s = m_collection.locations().remove(m_original);
        if (!s && s.error != StoreError::RecordNotFound)
            return s;
        s = m_collection.keywords().removeAll(m_original);
        if (!s)
            return s;
        return m_collection.details().removeAll(m_original);
    });
    if (!status) {
        reportStoreError(m_errors, status, Msg::RecordNotDeleted, CollectionFile::Data);
        return false;
    }
    BrowseRefresh::instance().request();
    return true;
}

void LocationForm::analyze(QWidget *parent)
{
    analyzeForm(m_hooks.analyze, m_record, m_rows, m_errors, parent);
}

bool LocationForm::canOpenOriginalFile() const
{
    const QString file = trimTrailingSpaces(m_record.OriginalFilename);
    return !file.isEmpty() && QFileInfo::exists(file);
}

bool LocationForm::openOriginalFile()
{
    if (!canOpenOriginalFile() || !m_hooks.openFile)
        return false;
    return m_hooks.openFile(trimTrailingSpaces(m_record.OriginalFilename));
}

} // namespace pk
