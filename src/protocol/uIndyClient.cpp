#include "uIndyClient.h"

#include "AnsiCodePage.h"
#include "TcpClient.h"

#include <thread>

namespace {
constexpr int ConnectTimeoutMs = 3000;
constexpr int SendPauseMs = 200;
constexpr int ClosedPollMs = 1000;
} // namespace

TQivClient::TQivClient()
    : FWindow(std::make_unique<MessageWindow>([this](TMessage &message) { ClientWndProc(message); })),
      FHandle(FWindow->Handle())
{
    FSendDataThread = std::make_unique<TDataThread>();
    FSendDataThread->SetOnThreadEvent([this](TObject *sender) { SendThreadEvent(sender); });
    FReceiveDataThread = std::make_unique<TDataThread>();
    FReceiveDataThread->SetOnThreadEvent([this](TObject *sender) { ReceiveThreadEvent(sender); });
}

TQivClient::~TQivClient()
{
    DisConnect(); // releases a receiver blocked in its read
    FSendDataThread.reset();
    FReceiveDataThread.reset();
}

void TQivClient::Connect()
{
    if (FConnected)
        DisConnect(); // an open socket is in the workers' hands: it is never reconnected in place
    std::shared_ptr<TcpClient> socket;
    quint64 connection = 0;
    {
        // A new connection number from the start: a reader still failing on the previous
        // connection can then never close this one.
        std::lock_guard<std::mutex> locker(FSocketLock);
        if (!FIdTCPClient)
            FIdTCPClient = std::make_shared<TcpClient>();
        socket = FIdTCPClient;
        connection = ++FConnection;
    }
    bool connected = false;
    try {
        socket->Connect(FHost, quint16(FPort & 0xFFFF), ConnectTimeoutMs);
        connected = true;
    } catch (...) {
    }
    {
        std::lock_guard<std::mutex> locker(FSocketLock);
        connected = connected && FIdTCPClient == socket && FConnection == connection;
        FConnected = connected;
    }
    if (connected)
        FReceiveDataThread->Wake(); // start reading now rather than after the closed-state poll
    PostMessage(FHandle, WM_SOCKET_CONNECT, 0, 0);
}

void TQivClient::DisConnect()
{
    std::shared_ptr<TcpClient> socket;
    {
        std::lock_guard<std::mutex> locker(FSocketLock);
        FConnected = false;
        socket = std::move(FIdTCPClient);
    }
    if (socket)
        socket->Close(); // freed once the last thread using it lets go
}

bool TQivClient::DisConnectIfCurrent(quint64 connection)
{
    std::shared_ptr<TcpClient> socket;
    {
        std::lock_guard<std::mutex> locker(FSocketLock);
        if (connection != FConnection)
            return false; // a newer connection is open: a stale read must not close it
        // Closed already: the object there, if any, is a new connect's, which must be left alone.
        if (FConnected) {
            FConnected = false;
            socket = std::move(FIdTCPClient);
        }
    }
    if (socket)
        socket->Close();
    return true;
}

TQivClient::TSocketRef TQivClient::CurrentSocket() const
{
    std::lock_guard<std::mutex> locker(FSocketLock);
    if (!FConnected)
        return {}; // an object that is closed or still connecting is no worker's to use
    return {FIdTCPClient, FConnection};
}

void TQivClient::SendData(const QString &Str)
{
    {
        std::lock_guard<std::mutex> locker(FSendLock);
        FSendDataList.push_back(std::make_unique<TDataObject>(Str));
    }
    SendStep();
    std::this_thread::sleep_for(std::chrono::milliseconds(SendPauseMs));
}

void TQivClient::SendThreadEvent(TObject *Sender)
{
    SendStep();
    static_cast<TDataThread *>(Sender)->Sleep(SendPauseMs);
}

void TQivClient::SendStep()
{
    if (!FConnected)
        return;
    std::lock_guard<std::mutex> stepLocker(FSendStepLock);
    std::unique_ptr<TDataObject> item;
    {
        std::lock_guard<std::mutex> locker(FSendLock);
        if (FSendDataList.empty())
            return;
        item = std::move(FSendDataList.front());
        FSendDataList.pop_front();
    }
    QByteArray frame = item->Data.toUtf8();
    frame.append('\0');
    item.reset();
    const TSocketRef current = CurrentSocket();
    if (!current.Socket)
        return;
    try {
        current.Socket->WriteBlock(frame);
    } catch (...) {
        // A frame that cannot be written is lost; the connection state is left to the reader.
    }
}

void TQivClient::ReceiveThreadEvent(TObject *Sender)
{
    auto *thread = static_cast<TDataThread *>(Sender);
    const TSocketRef current = CurrentSocket();
    if (!current.Socket) {
        thread->Sleep(ClosedPollMs);
        return;
    }
    if (current.Connection != FReceiveConnection) {
        // A new connection starts with an empty buffer: the tail of a frame cut off by a lost
        // connection must not be glued to the first frame of the next one.
        FReceiveStream.clear();
        FReceiveConnection = current.Connection;
    }
    try {
        current.Socket->ReadUntil('\0', FReceiveStream);
    } catch (...) {
        if (DisConnectIfCurrent(current.Connection))
            PostMessage(FHandle, WM_SOCKET_ERROR, 0, 0);
        return;
    }
    auto item = std::make_unique<TDataObject>(AnsiCodePage::ToUnicode(FReceiveStream));
    FReceiveStream.clear();
    {
        std::lock_guard<std::mutex> locker(FReceiveLock);
        FReceiveDataList.push_back(std::move(item));
    }
    PostMessage(FHandle, WM_SOCKET_RECEIVE, 0, 0);
}

void TQivClient::ClientWndProc(TMessage &Message)
{
    switch (Message.Msg) {
    case WM_SOCKET_CONNECT:
        Raise(FOnConnectEvent, this, FConnected.load());
        break;
    case WM_SOCKET_RECEIVE:
        DispatchReceiveData();
        break;
    case WM_SOCKET_ERROR:
        Raise(FOnReceiveDataErrorEvent, this);
        break;
    default:
        break;
    }
}

void TQivClient::DispatchReceiveData()
{
    // The queue is locked only to take the oldest text out, never while a handler runs: a handler
    // may open a modal dialog, whose message loop then goes on draining the same queue in order,
    // and the receiver keeps reading meanwhile.
    for (;;) {
        std::unique_ptr<TDataObject> item;
        {
            std::lock_guard<std::mutex> locker(FReceiveLock);
            if (FReceiveDataList.empty())
                return;
            item = std::move(FReceiveDataList.front());
            FReceiveDataList.pop_front();
        }
        try {
            Raise(FOnReceiveDataSuccessEvent, this, item->Data);
        } catch (...) {
            Raise(FOnReceiveDataErrorEvent, this); // the rest waits for the next frame
            return;
        }
    }
}
