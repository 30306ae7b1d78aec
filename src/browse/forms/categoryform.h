#pragma once

#include "browse/forms/editrecall.h"
#include "shell/procedurerequests.h"
#include "store/records.h"

#include <vector>

namespace pk {

class Collection;
class ErrorManager;
class UserInterface;

/**
 * @brief "Update the Categories File": one request (insert, change, delete, view) on one
 * category, for the tabbed form (`UpdateCategories`) and its single-window twin
 * (`UpdateCategoriesNoMDI`).
 *
 * Renaming or deleting a category touches nothing else: locations and snippets keep the name
 * they carry. After a save or delete every open list is told to refresh. Snippets added to a
 * category that is not saved yet are held here and stored with it in one transaction, so
 * Cancel leaves nothing behind. A change is only written when the category is still stored as
 * the form read it; otherwise the form shows it as stored and keeps the user's edit for Ctrl+H.
 */
class CategoryForm final
{
public:
    enum class Variant { Tabbed, NoMdi };
    /// The entry a failed save puts the focus on; Changed: another program changed the
    /// category meanwhile and the form now shows it as stored.
    enum class Entry { None, Category, Changed };

    static constexpr const char *CategoryPrompt = "&Category:";
    static constexpr const char *DescriptionPrompt = "&Description:";

    CategoryForm(Collection &collection,
                 UserInterface &ui,
                 ErrorManager &errors,
                 FormRequest request,
                 Variant variant,
                 const QString &category = {});

    static QString title(FormRequest request, Variant variant);
    QString title() const { return title(m_request, m_variant); }
    static QString procedure(Variant variant);

    FormRequest request() const { return m_request; }
    bool isReadOnly() const
    {
        return m_request == FormRequest::View || m_request == FormRequest::Delete;
    }
    /// Reads the category for change, view and delete; false (reported) when it is gone.
    bool load();
    CategoryRecord &record() { return m_record; }
    const QString &originalCategory() const { return m_original; }

    /// Insert or change. Blank name: "Missing Information"; taken name: "Duplicate Key Error".
    /// False keeps the form open; failedEntry() says which entry to focus.
    bool save();
    /// Asks "Confirm Delete" and removes the category; locations keep their category text.
    bool remove();
    Entry failedEntry() const { return m_failed; }

    /// After a save refused because another program changed the category meanwhile: puts the
    /// user's own changes back over the stored record (Ctrl+H).
    bool canRecallChanges() const { return m_recall.canRecall(); }
    void recallChanges();

    /// The snippets whose HTM:CATEGORY is the category named in the form (type order), then
    /// the held ones.
    std::vector<CatHtmlRecord> snippets();

    /// True while the category is a new one not saved yet: its snippets are held.
    bool isUnsaved() const { return m_request == FormRequest::Insert; }
    const std::vector<CatHtmlRecord> &heldSnippets() const { return m_held; }
    /// Holds a new snippet, or replaces held snippet `row`; a type held already is refused
    /// ("Duplicate Key Error") and false.
    bool holdSnippet(const CatHtmlRecord &snippet, int row = -1);
    void dropSnippet(int row);

private:
    void showStoredAfterConflict(const CategoryRecord &mine);

    Collection &m_collection;
    UserInterface &m_ui;
    ErrorManager &m_errors;
    FormRequest m_request;
    Variant m_variant;
    QString m_original;
    CategoryRecord m_record;
    /// The category as read from the collection: a change checks it is still stored so.
    CategoryRecord m_loaded;
    EditRecall<CategoryRecord> m_recall;
    std::vector<CatHtmlRecord> m_held;
    Entry m_failed = Entry::None;
};

} // namespace pk
