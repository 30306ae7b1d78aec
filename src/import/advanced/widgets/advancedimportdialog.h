#pragma once

#include "import/advanced/advancedimport.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QTreeWidget;

namespace pk {

class Collection;
class ErrorManager;
class IniFile;
class UserInterface;

/// "Assign fields for Import...": the window over AdvancedImport, then the import run.
class AdvancedImportDialog final : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(AdvancedImportDialog)

public:
    /// `import` must have been opened.
    AdvancedImportDialog(AdvancedImport &import,
                         Collection &collection,
                         ErrorManager &errors,
                         UserInterface &ui,
                         IniFile *positions = nullptr,
                         QWidget *parent = nullptr);

    /// Opens the file, shows the window and imports; returns the number of locations added,
    /// or -1 when there was nothing to show or the window was cancelled.
    static int run(const QString &fileName,
                   Collection &collection,
                   ErrorManager &errors,
                   UserInterface &ui,
                   IniFile *positions = nullptr,
                   QWidget *parent = nullptr);

    int added() const { return m_added; }

    // The window's buttons, also used by tests.
    void nextRecord();
    void editPicture();
    void assignHighlighted();
    void autoAssign();
    void unassignHighlighted();
    void highlightImport(int row);
    void highlightTarget(int row);
    /// "Category for records &without one:", "New" at first.
    void setDefaultCategory(const QString &category);
    QString defaultCategory() const;

public slots:
    void accept() override;

private:
    void refresh();
    int currentImport() const;
    int currentTarget() const;

    AdvancedImport &m_import;
    Collection &m_collection;
    ErrorManager &m_errors;
    UserInterface &m_ui;
    QTreeWidget *m_fields = nullptr;
    QTreeWidget *m_targets = nullptr;
    QLabel *m_record = nullptr;
    QPushButton *m_next = nullptr;
    QPushButton *m_auto = nullptr;
    QCheckBox *m_strip = nullptr;
    QComboBox *m_category = nullptr;
    bool m_linking = false;
    int m_added = 0;
};

} // namespace pk
