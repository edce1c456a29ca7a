#pragma once

#include "TransferConversation.h"

#include <asio.hpp>

#include <QString>

#include <chrono>
#include <memory>
#include <set>

class TMessageHandler;
class TSession;

// The message port. A connection whose first message is a zero-ended frame speaks the message
// protocol; one whose first message is a line with a code below 10000 is a file transfer.
// Everything runs on the io_context's one thread, which is also the store's thread.
class TMessageServer {
public:
    struct TLimits {
        std::chrono::seconds Idle{60};     // silence after which a connection is dropped
        qsizetype MaxFrame = 1 << 20;      // a longer frame closes the connection
        qsizetype MaxQueued = 32 << 20;    // unsent bytes beyond this: the reader is too slow
    };

    TMessageServer(asio::io_context &io, TMessageHandler &handler, TTransferConversation::TEnvironment transfer,
                   TLimits limits);
    ~TMessageServer();

    asio::ip::tcp::endpoint Listen(const QString &host, quint16 port); // throws std::runtime_error
    void Stop(); // closes the port and every connection

private:
    friend class TSession;
    void Accept();
    void Remove(const std::shared_ptr<TSession> &session);

    asio::io_context &FIo;
    asio::ip::tcp::acceptor FAcceptor;
    asio::steady_timer FRetry;
    TMessageHandler &FHandler;
    TTransferConversation::TEnvironment FTransfer;
    TLimits FLimits;
    std::set<std::shared_ptr<TSession>> FSessions;
};

QString EndpointText(const asio::ip::tcp::endpoint &endpoint);
