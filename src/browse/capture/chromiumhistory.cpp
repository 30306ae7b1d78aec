#include "browse/capture/chromiumhistory.h"

#include "browse/capture/sessionpage.h"

#include <QFileInfo>
#include <QUrl>

#include <sqlite3.h>

#include <algorithm>
#include <memory>

namespace pk {

void ChromiumHistory::fillTitles(const QString &path, std::vector<SessionPage> &pages)
{
    const bool untitled = std::any_of(pages.begin(), pages.end(), [](const SessionPage &p) {
        return p.title.isEmpty();
    });
    if (!untitled || !QFileInfo(path).isFile())
        return;
    // "immutable": no lock and no journal, so the browser writing it is not disturbed.
    const QByteArray uri = QUrl::fromLocalFile(path).toEncoded() + "?immutable=1";
    sqlite3 *raw = nullptr;
    const int opened
        = sqlite3_open_v2(uri.constData(), &raw, SQLITE_OPEN_READONLY | SQLITE_OPEN_URI, nullptr);
    const std::unique_ptr<sqlite3, decltype(&sqlite3_close)> db(raw, &sqlite3_close);
    if (opened != SQLITE_OK)
        return;
    sqlite3_stmt *rawStatement = nullptr;
    if (sqlite3_prepare_v2(db.get(),
                           "SELECT title FROM urls WHERE url = ?1 AND title != '' "
                           "ORDER BY last_visit_time DESC LIMIT 1",
                           -1,
                           &rawStatement,
                           nullptr)
        != SQLITE_OK)
        return;
    const std::unique_ptr<sqlite3_stmt, decltype(&sqlite3_finalize)> statement(rawStatement,
                                                                               &sqlite3_finalize);
    for (SessionPage &page : pages) {
        if (!page.title.isEmpty())
            continue;
        const QByteArray address = page.address.toUtf8();
        sqlite3_reset(statement.get());
        sqlite3_bind_text(statement.get(),
                          1,
                          address.constData(),
                          int(address.size()),
                          SQLITE_TRANSIENT);
        if (sqlite3_step(statement.get()) == SQLITE_ROW) {
            const auto *text = reinterpret_cast<const char *>(
                sqlite3_column_text(statement.get(), 0));
            page.title = QString::fromUtf8(text, sqlite3_column_bytes(statement.get(), 0));
        }
    }
}

} // namespace pk
