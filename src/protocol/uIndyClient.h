#pragma once

#include "DataThread.h"
#include "DataUnit.h"
#include "MessageWindow.h"
#include "TObject.h"

#include <QByteArray>
#include <QString>

#include <atomic>
#include <deque>
#include <memory>
#include <mutex>

class TcpClient;

using TOnConnectEvent = std::function<void(TObject *Sender, bool Connected)>;
using TOnReceiveDataSuccess = std::function<void(TObject *Sender, const QString &Data)>;

// Messages posted to the connection's hidden window; they carry no data, the data waits here.
enum : unsigned {
    WM_SOCKET_CONNECT = 2025,
    WM_SOCKET_RECEIVE = 2027,
    WM_SOCKET_ERROR = 2028,
};

// The framed connection to the community server: each frame is one message text followed by a
// zero byte (UTF-8 out, the ANSI code page in). A sender and a receiver thread run from creation
// to destruction; what they learn reaches the creating thread only by posted messages.
class TQivClient : public TObject {
public:
    TQivClient();
    ~TQivClient() override;

    void Connect();    // blocks for at most 3 seconds; the outcome is Connected, then OnConnectEvent
    void DisConnect(); // any thread
    void SendData(const QString &Str);

    int Port() const { return FPort; }
    void SetPort(int Value) { FPort = Value; }
    QString Host() const { return FHost; }
    void SetHost(const QString &Value) { FHost = Value; }
    bool Connected() const { return FConnected.load(); }

    TALVIK_EVENT(TOnConnectEvent, ConnectEvent)
    TALVIK_EVENT(TOnReceiveDataSuccess, ReceiveDataSuccessEvent)
    TALVIK_EVENT(TNotifyEvent, ReceiveDataErrorEvent)

private:
    struct TSocketRef {
        std::shared_ptr<TcpClient> Socket;
        quint64 Connection = 0; // which connection it belongs to
    };

    void SendThreadEvent(TObject *Sender);
    void ReceiveThreadEvent(TObject *Sender);
    void SendStep();
    void ClientWndProc(TMessage &Message);
    void DispatchReceiveData();
    TSocketRef CurrentSocket() const;
    bool DisConnectIfCurrent(quint64 connection);

    int FPort = 0;
    QString FHost;
    std::atomic<bool> FConnected{false};
    std::unique_ptr<MessageWindow> FWindow;
    THandle FHandle = 0;

    std::mutex FSendLock;
    std::deque<std::unique_ptr<TDataObject>> FSendDataList;
    std::mutex FReceiveLock;
    std::deque<std::unique_ptr<TDataObject>> FReceiveDataList;
    // A 2027 is on its way: the frames queued meanwhile ride on it instead of waking the
    // user-interface thread once each.
    std::atomic<bool> FReceivePosted{false};
    QByteArray FReceiveStream;       // receiver thread only
    quint64 FReceiveConnection = 0;  // receiver thread only: the connection FReceiveStream belongs to

    // Taking a frame out and writing it is one step under this lock, so frames leave whole and
    // in queue order even when the sender thread and a SendData caller step at the same time.
    std::mutex FSendStepLock;

    mutable std::mutex FSocketLock; // guards the two fields below and the writes of FConnected
    std::shared_ptr<TcpClient> FIdTCPClient;
    quint64 FConnection = 0;

    std::unique_ptr<TDataThread> FSendDataThread;
    std::unique_ptr<TDataThread> FReceiveDataThread;
};
