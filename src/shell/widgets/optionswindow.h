#pragma once

#include "shell/appsettings.h"

#include <QDialog>

class QCheckBox;
class QLineEdit;
class QRadioButton;

namespace pk {

class SettingsManager;
class UserInterface;

/**
 * @brief "Options": the collection's preferences on three tabs.
 *
 * OK writes the six settings in one transaction and reports traySettingChanged(); Cancel reads
 * every setting again, undoing whatever was changed.
 */
class OptionsWindow final : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(OptionsWindow)

public:
    OptionsWindow(SettingsManager &settings, UserInterface &ui, QWidget *parent = nullptr);

    /// What the controls currently say.
    AppSettings edited() const;

public Q_SLOTS:
    void accept() override;
    void reject() override;

Q_SIGNALS:
    void traySettingChanged(bool noTray);

private:
    void chooseFolder();

    SettingsManager &m_settings;
    UserInterface &m_ui;
    QCheckBox *m_noTray;
    QRadioButton *m_startUrl;
    QRadioButton *m_editRecord;
    QRadioButton *m_locationList;
    QRadioButton *m_categoryList;
    QCheckBox *m_secure;
    QLineEdit *m_password;
    QLineEdit *m_favorites;
};

} // namespace pk
