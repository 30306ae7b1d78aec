#pragma once

#include <QDialog>
#include <QList>

class QComboBox;
class QLineEdit;
class QListWidget;

namespace pk {

class UserInterface;

/**
 * @brief "Report Wizard": the columns of a location report, in the order they are printed,
 * the order of its records and a description printed under its title.
 *
 * The last choices are kept in PATHKEEP.INI (section "Wizard:Report").
 */
class ReportWizardDialog final : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ReportWizardDialog)

public:
    static constexpr const char *Section = "Wizard:Report";

    /// `order` preselects an order (index into ReportWizardChoices::orders()), -1 the last one.
    ReportWizardDialog(UserInterface &ui, int order, QWidget *parent);

    /// Checked columns in list order, as indexes into ReportWizardChoices::columns().
    QList<int> columns() const;
    int order() const;
    QString description() const;

    void accept() override;

private:
    void move(int step);
    void load(int order);
    void save() const;

    UserInterface &m_ui;
    QListWidget *m_columns = nullptr;
    QComboBox *m_order = nullptr;
    QLineEdit *m_description = nullptr;
};

} // namespace pk
