#pragma once

#include "ServerOptions.h"
#include "Store.h"
#include "WireText.h"

#include <asio.hpp>

#include <functional>
#include <future>
#include <memory>
#include <thread>

class TMessageHandler;
class TMessageServer;
class TPublisher;
class TWebServer;

// The whole server: the io thread runs the message port and owns the store; the web server's
// threads and the publisher reach the store through RunOnStore.
class TTalvikServer {
public:
    explicit TTalvikServer(TServerOptions options);
    ~TTalvikServer();

    void Start(); // throws when the store or a port cannot be opened
    void WaitForSignal(); // SIGINT or SIGTERM
    void Stop();

    QString MessageAddress() const { return FMessageAddress; }
    QString HttpAddress() const { return FHttpAddress; }

    void RunOnStore(const std::function<void(TStore &)> &work);

private:
    void OpenOnIoThread();
    void PollNotices();
    QString QuestionDataUrl(const QString &localHost) const;

    TServerOptions FOptions;
    TWireText FWire;
    asio::io_context FIo;
    asio::executor_work_guard<asio::io_context::executor_type> FWork;
    asio::signal_set FSignals;
    asio::steady_timer FNoticeTimer;
    std::thread FIoThread;
    std::thread::id FIoThreadId;
    std::promise<void> FSignalled;
    std::unique_ptr<TStore> FStore;
    std::unique_ptr<TPublisher> FPublisher;
    std::unique_ptr<TMessageHandler> FHandler;
    std::unique_ptr<TMessageServer> FMessages;
    std::unique_ptr<TWebServer> FWeb;
    QString FMessageAddress;
    QString FHttpAddress;
    quint16 FHttpPort = 0;
};
