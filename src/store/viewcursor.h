#pragma once

#include "store/storestatus.h"
#include "store/view.h"

#include <cstddef>

namespace pk {

/**
 * @brief Reads a view row by row in key order, a page at a time behind the scenes.
 *
 * next() hands out one row after another until the view is exhausted or a read fails;
 * status() then tells which (success at the end, the failure otherwise). The view must outlive
 * the cursor; its range and filter are the ones set when each page is read.
 */
class ViewCursor final
{
public:
    static constexpr int DefaultPageSize = 500;

    /// Starts at the view's first row.
    explicit ViewCursor(View &view, int pageSize = DefaultPageSize);
    /// Starts at `from` (included when `inclusive`), or at the first row when `from` is invalid.
    ViewCursor(View &view, const ViewPosition &from, bool inclusive, int pageSize = DefaultPageSize);

    /// The next row into `row`; false at the end or when a read failed (see status()).
    bool next(ViewRow &row);

    /// Outcome of the last page read: success unless a read failed.
    const StoreStatus &status() const { return m_status; }

private:
    bool readPage();

    View &m_view;
    int m_pageSize;
    ViewPosition m_from;
    bool m_inclusive;
    ViewPage m_page;
    std::size_t m_next = 0;
    bool m_lastPage = false;
    StoreStatus m_status;
};

} // namespace pk
