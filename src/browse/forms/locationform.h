#pragma once

#include "browse/forms/editrecall.h"
#include "browse/forms/locationanalyzer.h"
#include "browse/forms/locationcategoryrule.h"
#include "shell/procedurerequests.h"
#include "store/locationrows.h"
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
 * Keyword and detail rows (those "Analy&ze" finds included) are held in memory and stored
 * together with the location in one transaction, so Cancel leaves the collection as it was.
 * When the address changes, the rows move with it.
 */
class LocationForm final
{
public:
    /// The entry a failed check puts the focus on; Changed: another program changed the
    /// location meanwhile and the form now shows it as stored.
    enum class Entry { None, Location, Description, Category, Changed };

    struct Hooks
    {
        /// Opens a file with the desktop's "open" action (clicking the original file name).
        std::function<bool(const QString &file)> openFile;
        /// "Analy&ze"; none reports the analysis as not defined.
        LocationAnalyzer analyze;
    };

    LocationForm(Collection &collection,
                 UserInterface &ui,
                 ErrorManager &errors,
                 FormRequest request,
                 const QString &location = {},
                 Hooks hooks = {});

    static QString title(FormRequest request);
    QString title() const { return title(m_request); }
    FormRequest request() const { return m_request; }
    bool isReadOnly() const
    {
        return m_request == FormRequest::View || m_request == FormRequest::Delete;
    }

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

    // Keyword rows ("Additional Keywords") and detail rows (below the tabs)
    LocationRows &rows() { return m_rows; }
    const std::vector<KeywordRecord> &keywords() const { return m_rows.keywords(); }
    const std::vector<DetailRecord> &details() const { return m_rows.details(); }
    void addKeyword(const QString &keyword) { m_rows.addKeyword(keyword); }
    void changeKeyword(int row, const QString &keyword) { m_rows.changeKeyword(row, keyword); }
    void removeKeyword(int row) { m_rows.removeKeyword(row); }
    void addDetail(const QString &label, const QString &value) { m_rows.addDetail(label, value); }
    void changeDetail(int row, const QString &label, const QString &value)
    {
        m_rows.changeDetail(row, label, value);
    }
    void removeDetail(int row) { m_rows.removeDetail(row); }

    /// "&OK" for insert and change: required entries, category, storing (rows included), then
    /// writing a changed address back into the original shortcut file. False keeps the form
    /// open with failedEntry() to focus.
    bool save();
    /// The delete request: "Confirm Delete", then "Delete original MSIE shortcut?" when the
    /// location came from a shortcut file that still exists, then the location and its rows go.
    bool remove();
    Entry failedEntry() const { return m_failed; }

    /// After a save refused because another program changed the location meanwhile, the form
    /// shows the stored record; this puts the user's own changes back over it (Ctrl+H).
    bool canRecallChanges() const { return m_recall.canRecall(); }
    void recallChanges();

    /// "Analy&ze": fills the record from its page through the hooks' analyzer.
    void analyze(QWidget *parent = nullptr);

    /// True when the original file name can be opened (a file that exists).
    bool canOpenOriginalFile() const;
    bool openOriginalFile();

private:
    bool checkRequired();
    StoreStatus store(const LocationRecord &stored, StoreStatus &failure);
    /// A save was refused as the location changed meanwhile: show the stored one instead.
    void showStoredAfterConflict(const LocationRecord &mine);

    Collection &m_collection;
    UserInterface &m_ui;
    ErrorManager &m_errors;
    FormRequest m_request;
    QString m_original;
    Hooks m_hooks;
    LocationCategoryRule m_categoryRule;
    LocationRecord m_record;
    /// The location as read from the collection: a save checks it is still stored so.
    LocationRecord m_loaded;
    /// The user's edit a refused save kept.
    EditRecall<LocationRecord> m_recall;
    LocationRows m_rows;
    Entry m_failed = Entry::None;
};

} // namespace pk
