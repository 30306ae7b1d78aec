#include "nettestsupport.h"

#include "net/netlibrary.h"

namespace pk::test {

EventPump::EventPump()
{
    m_thread = NetRegisterPoster(&m_poster);
}

EventPump::~EventPump()
{
    NetUnregisterPoster(m_thread);
}

void EventPump::dispatch(int event)
{
    m_dispatched.push_back(event);
    for (NetSimple *object : m_objects)
        object->TakeEvent(event);
}

bool EventPump::runUntil(const std::function<bool()> &done, std::chrono::milliseconds timeout)
{
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!done()) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0)
            return done();
        if (const auto event = m_poster.take(std::min(left, std::chrono::milliseconds(50))))
            dispatch(*event);
    }
    return true;
}

void EventPump::runFor(std::chrono::milliseconds duration)
{
    runUntil([] { return false; }, duration);
}

void RecordingClient::Process()
{
    processed.push_back(Packet.PacketType);
    processedIds.push_back(Packet.SockID);
    if (Packet.PacketType == NetPacketData)
        received.append(Packet.BinData, Packet.BinDataLen);
}

void RecordingClient::ConnectionClosed()
{
    ++closedCount;
}

void RecordingClient::ErrorTrap(const QString &errorText, const QString &functionName)
{
    ++trapCount;
    trapText = errorText;
    trapFunction = functionName;
    trapError = Error;
    NetSimple::ErrorTrap(errorText, functionName);
}

bool RecordingClient::sendBytes(const QByteArray &data)
{
    std::memset(Packet.BinData, 0, sizeof(Packet.BinData));
    std::memcpy(Packet.BinData,
                data.constData(),
                std::min<std::size_t>(sizeof(Packet.BinData),
                                      static_cast<std::size_t>(data.size())));
    Packet.BinDataLen = static_cast<std::int32_t>(data.size());
    Send();
    return Error == 0;
}

LogCapture::LogCapture(const QStringList &switches)
{
    _NetAll::setArguments(QStringList{QStringLiteral("net_tests")} + switches);
    _NetAll::setLogSink([this](const QString &line) {
        std::lock_guard lock(m_mutex);
        m_lines.append(line);
    });
}

LogCapture::~LogCapture()
{
    _NetAll::setLogSink({});
    _NetAll::setArguments({QStringLiteral("net_tests")});
}

QStringList LogCapture::lines() const
{
    std::lock_guard lock(m_mutex);
    return m_lines;
}

bool LogCapture::contains(const QString &text) const
{
    return count(text) > 0;
}

int LogCapture::count(const QString &text) const
{
    std::lock_guard lock(m_mutex);
    int found = 0;
    for (const QString &line : m_lines)
        found += line.contains(text) ? 1 : 0;
    return found;
}

} // namespace pk::test
