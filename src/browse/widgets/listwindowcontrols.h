#pragma once

#include "browse/list/locationbrowse.h"

#include <QList>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

class QAction;
class QComboBox;
class QHBoxLayout;
class QMenu;
class QPushButton;
class QTableView;
class QWidget;

namespace pk {

class Launcher;
class UserInterface;

/**
 * @brief The controls the location list and the keyword and detail lists share: the tool bar
 * row, the two button rows, the pop-up menu's entries, the list view's settings and the find
 * keys, each acting on the location list's commands.
 */
namespace ListWindowControls {

/// What the controls act on.
struct Commands
{
    /// Copy, launch, download, grab, the form, test and print: the location list's commands.
    LocationBrowse &locations;
    /// The highlighted row, -1 when none.
    std::function<int()> currentRow;
    /// The query wizard over the list, and its reset.
    std::function<void()> query;
    std::function<void()> resetQuery;
};

/// `hooks` with the desktop's clipboard and a wait cursor where they have none.
LocationBrowse::Hooks withDesktopHooks(LocationBrowse::Hooks hooks);
/// `given`, or a launcher over the desktop kept in `own`.
Launcher &launcherOrOwn(Launcher *given, UserInterface &ui, std::unique_ptr<Launcher> &own);

/// A push button as the list windows show them: never the default button.
QPushButton *button(QWidget *owner,
                    const QString &text,
                    const QString &tip,
                    const char *name,
                    const std::function<void()> &command);

/// The tool bar row: Query, Reset, Copy, Launch, Download, Grab and the "Actions" choice (into
/// `sendTypes`). The Reset button goes to `resetWidgets`.
QHBoxLayout *toolRow(QWidget *owner,
                     const Commands &commands,
                     QList<QWidget *> &resetWidgets,
                     QComboBox *&sendTypes);

/// "Copy to clipboard (action)", "Launch URL", "&Query" and "&Reset", then room for more on the
/// right. The Reset button goes to `resetWidgets`.
QHBoxLayout *commandRow(QWidget *owner, const Commands &commands, QList<QWidget *> &resetWidgets);

/// "&New", "&Edit", "&Delete", "&Test", "&Print" and, on the right, "Cl&ose" running `close`.
QHBoxLayout *recordRow(QWidget *owner, const Commands &commands, std::function<void()> close);

/// The pop-up menu with the entries every list has; its Reset goes to `resetActions`.
QMenu *popupMenu(QWidget *owner, const Commands &commands, QList<QAction *> &resetActions);
/// Adds an entry to a list's pop-up menu.
QAction *addPopupEntry(QMenu *popup, const QString &text, const std::function<void()> &command);

/// A list view as the list windows use it: whole rows, one at a time, no editing, movable
/// headings, a pop-up menu on the right mouse button.
void setUpTable(QTableView *table);
/// The right mouse button highlights the row under it (through `selectRow`) and pops `popup`
/// up; a double click runs `doubleClick` on the row.
void connectMouse(QTableView *table,
                  QMenu *popup,
                  const std::function<void(int row)> &selectRow,
                  const std::function<void(int row)> &doubleClick);
/// Ctrl+F and F3 on `window`.
void addFindShortcuts(QWidget *window,
                      const std::function<void()> &find,
                      const std::function<void()> &findAgain);

/// The highlighted row of `table`, -1 when none.
int currentRow(const QTableView *table);
/// Highlights `row` of `table` (a row it does not have is left alone), keeping the horizontal
/// scroll where the user left it.
void selectRow(QTableView *table, int row);

/// "Query": `wizard` (the query wizard, none for no query) runs on the list's query; a query
/// applied highlights the first row.
template<class Browse, class Wizard>
void runQuery(QWidget *window, const Wizard &wizard, Browse &browse, QTableView *table)
{
    if (!wizard)
        return;
    const std::optional<QString> expression = wizard(window, browse.query());
    if (expression && browse.applyQuery(*expression))
        selectRow(table, 0);
}

/// "Find..." (Ctrl+F): `dialog` asks for the condition (none for no find); the row found is
/// highlighted.
template<class Browse, class Dialog>
void find(QWidget *window, const Dialog &dialog, Browse &browse, QTableView *table)
{
    if (!dialog)
        return;
    bool findNext = false;
    const QString expression = dialog(window, findNext);
    if (expression.isEmpty())
        return;
    const int row = browse.find(expression, !findNext, currentRow(table));
    if (row >= 0)
        selectRow(table, row);
}

/// "Find Next" (F3) with the last condition.
template<class Browse>
void findAgain(Browse &browse, QTableView *table)
{
    const int row = browse.findAgain(currentRow(table));
    if (row >= 0)
        selectRow(table, row);
}

/// Enables the reset controls while a query is applied.
void enableReset(const QList<QWidget *> &widgets, const QList<QAction *> &actions, bool applied);

} // namespace ListWindowControls

} // namespace pk
