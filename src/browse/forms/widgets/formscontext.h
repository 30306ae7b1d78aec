#pragma once

#include "browse/forms/locationanalyzer.h"
#include "shell/procedurerequests.h"

#include <QString>
#include <QStringList>

#include <functional>

class QDialog;
class QFontMetrics;
class QHBoxLayout;
class QTabWidget;
class QTableView;
class QWidget;

namespace pk {

class Collection;
class ErrorManager;
class IniFile;
class ProcedureStarter;
class UserInterface;

/// What the form and category windows need from the program around them.
struct FormsContext
{
    Collection &collection;
    UserInterface &ui;
    ErrorManager &errors;
    /// POSITION.INI; null for none.
    IniFile *positionIni = nullptr;
    /// Starts other windows (the location form from a category window); null for none.
    ProcedureStarter *starter = nullptr;
    /// Opens a file with the desktop's "open" action.
    std::function<bool(const QString &file)> openFile;
    /// "Analy&ze" in the location form and the wizard; none reports the analysis as not
    /// defined.
    LocationAnalyzer analyze;
};

namespace FormsUi {
/// Pixels for a width in dialog units (a quarter of the average character width).
int dialogUnits(int units, const QFontMetrics &metrics);
/// A list view as the forms use it: whole rows, one at a time, no editing.
void setUpTable(QTableView *table);
/// Restores the window's place from POSITION.INI under `section` and keeps it there
/// whenever the window is moved, resized or closed.
void keepPosition(QWidget *window, IniFile *ini, const QString &section);
/// Ctrl+F and F3 on `window`.
void addFindShortcuts(QWidget *window, std::function<void()> find, std::function<void()> findAgain);
/// Ctrl+H on `window`: after a save found the record changed by another program, `recall`
/// puts the user's own changes back; it runs only while `canRecall` says there are some.
void addRecallShortcut(QWidget *window,
                       std::function<bool()> canRecall,
                       std::function<void()> recall);
/// The same for the form a dialog shows: `take` (if any) passes the entries to the form before
/// the recall, `show` shows the recalled record.
template<typename Form>
void addRecallShortcut(QWidget *window,
                       Form &form,
                       std::function<void()> take,
                       std::function<void()> show)
{
    addRecallShortcut(
        window,
        [&form] { return form.canRecallChanges(); },
        [&form, take = std::move(take), show = std::move(show)] {
            if (take)
                take();
            form.recallChanges();
            show();
        });
}
/// Ctrl+Tab and Ctrl+PgDn show the next tab of `tabs`, Ctrl+Shift+Tab and Ctrl+PgUp the
/// previous one, wherever the focus is in `window`; the focus moves into the tab shown.
void addTabSwitching(QTabWidget *tabs, QWidget *window);

/// The "&New", "&Edit", "&Delete" texts of the buttons under a list of rows.
QStringList rowButtonTexts();
/**
 * The buttons under a list of rows, right-aligned, each calling `action` with its request.
 * `texts` may move the accelerators where a window shows two such rows at once; the buttons
 * are named `prefix` + "new", "edit", "delete".
 */
QHBoxLayout *rowButtons(QWidget *parent,
                        const QString &prefix,
                        const std::function<void(FormRequest)> &action,
                        bool enabled,
                        const QStringList &texts = rowButtonTexts());
} // namespace FormsUi

} // namespace pk
