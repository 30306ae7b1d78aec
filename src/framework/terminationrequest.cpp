#include "framework/terminationrequest.h"

#include <atomic>

namespace pk {

namespace {
std::atomic<bool> g_requested{false};
static_assert(std::atomic<bool>::is_always_lock_free, "the flag is set from a signal handler");
} // namespace

bool TerminationRequest::isRequested()
{
    return g_requested.load(std::memory_order_acquire);
}

void TerminationRequest::request()
{
    g_requested.store(true, std::memory_order_release);
}

void TerminationRequest::resetForTest()
{
    g_requested.store(false, std::memory_order_release);
}

} // namespace pk
