#pragma once

#include <QString>

namespace pk {

/// Names of the settings rows in the collection's Configuration table.
namespace SettingName {
inline constexpr const char *DoubleClickAction = "DoubleClickAction";
inline constexpr const char *NoTray = "NoTray";
inline constexpr const char *Secure = "Secure";
inline constexpr const char *Password = "Password";
inline constexpr const char *StartupBrowse = "StartupBrowse";
inline constexpr const char *FavoritesPath = "FavoritesPath";
inline constexpr const char *Theme = "Theme";
} // namespace SettingName

/**
 * @brief The process-wide preferences, filled from the open collection.
 *
 * Widths are those of the stored rows; SettingsManager cuts values to them when reading.
 */
struct AppSettings
{
    static constexpr int DoubleClickActionWidth = 20;
    static constexpr int PasswordWidth = 32;
    static constexpr int StartupBrowseWidth = 20;
    static constexpr int FavoritesPathWidth = 255;
    static constexpr int ThemeWidth = 255;

    static constexpr const char *StartUrl = "Start URL";
    static constexpr const char *EditRecord = "Edit Record";
    static constexpr const char *LocationList = "Location";
    static constexpr const char *CategoryList = "Category";

    QString doubleClickAction = QString::fromLatin1(StartUrl);
    bool noTray = false;
    bool secure = false;
    QString password;
    QString startupBrowse = QString::fromLatin1(LocationList);
    QString favoritesPath;
    QString theme;

    bool operator==(const AppSettings &) const = default;
};

} // namespace pk
