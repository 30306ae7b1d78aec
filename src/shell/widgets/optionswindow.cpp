#include "shell/widgets/optionswindow.h"

#include "framework/userinterface.h"
#include "shell/settingsmanager.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QVBoxLayout>

namespace pk {

namespace {
QGroupBox *optionGroup(const QString &title, QRadioButton *a, QRadioButton *b, QWidget *parent)
{
    auto *group = new QGroupBox(title, parent);
    group->setToolTip(title);
    auto *layout = new QVBoxLayout(group);
    layout->addWidget(a);
    layout->addWidget(b);
    return group;
}
} // namespace

OptionsWindow::OptionsWindow(SettingsManager &settings, UserInterface &ui, QWidget *parent)
    : QDialog(parent)
    , m_settings(settings)
    , m_ui(ui)
{
    setWindowTitle(QStringLiteral("Options"));
    setObjectName(QStringLiteral("Options"));
    auto *tabs = new QTabWidget(this);

    // Preferences
    auto *preferences = new QWidget(tabs);
    auto *prefLayout = new QVBoxLayout(preferences);
    m_noTray = new QCheckBox(QStringLiteral("Do not place in tray when minimized "), preferences);
    prefLayout->addWidget(m_noTray);
    m_startUrl = new QRadioButton(QLatin1String(AppSettings::StartUrl));
    m_editRecord = new QRadioButton(QLatin1String(AppSettings::EditRecord));
    auto *doubleClick = optionGroup(QStringLiteral("Double-click on list will"),
                                    m_startUrl,
                                    m_editRecord,
                                    preferences);
    doubleClick->setToolTip(
        QStringLiteral("Action to be taken when double-click on list received"));
    prefLayout->addWidget(doubleClick);
    m_locationList = new QRadioButton(QLatin1String(AppSettings::LocationList));
    m_categoryList = new QRadioButton(QLatin1String(AppSettings::CategoryList));
    prefLayout->addWidget(optionGroup(QStringLiteral("Browse to display at startup"),
                                      m_locationList,
                                      m_categoryList,
                                      preferences));
    prefLayout->addStretch();
    tabs->addTab(preferences, QStringLiteral("Preferences"));

    // Security
    auto *security = new QWidget(tabs);
    auto *secLayout = new QFormLayout(security);
    m_secure = new QCheckBox(QStringLiteral("Restrict using password"), security);
    m_secure->setToolTip(QStringLiteral("Restrict access with password protection"));
    secLayout->addRow(m_secure);
    m_password = new QLineEdit(security);
    m_password->setMaxLength(AppSettings::PasswordWidth);
    m_password->setEchoMode(QLineEdit::Password);
    m_password->setToolTip(QStringLiteral("Password"));
    secLayout->addRow(QStringLiteral("Password:"), m_password);
    tabs->addTab(security, QStringLiteral("Security"));

    // Folders
    auto *folders = new QWidget(tabs);
    auto *folderLayout = new QVBoxLayout(folders);
    folderLayout->addWidget(
        new QLabel(QStringLiteral("Internet Explorer \"favorites\" folder:"), folders));
    auto *row = new QHBoxLayout;
    m_favorites = new QLineEdit(folders);
    m_favorites->setMaxLength(AppSettings::FavoritesPathWidth);
    m_favorites->setToolTip(QStringLiteral("Path to MSIE Favorites"));
    auto *browse = new QPushButton(QStringLiteral("..."), folders);
    browse->setObjectName(QStringLiteral("chooseFolder"));
    connect(browse, &QPushButton::clicked, this, &OptionsWindow::chooseFolder);
    row->addWidget(m_favorites);
    row->addWidget(browse);
    folderLayout->addLayout(row);
    folderLayout->addStretch();
    tabs->addTab(folders, QStringLiteral("Folders"));

    auto *buttons = new QDialogButtonBox(this);
    auto *ok = buttons->addButton(QStringLiteral("&OK"), QDialogButtonBox::AcceptRole);
    ok->setDefault(true);
    buttons->addButton(QStringLiteral("Cancel"), QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &OptionsWindow::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &OptionsWindow::reject);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(tabs);
    layout->addWidget(buttons);

    const AppSettings &v = m_settings.values();
    m_noTray->setChecked(v.noTray);
    (v.doubleClickAction.compare(QLatin1String(AppSettings::EditRecord), Qt::CaseInsensitive) == 0
         ? m_editRecord
         : m_startUrl)
        ->setChecked(true);
    (v.startupBrowse.compare(QLatin1String(AppSettings::CategoryList), Qt::CaseInsensitive) == 0
         ? m_categoryList
         : m_locationList)
        ->setChecked(true);
    m_secure->setChecked(v.secure);
    m_password->setText(v.password);
    m_favorites->setText(v.favoritesPath);
}

AppSettings OptionsWindow::edited() const
{
    AppSettings v = m_settings.values();
    v.noTray = m_noTray->isChecked();
    v.doubleClickAction = QLatin1String(m_editRecord->isChecked() ? AppSettings::EditRecord
                                                                  : AppSettings::StartUrl);
    v.startupBrowse = QLatin1String(m_categoryList->isChecked() ? AppSettings::CategoryList
                                                                : AppSettings::LocationList);
    v.secure = m_secure->isChecked();
    v.password = m_password->text();
    v.favoritesPath = m_favorites->text();
    return v;
}

void OptionsWindow::chooseFolder()
{
    if (const auto folder = m_ui.existingFolder(QStringLiteral("Select Folder"),
                                                m_favorites->text()))
        m_favorites->setText(*folder);
}

void OptionsWindow::accept()
{
    m_settings.writeOptions(edited());
    Q_EMIT traySettingChanged(m_settings.values().noTray);
    QDialog::accept();
}

void OptionsWindow::reject()
{
    m_settings.readAll();
    QDialog::reject();
}

} // namespace pk
