#pragma once

#include "tools/repairfiles.h"

#include <QDialog>

#include <memory>

class QTreeWidget;

namespace pk {

/// "Repair Files": the collection's tables with their state, tagged for the operation chosen.
class RepairWindow final : public QDialog
{
    Q_OBJECT

public:
    RepairWindow(Collection &collection, UserInterface &ui, QWidget *parent = nullptr);

    /// The warning and the first Info pass (run once the window is up).
    void start();
    /// Runs `operation` on the tagged rows with the progress window.
    void runOperation(RepairOperation operation);
    const RepairFiles &repair() const { return m_repair; }

signals:
    void closeRequested();

private:
    void showRows();

    RepairFiles m_repair;
    UserInterface &m_ui;
    QTreeWidget *m_list = nullptr;
};

} // namespace pk
