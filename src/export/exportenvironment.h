#pragma once

#include <QDate>
#include <QLocale>
#include <QString>

#include <functional>
#include <optional>

namespace pk {

class Collection;
class UserInterface;

/// How an export run ended.
enum class ExportResult {
    Written,   ///< the files were written whole
    Cancelled, ///< nothing was written: the query wizard or the run was cancelled
    Failed     ///< an error ended it; the user has been told
};

/// What an export run works with besides its settings.
struct ExportEnvironment
{
    Collection *collection = nullptr;
    UserInterface *ui = nullptr;
    /// The query wizard over the export fields: the condition, or nothing when cancelled.
    std::function<std::optional<QString>()> queryWizard;
    /// Progress: records read so far of `total`; returning false cancels the run (no file of
    /// it appears under its name).
    std::function<bool(qint64 done, qint64 total)> progress;
    /// Ends the program after a stop message when the user chooses to; none keeps it running.
    std::function<void(const QString &text)> halt;
    /// Section "Settings", key "BodyInFrame" of PATHKEEP.INI.
    bool bodyInFrame = false;
    /// Where the footer's home-page link points.
    QString homePage = QStringLiteral("https://pathkeep.example.org/");
    /// Today's date and the locale its short and long forms come from.
    QDate today = QDate::currentDate();
    QLocale locale = QLocale::system();
    /// Folder the templates are read from (the collection folder in the program).
    QString templateFolder;
};

} // namespace pk
