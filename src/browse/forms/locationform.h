#pragma once

#include "browse/forms/formrequest.h"
#include "store/records.h"

#include <QStringList>

#include <functional>
#include <vector>

class QWidget;

namespace pk {

class Collection;
class ErrorManager;
class UserInterface;

/**
 * @brief "Update Location Information" (`UpdatePATHKEEP`): one insert, change, delete or view
 * of a location with its keyword and detail rows.
 *
 * Keyword and detail rows are edited in memory and stored together with the location in one
 * transaction, so Cancel leaves the collection as it was; new rows get their sequence numbers
 * from the record managers when stored. When the address changes, the rows move with it.
 */
class LocationForm final
{
public:

    /// The entry a failed check puts the focus on.
    enum class Entry { None, Location, Description, Category };

    struct Hooks
    {
        /// Opens a file with the desktop's "open" action (clicking the original file name).
        std::function<bool(const QString &file)> openFile;
    };

    LocationForm(Collection &collection, UserInterface &ui, ErrorManager &errors, FormRequest request,
                 const QString &location = {}, Hooks hooks = {});

    static QString title(FormRequest request);
    QString title() const { return title(m_request); }
    FormRequest request() const { return m_request; }
    bool isReadOnly() const { return m_request == FormRequest::View || m_request == FormRequest::Delete; }

    /// Reads the location and its rows (change, delete, view); false (reported) when it is gone.
    bool load();
    LocationRecord &record() { return m_record; }
    const QString &originalLocation() const { return m_original; }

    /// The category drop list: every category in key order but the special ones.
    QStringList categoryChoices();
    /// Validity rule 1 on the category entry; reported and false when it names no category.
    bool checkCategory();
    /// The description was accepted: a new location with a blank keyword gets the guess.
    void descriptionAccepted();

    // Keyword rows ("Additional Keywords")
    const std::vector<KeywordRecord> &keywords() const { return m_keywords; }
    void addKeyword(const QString &keyword);
    void changeKeyword(int row, const QString &keyword);
    void removeKeyword(int row);

    // Detail rows (below the tabs)
    const std::vector<DetailRecord> &details() const { return m_details; }
    void addDetail(const QString &label, const QString &value);
    void changeDetail(int row, const QString &label, const QString &value);
    void removeDetail(int row);

    /// "&OK" for insert and change: required entries, category, storing (rows included), then
    /// writing a changed address back into the original shortcut file. False keeps the form
    /// open with failedEntry() to focus.
    bool save();
    /// The delete request: "Confirm Delete", then "Delete original MSIE shortcut?" when the
    /// location came from a shortcut file that still exists, then the location and its rows go.
    bool remove();
    Entry failedEntry() const { return m_failed; }

    /// "Analy&ze": fills the record from its page through the installed LocationAnalyzer.
    void analyze(QWidget *parent = nullptr);

    /// True when the original file name can be opened (a file that exists).
    bool canOpenOriginalFile() const;
    bool openOriginalFile();

private:
    bool checkRequired();
    std::vector<KeywordRecord> storedKeywords();
    std::vector<DetailRecord> storedDetails();

    Collection &m_collection;
    UserInterface &m_ui;
    ErrorManager &m_errors;
    FormRequest m_request;
    QString m_original;
    Hooks m_hooks;
    LocationRecord m_record;
    std::vector<KeywordRecord> m_keywords;
    std::vector<DetailRecord> m_details;
    std::vector<qint32> m_removedKeywords;
    std::vector<qint32> m_removedDetails;
    Entry m_failed = Entry::None;
};

} // namespace pk
