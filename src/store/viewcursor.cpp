#include "store/viewcursor.h"

#include <algorithm>
#include <utility>

namespace pk {

ViewCursor::ViewCursor(View &view, int pageSize)
    : ViewCursor(view, ViewPosition{}, false, pageSize)
{}

ViewCursor::ViewCursor(View &view, const ViewPosition &from, bool inclusive, int pageSize)
    : m_view(view)
    , m_pageSize(std::max(1, pageSize))
    , m_from(from)
    , m_inclusive(inclusive)
{}

bool ViewCursor::next(ViewRow &row)
{
    if (m_next >= m_page.rows.size() && !readPage())
        return false;
    row = std::move(m_page.rows[m_next++]);
    return true;
}

bool ViewCursor::readPage()
{
    if (m_lastPage || !m_status)
        return false;
    m_next = 0;
    m_status = m_view.forward(m_from, m_pageSize, m_inclusive, m_page);
    if (!m_status) {
        m_page = {};
        return false;
    }
    m_lastPage = m_page.atEnd || m_page.rows.empty();
    if (m_page.rows.empty())
        return false;
    // Later pages continue after the last row read.
    m_from = m_page.rows.back().position;
    m_inclusive = false;
    return true;
}

} // namespace pk
