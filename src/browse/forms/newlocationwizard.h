#pragma once

#include "browse/capture/browsersessions.h"
#include "browse/forms/locationanalyzer.h"
#include "browse/forms/locationcategoryrule.h"
#include "browse/forms/windowcandidates.h"
#include "store/locationrows.h"
#include "store/records.h"

#include <QStringList>

#include <vector>

class QWidget;

namespace pk {

class Collection;
class ErrorManager;
class UserInterface;

/**
 * @brief The New-location wizard (`Wizard:NewURL`): adds one location in three pages,
 * taking its address from the wizard's input text or from an open browser window.
 */
class NewLocationWizard final
{
public:
    enum class Page { PickUrl, General, SiteInfo };
    enum class Entry { None, Location, Category };

    NewLocationWizard(Collection &collection,
                      UserInterface &ui,
                      ErrorManager &errors,
                      LocationAnalyzer analyze = {});

    /// The process-wide input text: the location to add, blank to capture one from a window.
    /// It is kept whole; finishing refuses an address the rule does not allow.
    static void setInput(const QString &location);
    /// Returns the input text and blanks it (one wizard uses it once).
    static QString takeInput();

    /// True when `input` is an address to take as it is ("http:", "ftp:" or "www.").
    static bool isAddress(const QString &input);

    /**
     * Prepares a new location: the first assignable category, then the address from `input`
     * or from the candidates of the browsers' `sessions` and of `windows` (the wizard's own
     * window `ownWindow` left out). With more than one candidate the wizard opens on the
     * PickURL page, as it does with none when the sessions left notes to show there; one
     * candidate is taken at once.
     */
    void start(const QString &input,
               const std::vector<TopLevelWindow> &windows,
               quint32 ownWindow,
               const SessionCapture &sessions = {});

    Page page() const { return m_page; }
    bool pickUrlShown() const { return m_pickUrlShown; }
    const std::vector<WindowCandidate> &candidates() const { return m_candidates; }
    /// Why a running browser's pages are not among the candidates, each said once.
    const QStringList &notes() const { return m_notes; }
    LocationRecord &record() { return m_record; }
    /// Keyword and detail rows found by "Analy&ze", stored with the location by "&Finish".
    const LocationRows &rows() const { return m_rows; }

    QStringList categoryChoices();
    /// The location was accepted: a blank keyword becomes the address's scheme.
    void locationAccepted();
    /// The description was accepted: a blank keyword becomes the guess from the description.
    void descriptionAccepted();
    /// "Analy&ze": fills the record from its page through the analyzer it was given.
    void analyze(QWidget *parent = nullptr);
    /// Validity rule 1 on the category entry, reported.
    bool checkCategory();

    /// "&Next": on PickURL takes the highlighted candidate; elsewhere checks the page's
    /// required entries. False stays on the page.
    bool next(int highlightedCandidate = -1);
    void back();
    bool canGoBack() const;
    bool canGoNext() const { return m_page != Page::SiteInfo; }
    /// "&Finish": every required entry, then the insert. False keeps the wizard open.
    bool finish();
    Entry failedEntry() const { return m_failed; }

private:
    void take(const QString &location, const QString &description);
    bool checkGeneral();

    Collection &m_collection;
    UserInterface &m_ui;
    ErrorManager &m_errors;
    LocationAnalyzer m_analyze;
    Page m_page = Page::General;
    bool m_pickUrlShown = false;
    std::vector<WindowCandidate> m_candidates;
    QStringList m_notes;
    LocationCategoryRule m_categoryRule;
    LocationRecord m_record;
    LocationRows m_rows;
    Entry m_failed = Entry::None;
};

} // namespace pk
