#pragma once

#include <QObject>

namespace pk {

/**
 * @brief The one place that tells every open location list to read its rows again.
 *
 * Forms, batch processes and other windows call BrowseRefresh::instance().request() after
 * they changed Locations; each open list is connected to refreshRequested().
 */
class BrowseRefresh final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(BrowseRefresh)

public:
    static BrowseRefresh &instance();

    /// Asks every open location list to refresh (queued: lists refresh once control returns).
    void request();

signals:
    void refreshRequested();

private:
    BrowseRefresh() = default;
    bool m_pending = false;
};

} // namespace pk
