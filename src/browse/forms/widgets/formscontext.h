#pragma once

#include <QString>
#include <QVariantMap>

#include <functional>

class QDialog;
class QFontMetrics;
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
} // namespace FormsUi

} // namespace pk
