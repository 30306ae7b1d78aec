#pragma once

#include "export/advancedexport.h"
#include "export/advancedexportfields.h"

#include <QDialog>

#include <functional>
#include <optional>

class QCheckBox;
class QLabel;
class QListWidget;
class QTreeWidget;

namespace pk {

class Collection;
class IniFile;
class UserInterface;

/**
 * @brief "Choose Fields for Export...": picks fields and pictures, then writes the file with a
 * progress window.
 */
class AdvancedExportDialog final : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(AdvancedExportDialog)

public:
    using QueryWizard = std::function<std::optional<QString>()>;

    AdvancedExportDialog(Collection &collection,
                         UserInterface &ui,
                         AdvancedExportSettings settings,
                         QueryWizard queryWizard,
                         IniFile *positions = nullptr,
                         QWidget *parent = nullptr);

    const AdvancedExportFields &fields() const { return m_fields; }
    /// Locations written by the last run.
    qint64 written() const { return m_written; }

    // The window's actions, also used by tests.
    void addMarked();
    void removeMarked();
    void shiftUp();
    void shiftDown();
    void editPicture();

public slots:
    void accept() override;

private:
    void refreshExportList(const QList<int> &marked, int highlight);
    void showPictureKind();
    QList<int> markedRows(const QTreeWidget *list) const;

    Collection &m_collection;
    UserInterface &m_ui;
    AdvancedExportSettings m_settings;
    QueryWizard m_queryWizard;
    IniFile *m_positions;
    AdvancedExportFields m_fields;
    QTreeWidget *m_all = nullptr;
    QTreeWidget *m_export = nullptr;
    QLabel *m_kind = nullptr;
    QCheckBox *m_header = nullptr;
    qint64 m_written = 0;
};

} // namespace pk
