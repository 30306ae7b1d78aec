#include "browse/list/browserefresh.h"

#include <QMetaObject>

namespace pk {

BrowseRefresh &BrowseRefresh::instance()
{
    static BrowseRefresh refresh;
    return refresh;
}

void BrowseRefresh::request()
{
    // Several requests in one burst (a batch deleting many rows) make one refresh.
    if (m_pending)
        return;
    m_pending = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            m_pending = false;
            emit refreshRequested();
        },
        Qt::QueuedConnection);
}

} // namespace pk
