#pragma once

namespace pk {

/**
 * @brief Carries the network library's notifications to the thread that owns a connection.
 *
 * The library calls post() from its own thread; an implementation hands the event number to
 * its owning thread, keeping the order of the calls. The owning thread then passes every event
 * to each of its network objects (NetSimple::TakeEvent()).
 */
class EventPoster
{
public:
    virtual ~EventPoster() = default;

    /// Called from any thread; must not block and must keep the order of the calls.
    virtual void post(int event) = 0;
};

} // namespace pk
