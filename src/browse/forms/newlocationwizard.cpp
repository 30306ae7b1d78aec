#include "browse/forms/newlocationwizard.h"

#include "browse/forms/locationanalyzer.h"

#include "browse/forms/addressentry.h"
#include "browse/forms/keywordguess.h"
#include "browse/forms/requiredentry.h"
#include "browse/forms/storeerrors.h"
#include "browse/list/browserefresh.h"
#include "framework/errorcatalogue.h"
#include "framework/errormanager.h"
#include "store/collection.h"
#include "store/fieldtext.h"
#include "store/locationmanager.h"

#include <QMutex>

namespace pk {

namespace {

QMutex g_inputLock;
QString g_input;

} // namespace

NewLocationWizard::NewLocationWizard(Collection &collection,
                                     UserInterface &ui,
                                     ErrorManager &errors,
                                     LocationAnalyzer analyze)
    : m_collection(collection)
    , m_ui(ui)
    , m_errors(errors)
    , m_analyze(std::move(analyze))
    , m_categoryRule(collection, ui, errors)
{}

void NewLocationWizard::setInput(const QString &location)
{
    const QMutexLocker lock(&g_inputLock);
    g_input = location;
}

QString NewLocationWizard::takeInput()
{
    const QMutexLocker lock(&g_inputLock);
    return std::exchange(g_input, QString());
}

bool NewLocationWizard::isAddress(const QString &input)
{
    const QString lower = input.toLower();
    return lower.contains(QLatin1String("http:")) || lower.contains(QLatin1String("ftp:"))
           || lower.contains(QLatin1String("www."));
}

QStringList NewLocationWizard::categoryChoices()
{
    return m_categoryRule.choices();
}

void NewLocationWizard::start(const QString &input,
                              const std::vector<TopLevelWindow> &windows,
                              quint32 ownWindow,
                              const SessionCapture &sessions)
{
    m_record = {};
    m_rows = {};
    m_candidates.clear();
    m_notes.clear();
    m_record.Category = m_categoryRule.first();

    const QString text = trimTrailingSpaces(input);
    if (isAddress(text)) {
        take(text, {});
        m_pickUrlShown = false;
        m_page = Page::General;
        return;
    }
    m_candidates = WindowCandidates::collect(windows, ownWindow, sessions.pages);
    m_notes = sessions.notes;
    m_notes.removeDuplicates();
    // Finding nothing is explained where the candidates would have been.
    if (m_candidates.size() > 1 || (m_candidates.empty() && !m_notes.isEmpty())) {
        m_pickUrlShown = true;
        m_page = Page::PickUrl;
        return;
    }
    m_pickUrlShown = false;
    m_page = Page::General;
    if (m_candidates.size() == 1)
        take(m_candidates.front().address, m_candidates.front().title);
}

void NewLocationWizard::take(const QString &location, const QString &description)
{
    m_record.Location = location;
    m_record.Description = description;
    // Taking an address counts as accepting the entries it fills.
    if (!trimTrailingSpaces(location).isEmpty())
        locationAccepted();
    if (!trimTrailingSpaces(description).isEmpty())
        descriptionAccepted();
}

void NewLocationWizard::locationAccepted()
{
    if (trimTrailingSpaces(m_record.Keyword).isEmpty()
        && !trimTrailingSpaces(m_record.Location).isEmpty())
        m_record.Keyword = KeywordGuess::fromLocation(m_record.Location);
}

void NewLocationWizard::descriptionAccepted()
{
    if (trimTrailingSpaces(m_record.Keyword).isEmpty())
        m_record.Keyword = KeywordGuess::fromDescription(m_record.Description);
}

bool NewLocationWizard::checkCategory()
{
    if (m_categoryRule.check(m_record))
        return true;
    m_failed = Entry::Category;
    return false;
}

void NewLocationWizard::analyze(QWidget *parent)
{
    analyzeForm(m_analyze, m_record, m_rows, m_errors, parent);
}

bool NewLocationWizard::checkGeneral()
{
    if (AddressEntry::acceptRequired(m_ui, m_record))
        return true;
    m_failed = Entry::Location;
    return false;
}

bool NewLocationWizard::next(int highlightedCandidate)
{
    m_failed = Entry::None;
    switch (m_page) {
    case Page::PickUrl:
        if (highlightedCandidate >= 0 && highlightedCandidate < int(m_candidates.size())) {
            const WindowCandidate &c = m_candidates[std::size_t(highlightedCandidate)];
            m_record.Keyword.clear();
            take(c.address, c.title);
        }
        m_page = Page::General;
        return true;
    case Page::General:
        if (!checkGeneral())
            return false;
        m_page = Page::SiteInfo;
        return true;
    case Page::SiteInfo:
        return false;
    }
    return false;
}

bool NewLocationWizard::canGoBack() const
{
    return m_page == Page::SiteInfo || (m_page == Page::General && m_pickUrlShown);
}

void NewLocationWizard::back()
{
    if (m_page == Page::SiteInfo)
        m_page = Page::General;
    else if (m_page == Page::General && m_pickUrlShown)
        m_page = Page::PickUrl;
}

bool NewLocationWizard::finish()
{
    m_failed = Entry::None;
    if (!checkGeneral()) {
        m_page = Page::General;
        return false;
    }
    if (!checkCategory()) {
        m_page = Page::General;
        return false;
    }
    const LocationRecord stored = LocationManager::prepared(m_record);
    const StoreStatus status = m_collection.transaction([&]() -> StoreStatus {
        const StoreStatus inserted = m_collection.locations().insert(stored);
        if (!inserted)
            return inserted;
        return m_rows.store(m_collection, stored.Location, stored.Location);
    });
    if (!status) {
        m_failed = status.catalogueNumber == Msg::FieldContents ? Entry::Category : Entry::Location;
        m_page = Page::General;
        reportStoreError(m_errors, status, Msg::RecordInsertError, CollectionFile::Data);
        return false;
    }
    m_record = stored;
    m_rows = {};
    BrowseRefresh::instance().request();
    return true;
}

} // namespace pk
