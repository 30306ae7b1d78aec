#include "shell/settingsmanager.h"

#include "framework/userinterface.h"
#include "platform/environment.h"
#include "platform/inifile.h"
#include "shell/favoritesfolder.h"
#include "shell/texts.h"
#include "store/collection.h"
#include "store/configurationmanager.h"

namespace pk {

namespace {
constexpr int ValueWidth = 255;
const QString errorTitle = QStringLiteral("Error!");

QString flag(bool on)
{
    return on ? QStringLiteral("1") : QStringLiteral("0");
}
} // namespace

SettingsManager::SettingsManager(UserInterface &ui, IniFile &legacyIni, const Registry &registry)
    : m_ui(ui)
    , m_legacyIni(legacyIni)
    , m_registry(registry)
{}

bool SettingsManager::ensureOpen(QString &errorText)
{
    if (!m_collection) {
        errorText = QStringLiteral("No collection is open (0)");
        return false;
    }
    if (m_collection->isOpen(CollectionFile::Data))
        return true;
    const StoreStatus status = m_collection->open(CollectionFile::Data, true);
    if (!status)
        errorText = status.describe();
    return status.ok();
}

bool SettingsManager::writeSetting(const QString &name, const QString &value)
{
    QString errorText;
    if (ensureOpen(errorText)) {
        const StoreStatus status = m_collection->configuration().put({name, rtrimmed(value)});
        if (status)
            return true;
        errorText = status.describe();
    }
    m_ui.message(errorTitle,
                 QStringLiteral("Error writing configuration information.  Code ") + name
                     + QStringLiteral(" - ") + errorText,
                 UserInterface::Icon::Critical);
    return false;
}

QString SettingsManager::readSetting(const QString &name,
                                     const QString &defaultValue,
                                     bool withoutDefault)
{
    QString errorText;
    if (ensureOpen(errorText)) {
        ConfigurationRecord row;
        const StoreStatus status = m_collection->configuration().get(name, row);
        if (status)
            return row.DataValue.left(ValueWidth);
        if (status.error == StoreError::RecordNotFound) {
            const QString value = rtrimmed(
                                      m_legacyIni.value(QLatin1String(LegacySection),
                                                        name,
                                                        withoutDefault ? QString() : defaultValue))
                                      .left(ValueWidth);
            // A read-only collection cannot take the row; the value still applies for this run.
            if (!value.isEmpty())
                static_cast<void>(m_collection->configuration().insert({name, value}));
            return value;
        }
        errorText = status.describe();
    }
    m_ui.message(errorTitle,
                 QStringLiteral("Error retrieving configuration information code ") + name
                     + QStringLiteral(" - ") + errorText,
                 UserInterface::Icon::Critical);
    return {};
}

void SettingsManager::readAll()
{
    const QString favorites = FavoritesFolder::lookup(m_registry);
    AppSettings &v = m_values;
    v.theme = readSetting(QLatin1String(SettingName::Theme), v.theme).left(AppSettings::ThemeWidth);
    v.doubleClickAction = readSetting(QLatin1String(SettingName::DoubleClickAction),
                                      v.doubleClickAction)
                              .left(AppSettings::DoubleClickActionWidth);
    v.noTray = readSetting(QLatin1String(SettingName::NoTray), flag(v.noTray)).toInt() != 0;
    v.secure = readSetting(QLatin1String(SettingName::Secure), flag(v.secure)).toInt() != 0;
    v.password = readSetting(QLatin1String(SettingName::Password), v.password)
                     .left(AppSettings::PasswordWidth);
    v.startupBrowse = expandFirstVariable(readSetting(QLatin1String(SettingName::StartupBrowse),
                                                      QLatin1String(AppSettings::LocationList)))
                          .left(AppSettings::StartupBrowseWidth);
    v.favoritesPath = expandFirstVariable(
                          readSetting(QLatin1String(SettingName::FavoritesPath), favorites))
                          .left(AppSettings::FavoritesPathWidth);
}

bool SettingsManager::writeOptions()
{
    return writeOptions(m_values);
}

bool SettingsManager::writeOptions(const AppSettings &settings)
{
    m_values = settings;
    QString errorText;
    if (!ensureOpen(errorText)) {
        m_ui.message(errorTitle,
                     QStringLiteral("Error writing configuration information.  Code ")
                         + QLatin1String(SettingName::DoubleClickAction) + QStringLiteral(" - ")
                         + errorText,
                     UserInterface::Icon::Critical);
        return false;
    }
    const AppSettings v = settings;
    const StoreStatus status = m_collection->transaction([&] {
        const std::pair<const char *, QString> rows[] = {
            {SettingName::DoubleClickAction, v.doubleClickAction},
            {SettingName::NoTray, flag(v.noTray)},
            {SettingName::Secure, flag(v.secure)},
            {SettingName::Password, v.password},
            {SettingName::StartupBrowse, v.startupBrowse},
            {SettingName::FavoritesPath, v.favoritesPath},
        };
        for (const auto &[name, value] : rows) {
            if (!writeSetting(QLatin1String(name), value))
                return StoreStatus::failure(StoreError::Other, QStringLiteral("write failed"));
        }
        return StoreStatus::success();
    });
    return status.ok();
}

} // namespace pk
