#pragma once

#include "shell/appsettings.h"

#include <QDialog>

class QCheckBox;
class QLineEdit;
class QRadioButton;
class QSpinBox;

namespace pk {

class IniFile;
class SettingsManager;
class UserInterface;
struct WebCheckSettings;

/**
 * @brief "Options": the collection's preferences on three tabs, and with the program's INI
 * file a fourth, "Testing", for how "Test Links" checks addresses.
 *
 * OK writes the six settings in one transaction (and the testing settings to section "Testing"
 * of the INI file, the file check's switch to section "FileCheck") and reports
 * traySettingChanged(); Cancel reads every setting again, undoing whatever was changed.
 */
class OptionsWindow final : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(OptionsWindow)

public:
    OptionsWindow(SettingsManager &settings,
                  UserInterface &ui,
                  QWidget *parent = nullptr,
                  IniFile *programIni = nullptr);

    /// What the controls currently say.
    AppSettings edited() const;
    /// What the Testing tab currently says (the stored values without the tab).
    WebCheckSettings editedTesting() const;
    /// The "check collection files when opened" box; nullptr without the program's INI file.
    QCheckBox *checkFilesBox() const { return m_checkFiles; }

public Q_SLOTS:
    void accept() override;
    void reject() override;

Q_SIGNALS:
    void traySettingChanged(bool noTray);

private:
    void chooseFolder();
    QWidget *makeTestingTab(QWidget *parent);

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
    IniFile *m_programIni = nullptr;
    QCheckBox *m_testSecure = nullptr;
    QCheckBox *m_getFallback = nullptr;
    QSpinBox *m_perHost = nullptr;
    QSpinBox *m_requestSeconds = nullptr;
    QCheckBox *m_waitRateLimited = nullptr;
    QCheckBox *m_offerSecure = nullptr;
    QCheckBox *m_summary = nullptr;
    QCheckBox *m_checkFiles = nullptr;
};

} // namespace pk
