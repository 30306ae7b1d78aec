#include "shell/widgets/optionswindow.h"

#include "framework/userinterface.h"
#include "linkcheck/webchecksettings.h"
#include "platform/inifile.h"
#include "shell/collectionfilecheck.h"
#include "shell/settingsmanager.h"
#include "shell/widgets/framehotkeys.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
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

OptionsWindow::OptionsWindow(SettingsManager &settings,
                             UserInterface &ui,
                             QWidget *parent,
                             IniFile *programIni)
    : QDialog(parent)
    , m_settings(settings)
    , m_ui(ui)
    , m_programIni(programIni)
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
    if (m_programIni) {
        m_checkFiles = new QCheckBox(QStringLiteral("Check collection files when opened"),
                                     preferences);
        m_checkFiles->setObjectName(QStringLiteral("checkFiles"));
        m_checkFiles->setToolTip(QStringLiteral("Look for damage in the collection's files in the "
                                                "background after they are opened"));
        m_checkFiles->setChecked(CollectionFileCheck::isEnabled(*m_programIni));
        prefLayout->addWidget(m_checkFiles);
    }
    if (!FrameHotKeys::sessionHasHotKeys()) {
        auto *keys
            = new QLabel(QStringLiteral(
                             "The hot keys Win+U and Win+G are not available in this session. To "
                             "use them, bind two keys in the desktop's own keyboard shortcut "
                             "settings to the commands:\n"
                             "    pathkeep --restore    (brings the window back)\n"
                             "    pathkeep --get-url    (gets the address from the browser)"),
                         preferences);
        keys->setObjectName(QStringLiteral("hotKeysNote"));
        keys->setWordWrap(true);
        keys->setTextInteractionFlags(Qt::TextSelectableByMouse);
        prefLayout->addWidget(keys);
    }
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
    if (m_programIni)
        tabs->addTab(makeTestingTab(tabs), QStringLiteral("Testing"));

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

QWidget *OptionsWindow::makeTestingTab(QWidget *parent)
{
    auto *page = new QWidget(parent);
    page->setObjectName(QStringLiteral("testing"));
    auto *layout = new QFormLayout(page);
    const auto check = [page, layout](const QString &text, bool on) {
        auto *box = new QCheckBox(text, page);
        box->setChecked(on);
        layout->addRow(box);
        return box;
    };
    const WebCheckSettings v = WebCheckSettings::load(*m_programIni);
    m_testSecure = check(QStringLiteral("Test secure (https://) addresses too"), v.testSecure);
    m_getFallback = check(QStringLiteral("Ask again with GET when a server refuses HEAD"),
                          v.getFallback);
    m_waitRateLimited = check(QStringLiteral("Wait when a server asks to (up to 60 s) and ask "
                                             "once more"),
                              v.waitWhenRateLimited);
    m_offerSecure = check(QStringLiteral("Offer to update addresses moved to https://"),
                          v.offerSecureUpdate);
    m_summary = check(QStringLiteral("Show a summary when the test ends"), v.summary);
    m_perHost = new QSpinBox(page);
    m_perHost->setRange(0, WebCheckSettings::MaxPerHost);
    m_perHost->setSpecialValueText(QStringLiteral("No limit"));
    m_perHost->setValue(v.perHost);
    layout->addRow(QStringLiteral("Connections to one host at once:"), m_perHost);
    m_requestSeconds = new QSpinBox(page);
    m_requestSeconds->setRange(0, WebCheckSettings::MaxRequestSeconds);
    m_requestSeconds->setSpecialValueText(QStringLiteral("No limit"));
    m_requestSeconds->setSuffix(QStringLiteral(" s"));
    m_requestSeconds->setValue(v.requestSeconds);
    layout->addRow(QStringLiteral("Time limit for one request:"), m_requestSeconds);
    return page;
}

WebCheckSettings OptionsWindow::editedTesting() const
{
    WebCheckSettings v = m_programIni ? WebCheckSettings::load(*m_programIni) : WebCheckSettings();
    if (!m_testSecure)
        return v;
    v.testSecure = m_testSecure->isChecked();
    v.getFallback = m_getFallback->isChecked();
    v.waitWhenRateLimited = m_waitRateLimited->isChecked();
    v.offerSecureUpdate = m_offerSecure->isChecked();
    v.summary = m_summary->isChecked();
    v.perHost = m_perHost->value();
    v.requestSeconds = m_requestSeconds->value();
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
    // Protection without a password would lock nothing while saying it does.
    if (m_secure->isChecked() && m_password->text().trimmed().isEmpty()) {
        m_ui.message(QStringLiteral("Options"),
                     QStringLiteral("Enter a password to restrict access, or clear \"Restrict "
                                    "using password\"."),
                     UserInterface::Icon::Warning);
        m_password->setFocus();
        return;
    }
    m_settings.writeOptions(edited());
    if (m_programIni && m_testSecure) {
        editedTesting().save(*m_programIni);
        CollectionFileCheck::setEnabled(*m_programIni, m_checkFiles->isChecked());
        if (!m_programIni->save())
            m_ui.message(QStringLiteral("Options"),
                         QStringLiteral("The testing settings could not be saved."),
                         UserInterface::Icon::Warning);
    }
    Q_EMIT traySettingChanged(m_settings.values().noTray);
    QDialog::accept();
}

void OptionsWindow::reject()
{
    m_settings.readAll();
    QDialog::reject();
}

} // namespace pk
