#pragma once

#include "browse/forms/editrecall.h"
#include "shell/procedurerequests.h"
#include "store/records.h"

#include <array>
#include <functional>

namespace pk {

class Collection;
class ErrorManager;
class UserInterface;

/**
 * @brief "Add HTML" (`UpdateCatHTML`): one HTML snippet of a category. A category holds at
 * most one snippet of each type; a second of the same type is refused as a duplicate.
 */
class CatHtmlForm final
{
public:
    static constexpr const char *DefaultType = "Before Category";

    struct TypeOption
    {
        const char *optionText; ///< with its accelerator
        const char *stored;     ///< HTM:TypeOfHTML
    };
    static const std::array<TypeOption, 5> &types();
    /// Index of a stored type (letter case ignored), -1 when unknown.
    static int typeIndex(const QString &stored);

    CatHtmlForm(Collection &collection,
                UserInterface &ui,
                ErrorManager &errors,
                FormRequest request,
                const QString &category,
                const QString &type = {});

    /// Where a snippet of a category not saved yet goes: the category form holds it until the
    /// category is saved. Returns false (reported) to keep this form open.
    using Keeper = std::function<bool(const CatHtmlRecord &)>;
    /// Edits `record` and hands it to `keeper` on save instead of storing it.
    void keepWith(const CatHtmlRecord &record, Keeper keeper);

    static QString title(FormRequest request);
    QString title() const { return title(m_request); }
    FormRequest request() const { return m_request; }
    bool isReadOnly() const
    {
        return m_request == FormRequest::View || m_request == FormRequest::Delete;
    }

    bool load();
    CatHtmlRecord &record() { return m_record; }
    /// Insert or change; a type the category already has is refused ("Duplicate Key Error").
    /// A change of a snippet another program changed meanwhile is refused and the form shows
    /// the snippet as stored (showsStoredAfterConflict()).
    bool save();
    bool remove();

    /// True after a refused save replaced the entries with the snippet as stored now.
    bool showsStoredAfterConflict() const { return m_conflict; }
    /// Puts the user's own changes back over the stored snippet (Ctrl+H).
    bool canRecallChanges() const { return m_recall.canRecall(); }
    void recallChanges();

private:
    void showStoredAfterConflict(const CatHtmlRecord &mine);

    Collection &m_collection;
    UserInterface &m_ui;
    ErrorManager &m_errors;
    FormRequest m_request;
    QString m_category;
    QString m_type;
    CatHtmlRecord m_record;
    /// The snippet as read from the collection: a change checks it is still stored so.
    CatHtmlRecord m_loaded;
    EditRecall<CatHtmlRecord> m_recall;
    bool m_conflict = false;
    Keeper m_keeper;
};

} // namespace pk
