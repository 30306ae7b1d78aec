#include "net/netsimple.h"

#include "framework/userinterface.h"
#include "net/netlibrary.h"

#include <algorithm>
#include <cstring>

namespace pk {

namespace {

const char *const NotInitialisedText
    = "The NetSimple object's Init() method was not called before the Open() method was called";
const char *const PhaseTwoNotCalledText
    = "Attention. 2nd Phase NOT Called! The Connection property has changed, since calling Phase "
      "One. Can't call Phase Two, the DLL will clear up in 5 minutes.";

QString num(long long value)
{
    return QString::number(value);
}

/// Copies `text` into a zero-terminated field of `size` bytes without splitting a character.
void copyField(char *field, std::size_t size, const QString &text)
{
    std::memset(field, 0, size);
    QByteArray bytes = text.toUtf8();
    std::size_t length = std::min<std::size_t>(static_cast<std::size_t>(bytes.size()), size - 1);
    while (length > 0 && length < static_cast<std::size_t>(bytes.size())
           && (static_cast<unsigned char>(bytes[static_cast<qsizetype>(length)]) & 0xC0) == 0x80)
        --length;
    std::memcpy(field, bytes.constData(), length);
}

QString fieldText(const char *field, std::size_t size)
{
    return QString::fromUtf8(field, static_cast<qsizetype>(strnlen(field, size)));
}

QString trimmedRight(const QString &text)
{
    qsizetype end = text.size();
    while (end > 0 && text.at(end - 1).isSpace())
        --end;
    return text.left(end);
}

} // namespace

NetSimple::NetSimple(UserInterface *userInterface)
    : m_userInterface(userInterface)
{
    _LoggingSetup();
}

NetSimple::~NetSimple()
{
    // Kill() is the orderly way; this only keeps a forgotten object from leaving a live
    // connection or a used event behind.
    if (_Initalised) {
        if (OpenFlag || AsyncOpenBusy)
            NetSimpleConnectClose(_Connection, 0, 0, NetCloseAbort);
        if (_Connection.Event != 0)
            NetFreeUniqueEvent(_Connection.Event);
    }
    delete _WholePacketQueue;
}

QString NetSimple::serverText() const
{
    return fieldText(_Connection.Server, sizeof(_Connection.Server));
}

QString NetSimple::dataExcerpt(const QString &what) const
{
    const int length = std::clamp(Packet.BinDataLen, 0, NetMaxBinData);
    const int shown = std::min(LogDataBytes, length);
    return QStringLiteral(" First ") + num(shown) + QStringLiteral(" bytes of ") + what
           + QStringLiteral(" Data = [") + QString::fromUtf8(Packet.BinData, shown)
           + (shown < length ? QStringLiteral("]...") : QStringLiteral("]"));
}

void NetSimple::notInitialised(const QString &functionName)
{
    Log(QStringLiteral("Error - Open being called before Init."), functionName, NetLogError);
    Error = NetErrInitNotCalled;
    ErrorTrap(QString::fromUtf8(NotInitialisedText), functionName);
}

void NetSimple::Init(int mode)
{
    if (!_WholePacketQueue)
        _WholePacketQueue = new NetWholePacketQueue;
    WholePacketQueue = _WholePacketQueue;
    QServerConnections = &_QServerConnections;
    Log(QStringLiteral("Initialising a new ")
            + (mode == 1 ? QStringLiteral("Server") : QStringLiteral("Client")),
        QStringLiteral("NetSimple.Init"));
    _Connection.Mode = static_cast<std::uint8_t>(mode == 1 ? 1 : 0);
    _Connection.Thread = UseThisThread != 0 ? UseThisThread : NetCurrentThread();
    AsyncOpenUse = 1;
    AsyncOpenTimeOut = 1200;
    _WholePacketAllocSize = 524288;
    Prime();
}

void NetSimple::Prime()
{
    Wait();
    if (!_Initalised) {
        _Connection.Event = NetGetUniqueEvent();
        if (_Connection.Event == 0) {
            Log(QStringLiteral("Error getting new unique event. None was available."),
                QStringLiteral("NetSimple.Prime"),
                NetLogError);
        }
    }
    _Initalised = 1;
    Release();
}

void NetSimple::Open(const QString &server, std::uint16_t port)
{
    const QString function = QStringLiteral("NetSimple(Client).Open");
    if (!_Initalised) {
        notInitialised(QStringLiteral("NetSimple.Open"));
        return;
    }
    if (OpenFlag || AsyncOpenBusy) {
        Error = NetErrAlreadyOpen;
        Log(QStringLiteral("Connection already open. Please close or abort the connection before "
                           "trying to open a new connection."),
            function);
        ErrorTrap(QStringLiteral("The client connection could not be opened because the "
                                 "connection was already open"),
                  QStringLiteral("NetSimple.Open"));
        return;
    }
    if (willLog(NetLogNormal)) {
        Log(QStringLiteral("Attempting to connect to ") + server + QStringLiteral(" on Port ")
                + num(port),
            function);
    }
    Error = 0;
    AsyncOpenBusy = 0;
    if (_BetweenPhaseOneAnTwo) {
        _IgnorePhaseTwo = 1;
        Log(QStringLiteral("The second close phase of the previous connection is still due; it "
                           "will not be called, the library clears that connection up itself."),
            function);
    }

    copyField(_Connection.Server, sizeof(_Connection.Server), trimmedRight(server).left(80));
    _Connection.Port = port;
    _Connection.SSL = static_cast<std::uint8_t>(SSL ? 1 : 0);
    _Connection.SSLMethod = SSLMethod;
    _Connection.SSLDontConnectOnOpen = static_cast<std::uint8_t>(_SSLDontConnectOnOpen ? 1 : 0);
    if (AsyncOpenUse) {
        _Connection.AsyncOpenTimeOut = AsyncOpenTimeOut;
        if (willLog(NetLogNormal)) {
            Log(QStringLiteral("Will use Asynchronous Open. Timeout (hs) = ")
                    + num(AsyncOpenTimeOut),
                function);
        }
    } else {
        _Connection.AsyncOpenTimeOut = 0;
    }
    _Connection.InActiveTimeout = InActiveTimeout;
    if (InActiveTimeout != 0 && willLog(NetLogNormal)) {
        Log(QStringLiteral("Will use InActive (Idle) Timeout (hs) = ") + num(InActiveTimeout),
            function);
    }

    Error = NetSimpleConnectOpen(_Connection);
    if (Error != 0) {
        if (Error == NetErrNoRuntime && SSL) {
            _CallErrorTrap(QStringLiteral(
                               "Could not load the SSL (Secure Sockets Layer) libraries. "
                               "libssl and libcrypto could not be found."),
                           function);
        } else {
            _CallErrorTrap(QStringLiteral("Unable to Open Connection"), function);
        }
        return;
    }
    const QString where = QStringLiteral("on Socket = ") + num(_Connection.Socket)
                          + QStringLiteral(" SockID = ") + num(_Connection.SockID);
    if (_Connection.AsyncOpenTimeOut <= 0) {
        OpenFlag = 1;
        Log(QStringLiteral("Connection opened ") + where, function);
    } else {
        OpenFlag = 0;
        AsyncOpenBusy = 1;
        Log(QStringLiteral("Opening Connection Asynchrously (will wait for Process() or "
                           "Err0rTrap() to be called). ")
                + where,
            function);
    }
}

void NetSimple::Close()
{
    const QString function = QStringLiteral("NetSimple.Close");
    if (willLog(NetLogNormal)) {
        Log(QStringLiteral("Closing Client Socket = ") + num(_Connection.Socket)
                + QStringLiteral(" SockID = ") + num(_Connection.SockID)
                + QStringLiteral(" to Server = ") + serverText()
                + QStringLiteral(" Originally Connected to Port = ") + num(_Connection.Port),
            function);
    }
    Error = 0;
    if (!OpenFlag) {
        Log(QStringLiteral("Warning. Socket not open. Can not close"), function);
        return;
    }
    _DropWholePackets(_Connection.SockID);
    Error = NetSimpleConnectClose(_Connection, 0, 0, NetCloseGraceful);
    _BetweenPhaseOneAnTwo = 1;
    _IgnorePhaseTwo = 0;
    OpenFlag = 0;
    if (Error != 0)
        _CallErrorTrap(QStringLiteral("Unable to Close connection"), function);
}

void NetSimple::Abort()
{
    const QString function = QStringLiteral("NetSimple.Abort");
    if (willLog(NetLogNormal)) {
        Log(QStringLiteral("Aborting (immediately closing) Client Socket = ")
                + num(_Connection.Socket) + QStringLiteral(" SockID = ") + num(_Connection.SockID)
                + QStringLiteral(" to Server = ") + serverText()
                + QStringLiteral(" Originally Connected to Port = ") + num(_Connection.Port),
            function);
    }
    Error = 0;
    if (!OpenFlag && !(_Connection.Mode == 0 && AsyncOpenBusy)) {
        Log(QStringLiteral("Warning. Socket not open. Can not abort"), function);
        return;
    }
    _DropWholePackets(_Connection.SockID);
    Error = NetSimpleConnectClose(_Connection, 0, 0, NetCloseAbort);
    OpenFlag = 0;
    AsyncOpenBusy = 0;
    if (Error != 0)
        _CallErrorTrap(QStringLiteral("Unable to Abort (Close) connection"), function);
}

void NetSimple::Process() {}

void NetSimple::ConnectionClosed() {}

void NetSimple::Send()
{
    const QString function = QStringLiteral("NetSimple.Send");
    if (!_Initalised) {
        notInitialised(function);
        return;
    }
    if (Packet.BinDataLen > NetMaxBinData) {
        Error = NetErrInvalidSize;
        _CallErrorTrap(QStringLiteral("Trying to send too much data in self.packet.binData and "
                                      "self.packet.binDataLen"),
                       function);
        return;
    }
    if (!OpenFlag && !_Connection.UDPMode) {
        Error = NetErrNotOpen;
        _CallErrorTrap(QStringLiteral("The connection is not open and therefore the data can not "
                                      "be sent."),
                       function);
        return;
    }
    if (Packet.BinDataLen <= 0) {
        Error = NetErrInvalidSize;
        _CallErrorTrap(QStringLiteral("Data length is less than or equal to zero"), function);
        return;
    }
    if (_Connection.Mode == 0 && (trimmedRight(serverText()).isEmpty() || _Connection.Port == 0)) {
        Error = NetErrHostOrSocketNotSet;
        _CallErrorTrap(QStringLiteral("Hostname or Port are not set to anything. (You must call "
                                      "self.open first)."),
                       function);
        return;
    }
    if (willLog(NetLogNormal)) {
        QString line = QStringLiteral("Sending Data to HostName = ") + serverText()
                       + QStringLiteral(" OnSocket = ") + num(_Connection.Socket)
                       + QStringLiteral(" SockID = ") + num(_Connection.SockID)
                       + QStringLiteral(" Port = ") + num(_Connection.Port)
                       + QStringLiteral(" BinDataLen = ") + num(Packet.BinDataLen);
        if (LogDataBytes > 0)
            line += dataExcerpt(QStringLiteral("Sent"));
        Log(line, QStringLiteral("NetSimple.Send (Client Mode)"));
    }
    Error = NetSimpleConnectSend(_Connection, Packet);
    if (Error == NetErrConnectionNotFound && _Connection.Mode == 0)
        OpenFlag = 0;
    if (Error == 0) {
        ++OutgoingDLLPackets;
        OutgoingDLLPacketsBytes += Packet.BinDataLen;
        return;
    }
    if (Error == NetErrConnectionNotFound && DontErrorTrapInSendIfConnectionClosed) {
        Log(QStringLiteral("While trying to send data, we discover the connection has been closed "
                           "down. The programmer has chosen to handle the error himself."),
            function);
        return;
    }
    Log(QStringLiteral("Error. Note to the programmer - look at the docs for info on the "
                       "self.DontErrorTrapInSendIfConnectionClosed in the NetSimpleConnection "
                       "property section."),
        function,
        NetLogError);
    _CallErrorTrap(QStringLiteral("Error sending data"), function);
}

void NetSimple::remoteClosed(std::uint32_t socket, std::int32_t sockId)
{
    const QString function = QStringLiteral("NetSimple.TakeEvent.ConClosed1");
    if (willLog(NetLogNormal)) {
        Log(QStringLiteral("The client connection on Socket = ") + num(socket)
                + QStringLiteral(" SockID = ") + num(sockId)
                + QStringLiteral(" has been closed remotely. Will call NetSimpleConnectClose and "
                                 "then the")
                + QStringLiteral(" ConnectionClosed() method."),
            function);
    }
    NetSimpleConnectClose(_Connection, socket, sockId, NetCloseRelease);
    OpenFlag = 0;
    AsyncOpenBusy = 0;
    ConnectionClosed();
}

namespace {

/// The function name TakeEvent's log lines and error messages give.
QString takeEventFunction()
{
    return QStringLiteral("NetSimple.TakeEvent");
}

} // namespace

void NetSimple::TakeEvent(int event)
{
    const int E = _Connection.Event;
    if (!_Initalised || E == 0)
        return;
    if (event == E + 1)
        takeRemoteCloseEvent();
    else if (event == E + 2)
        takeCloseEvent();
    else if (event == E)
        takePacketEvent();
}

QString NetSimple::modeText() const
{
    return _Connection.Mode == 1 ? QStringLiteral("Server") : QStringLiteral("Client");
}

void NetSimple::takeRemoteCloseEvent()
{
    if (willLog(NetLogNormal)) {
        Log(QStringLiteral("Received a message+1 about a ConClose(1) (Remote). PacketType = ")
                + num(Packet.PacketType) + QStringLiteral(" Mode = ") + modeText(),
            takeEventFunction());
    }
    // No packet comes with this event: the connection is the object's current one.
    remoteClosed(_Connection.Socket, _Connection.SockID);
}

void NetSimple::takeCloseEvent()
{
    if (willLog(NetLogNormal)) {
        Log(QStringLiteral("Received a message+2 about a Close (2). PacketType = ")
                + num(Packet.PacketType) + QStringLiteral(" Mode = ") + modeText(),
            takeEventFunction());
    }
    if (!_IgnorePhaseTwo) {
        NetSimpleConnectClose(_Connection, 0, 0, NetCloseRelease);
        _BetweenPhaseOneAnTwo = 0;
    } else {
        Log(QString::fromUtf8(PhaseTwoNotCalledText),
            QStringLiteral("NetSimple.TakeEvent.Message+2"));
    }
}

void NetSimple::takePacketEvent()
{
    const QString function = takeEventFunction();
    Error = NetSimpleConnectReceive(_Connection, Packet);
    if (Error == NetErrNoRequest) {
        Log(QStringLiteral("Attention. This is not normally a problem. The DLL could not find a "
                           "packet matching this connection."),
            function);
        return;
    }
    if (Error != 0) {
        _CallErrorTrap(QStringLiteral("An error occurred while trying receive data"), function);
        return;
    }
    if (willLog(NetLogNormal)) {
        Log(QStringLiteral("(") + modeText()
                + QStringLiteral(" Mode) Received a message. PacketType = ")
                + num(Packet.PacketType) + QStringLiteral(" Reserved2 = ") + num(Packet.Reserved2)
                + QStringLiteral(" Mode = ") + num(_Connection.Mode),
            function);
    }

    const bool earlierConnection = _Connection.Mode == 0 && Packet.SockID != _Connection.SockID;
    if (earlierConnection && dropEarlierConnectionPacket())
        return;

    switch (Packet.PacketType) {
    case NetPacketNewConnection:
        _UpdateServerConnections();
        ++ServerConnectionsCount;
        Process();
        break;
    case NetPacketData:
        takeDataPacket();
        break;
    case NetPacketNoConnection:
        Log(QStringLiteral("PacketType -> No Connection!! Warning!"), function);
        break;
    case NetPacketRemoteClosed:
        remoteClosed(Packet.OnSocket, Packet.SockID);
        break;
    case NetPacketLocalClosed:
        takeLocalClosedPacket(earlierConnection);
        break;
    case NetPacketOpenSucceeded:
        OpenFlag = 1;
        AsyncOpenBusy = 0;
        Process();
        break;
    case NetPacketOpenFailed:
        takeOpenFailedPacket();
        break;
    case NetPacketIdle:
        Process();
        break;
    default:
        Log(QStringLiteral("Error. PacketType -> Unknown = ") + num(Packet.PacketType),
            function,
            NetLogError);
        break;
    }
}

bool NetSimple::dropEarlierConnectionPacket()
{
    // A packet that belongs to an earlier connection of this object (closed or aborted before
    // the object was opened again) must not reach the new connection's handling.
    switch (Packet.PacketType) {
    case NetPacketData:
    case NetPacketOpenSucceeded:
    case NetPacketIdle:
    case NetPacketOpenFailed:
    case NetPacketRemoteClosed:
        break;
    default:
        return false;
    }
    if (willLog(NetLogNormal)) {
        Log(QStringLiteral("Dropping a packet of an earlier connection. PacketType = ")
                + num(Packet.PacketType) + QStringLiteral(" SockID = ") + num(Packet.SockID)
                + QStringLiteral(" Current SockID = ") + num(_Connection.SockID),
            takeEventFunction());
    }
    if (Packet.PacketType == NetPacketOpenFailed || Packet.PacketType == NetPacketRemoteClosed)
        NetSimpleConnectClose(_Connection, Packet.OnSocket, Packet.SockID, NetCloseRelease);
    Error = 0;
    return true;
}

void NetSimple::takeDataPacket()
{
    if (willLog(NetLogNormal)) {
        QString line = QStringLiteral("PacketType -> Normal Data Packet Received  Data Length = ")
                       + num(Packet.BinDataLen) + QStringLiteral(" On Socket = ")
                       + num(Packet.OnSocket) + QStringLiteral(" SockID = ") + num(Packet.SockID);
        if (LogDataBytes > 0)
            line += dataExcerpt(QStringLiteral("Received"));
        Log(line, takeEventFunction());
    }
    Process();
    if (WholePacketUseLengthField) {
        BigStorePacket();
        BigCheckForPacketEnd();
    }
}

void NetSimple::takeLocalClosedPacket(bool earlierConnection)
{
    if (_IgnorePhaseTwo) {
        Log(QString::fromUtf8(PhaseTwoNotCalledText) + QStringLiteral(" Socket = ")
                + num(Packet.OnSocket) + QStringLiteral(" SockID = ") + num(Packet.SockID)
                + QStringLiteral(" Server = ") + serverText() + QStringLiteral(" Port = ")
                + num(_Connection.Port),
            QStringLiteral("NetSimple.TakeEvent.ConClosed2"));
        return;
    }
    if (willLog(NetLogNormal)) {
        Log(QStringLiteral("The client connection on Socket = ") + num(Packet.OnSocket)
                + QStringLiteral(" SockID = ") + num(Packet.SockID)
                + QStringLiteral(" was closed locally. Will call NetSimpleConnectClose "
                                 "for 2nd Phase"),
            QStringLiteral("NetSimple.TakeEvent.ConClosed2"));
    }
    NetSimpleConnectClose(_Connection, Packet.OnSocket, Packet.SockID, NetCloseRelease);
    // The close of an earlier connection must not mark the current one closed.
    if (!earlierConnection) {
        OpenFlag = 0;
        AsyncOpenBusy = 0;
        _BetweenPhaseOneAnTwo = 0;
    }
}

void NetSimple::takeOpenFailedPacket()
{
    OpenFlag = 0;
    AsyncOpenBusy = 0;
    NetSimpleConnectClose(_Connection, Packet.OnSocket, Packet.SockID, NetCloseRelease);
    if (Packet.Error == NetErrSSLFailed) {
        // A refused certificate is not a server that cannot be reached: say which and why.
        Error = NetErrSSLFailed;
        const qsizetype length = std::clamp<qsizetype>(Packet.BinDataLen, 0, NetMaxBinData);
        const QString reason = QString::fromUtf8(Packet.BinData, length);
        _CallErrorTrap(reason.isEmpty()
                           ? QStringLiteral("The secure connection could not be set up")
                           : reason,
                       takeEventFunction());
        return;
    }
    Error = NetErrOpenFailed;
    _CallErrorTrap(QStringLiteral("The requested connection could not be opened."),
                   takeEventFunction());
}

void NetSimple::ErrorTrap(const QString &errorText, const QString &functionName)
{
    const QString meaning = InterpretError();
    if (Error == 0) {
        ErrorString = errorText + QStringLiteral(".");
    } else {
        ErrorString = errorText + QStringLiteral(".") + QStringLiteral(" The error number was ")
                      + num(Error) + QStringLiteral(" which means ") + meaning
                      + QStringLiteral(".");
    }
    ErrorString = ErrorString.left(256);

    const QString line = QStringLiteral("Error = ") + num(Error) + QStringLiteral(" = ") + errorText
                         + QStringLiteral(" : ") + meaning + QStringLiteral(" Function = ")
                         + functionName + QStringLiteral(" Server = ") + serverText()
                         + QStringLiteral(" Port = ") + num(_Connection.Port);
    if (SuppressErrorMsg || !m_userInterface) {
        Log(QStringLiteral("<no display> ") + line, functionName, NetLogError);
        return;
    }
    Log(line, functionName, NetLogError);
    QString text = QStringLiteral("A network communication error has occurred.\n\nError = ")
                   + errorText + QStringLiteral(".");
    if (Error != 0) {
        text += QStringLiteral("\n\nThe error number was ") + num(Error)
                + QStringLiteral(" which means ") + meaning + QStringLiteral(".");
    }
    text += QStringLiteral("\n\nError occurred in function ") + functionName;
    m_userInterface->message(QStringLiteral("Network Object Error"),
                             text,
                             UserInterface::Icon::Critical);
}

void NetSimple::_CallErrorTrap(const QString &errorText, const QString &functionName)
{
    if (willLog(NetLogError)) {
        QString line = QStringLiteral("Error = ") + num(Error) + QStringLiteral(" = ") + errorText;
        if (Error != 0)
            line += QStringLiteral(" : ") + InterpretError();
        line += QStringLiteral(" Function = ") + functionName + QStringLiteral(" Server = ")
                + serverText() + QStringLiteral(" Port = ") + num(_Connection.Port);
        Log(line, functionName, NetLogError);
    }
    ErrorTrap(errorText, functionName);
}

void NetSimple::Kill()
{
    if (OpenFlag)
        Close();
    if (AsyncOpenBusy)
        Abort();
    Wait();
    if (_Initalised && _Connection.Event != 0)
        NetFreeUniqueEvent(_Connection.Event);
    // A freed event may go to another object; a later Init() must obtain a new one.
    _Connection.Event = 0;
    _Initalised = 0;
    Release();
    _Connection.Thread = 0;
    _QServerConnections.clear();
    ServerConnectionsCount = 0;
    delete _WholePacketQueue;
    _WholePacketQueue = nullptr;
    WholePacketQueue = nullptr;
}

void NetSimple::CloseServerConnection(std::uint32_t socket, std::int32_t sockId)
{
    Error = NetSimpleConnectClose(_Connection, socket, sockId, NetCloseGraceful);
    if (Error != 0)
        _CallErrorTrap(QStringLiteral("Unable to Close connection"),
                       QStringLiteral("NetSimple.CloseServerConnection"));
}

void NetSimple::AbortServerConnection(std::uint32_t socket, std::int32_t sockId)
{
    Error = NetSimpleConnectClose(_Connection, socket, sockId, NetCloseAbort);
    if (Error != 0)
        _CallErrorTrap(QStringLiteral("Unable to Abort (Close) connection"),
                       QStringLiteral("NetSimple.AbortServerConnection"));
}

QString NetSimple::GetInfo(int option)
{
    std::string buffer;
    Error = NetOptions(option, buffer);
    return QString::fromStdString(buffer);
}

int NetSimple::Ping(const QString &host)
{
    Error = NetPing(trimmedRight(host).toStdString());
    if (Error != 0 && willLog(NetLogNormal))
        Log(QStringLiteral("Ping of ") + host + QStringLiteral(" failed: ") + InterpretError(),
            QStringLiteral("NetSimple.Ping"));
    return Error;
}

void NetSimple::_SSLSwitchToSSL()
{
    const QString function = QStringLiteral("NetSimple._SSLSwitchToSSL");
    Error = NetSimpleSwitchToSSL(_Connection);
    if (Error != 0) {
        _CallErrorTrap(QStringLiteral("Unable to switch the connection to SSL"), function);
        return;
    }
    SSL = 1;
    _Connection.SSL = 1;
    Log(QStringLiteral("The connection now runs SSL"), function);
}

void NetSimple::BigSend(const QByteArray &data)
{
    qsizetype offset = 0;
    while (offset < data.size()) {
        const auto chunk = std::min<qsizetype>(NetMaxBinData, data.size() - offset);
        std::memcpy(Packet.BinData, data.constData() + offset, static_cast<std::size_t>(chunk));
        Packet.BinDataLen = static_cast<std::int32_t>(chunk);
        Send();
        if (Error != 0)
            return;
        offset += chunk;
    }
}

NetWholePacket *NetSimple::wholePacketsOf(std::int32_t sockId)
{
    if (!_WholePacketQueue)
        return nullptr;
    for (NetWholePacket &entry : *_WholePacketQueue) {
        if (entry.SockID == sockId)
            return &entry;
    }
    return nullptr;
}

void NetSimple::BigStorePacket()
{
    if (!_WholePacketQueue || Packet.BinDataLen <= 0)
        return;
    NetWholePacket *entry = wholePacketsOf(Packet.SockID);
    if (!entry) {
        _WholePacketQueue->append(NetWholePacket{Packet.SockID, {}});
        entry = &_WholePacketQueue->last();
        entry->BinData.reserve(_WholePacketAllocSize);
    }
    entry->BinData.append(Packet.BinData, std::min(Packet.BinDataLen, NetMaxBinData));
}

void NetSimple::BigClearPacket(int bytes)
{
    NetWholePacket *entry = wholePacketsOf(Packet.SockID);
    if (!entry)
        return;
    entry->BinData.remove(0, std::clamp<qsizetype>(bytes, 0, entry->BinData.size()));
    if (entry->BinData.isEmpty())
        _DropWholePackets(Packet.SockID);
}

int NetSimple::BigCheckForPacketEnd()
{
    const NetWholePacket *entry = wholePacketsOf(Packet.SockID);
    if (!entry || entry->BinData.size() < 4)
        return 0;
    const auto *bytes = reinterpret_cast<const unsigned char *>(entry->BinData.constData());
    const std::uint32_t length = bytes[0] | (bytes[1] << 8) | (bytes[2] << 16)
                                 | (static_cast<std::uint32_t>(bytes[3]) << 24);
    if (length < 4 || length > static_cast<std::uint32_t>(entry->BinData.size()))
        return 0;
    return static_cast<int>(length);
}

void NetSimple::_DropWholePackets(std::int32_t sockId)
{
    if (!_WholePacketQueue)
        return;
    _WholePacketQueue->removeIf(
        [sockId](const NetWholePacket &entry) { return entry.SockID == sockId; });
}

void NetSimple::PartiallyCloseServer()
{
    Error = NetErrServiceNotSupported;
    Log(QStringLiteral("Server mode is not supported by this network library"),
        QStringLiteral("NetSimple.PartiallyCloseServer"),
        NetLogError);
}

void NetSimple::_UpdateServerConnections()
{
    // Server mode is not offered by the library, so there are never accepted connections.
    _QServerConnections.clear();
    Error = NetErrServiceNotSupported;
}

} // namespace pk
