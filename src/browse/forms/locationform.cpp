#include "browse/forms/locationform.h"

#include "browse/forms/locationanalyzer.h"

#include "browse/forms/categorylist.h"
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

LocationForm::LocationForm(Collection &collection, UserInterface &ui, ErrorManager &errors,
                           FormRequest request, const QString &location, Hooks hooks)
    : m_collection(collection)
    , m_ui(ui)
    , m_errors(errors)
    , m_request(request)
    , m_original(location)
    , m_hooks(std::move(hooks))
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
    m_keywords = storedKeywords();
    m_details = storedDetails();
    return true;
}

std::vector<KeywordRecord> LocationForm::storedKeywords()
{
    std::vector<KeywordRecord> rows;
    m_collection.keywords().list(m_original, rows);
    return rows;
}

std::vector<DetailRecord> LocationForm::storedDetails()
{
    std::vector<DetailRecord> rows;
    m_collection.details().list(m_original, rows);
    return rows;
}

QStringList LocationForm::categoryChoices()
{
    CategoryList list(m_collection, m_ui, m_errors, CategoryList::Mode::Assignable);
    list.refresh();
    return list.names();
}

bool LocationForm::checkCategory()
{
    const StoreStatus status = m_collection.locations().validate(LocationManager::prepared(m_record));
    if (status || status.catalogueNumber != Msg::FieldContents)
        return true;
    m_failed = Entry::Category;
    m_errors.raise(status.catalogueNumber, status.context);
    return false;
}

void LocationForm::descriptionAccepted()
{
    if (m_request == FormRequest::Insert && trimTrailingSpaces(m_record.Keyword).isEmpty())
        m_record.Keyword = KeywordGuess::fromDescription(m_record.Description);
}

void LocationForm::addKeyword(const QString &keyword)
{
    KeywordRecord row;
    row.Location = m_record.Location;
    row.Keyword = keyword;
    m_keywords.push_back(row); // Sequence 0: numbered when stored
}

void LocationForm::changeKeyword(int row, const QString &keyword)
{
    if (row >= 0 && row < int(m_keywords.size()))
        m_keywords[std::size_t(row)].Keyword = keyword;
}

void LocationForm::removeKeyword(int row)
{
    if (row < 0 || row >= int(m_keywords.size()))
        return;
    if (m_keywords[std::size_t(row)].Sequence != 0)
        m_removedKeywords.push_back(m_keywords[std::size_t(row)].Sequence);
    m_keywords.erase(m_keywords.begin() + row);
}

void LocationForm::addDetail(const QString &label, const QString &value)
{
    DetailRecord row;
    row.Location = m_record.Location;
    row.DataLabel = label;
    row.DataValue = value;
    m_details.push_back(row);
}

void LocationForm::changeDetail(int row, const QString &label, const QString &value)
{
    if (row < 0 || row >= int(m_details.size()))
        return;
    m_details[std::size_t(row)].DataLabel = label;
    m_details[std::size_t(row)].DataValue = value;
}

void LocationForm::removeDetail(int row)
{
    if (row < 0 || row >= int(m_details.size()))
        return;
    if (m_details[std::size_t(row)].Sequence != 0)
        m_removedDetails.push_back(m_details[std::size_t(row)].Sequence);
    m_details.erase(m_details.begin() + row);
}

bool LocationForm::checkRequired()
{
    if (trimTrailingSpaces(m_record.Location).trimmed().isEmpty()) {
        m_failed = Entry::Location;
        RequiredEntry::report(m_ui, QStringLiteral("&Location:"));
        return false;
    }
    return true;
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
    // Work on copies: a refused save must leave the rows as the user entered them.
    std::vector<KeywordRecord> keywords = m_keywords;
    std::vector<DetailRecord> details = m_details;
    StoreStatus failure;
    std::uint16_t fallback = inserting ? Msg::RecordInsertError : Msg::RecordNotUpdated;
    const StoreStatus status = m_collection.transaction([&]() -> StoreStatus {
        StoreStatus s = inserting ? m_collection.locations().insert(stored)
                                  : m_collection.locations().change(m_original, stored);
        if (!s)
            return failure = s;
        fallback = Msg::RecordNotUpdated;
        // Rows the user removed go first; the kept ones follow the (possibly new) address.
        for (qint32 sequence : m_removedKeywords) {
            s = m_collection.keywords().remove(m_original, sequence);
            if (!s && s.error != StoreError::RecordNotFound)
                return failure = s;
        }
        for (qint32 sequence : m_removedDetails) {
            s = m_collection.details().remove(m_original, sequence);
            if (!s && s.error != StoreError::RecordNotFound)
                return failure = s;
        }
        for (KeywordRecord &row : keywords) {
            const qint32 sequence = row.Sequence;
            row.Location = stored.Location;
            s = sequence == 0 ? m_collection.keywords().insert(row)
                              : m_collection.keywords().change(m_original, sequence, row);
            if (!s)
                return failure = s;
        }
        for (DetailRecord &row : details) {
            const qint32 sequence = row.Sequence;
            row.Location = stored.Location;
            s = sequence == 0 ? m_collection.details().insert(row)
                              : m_collection.details().change(m_original, sequence, row);
            if (!s)
                return failure = s;
        }
        return s;
    });
    if (!status) {
        const StoreStatus &reported = failure ? status : failure;
        if (reported.catalogueNumber == Msg::FieldContents)
            m_failed = Entry::Category;
        else if (reported.catalogueNumber == Msg::DuplicateKey)
            m_failed = Entry::Location;
        reportStoreError(m_errors, reported, fallback, CollectionFile::Data);
        return false;
    }

    // The Internet shortcut the location came from gets the address as stored now.
    if (!inserting && ShortcutFile::exists(stored.OriginalFilename))
        ShortcutFile::writeUrl(stored.OriginalFilename, stored.Location);

    m_keywords = std::move(keywords);
    m_details = std::move(details);
    m_record = stored;
    m_original = stored.Location;
    m_removedKeywords.clear();
    m_removedDetails.clear();
    BrowseRefresh::instance().request();
    return true;
}

bool LocationForm::remove()
{
    if (m_errors.raise(Msg::ConfirmDelete) != 0)
        return false;
    const QString file = trimTrailingSpaces(m_record.OriginalFilename);
    if (ShortcutFile::exists(file)
        && m_ui.askYesNo(QStringLiteral("Remove Link"),
                         QStringLiteral("Delete original MSIE shortcut?\n\n") + file, false,
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
    LocationAnalyzer::run(m_collection, m_record, m_errors, parent);
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
