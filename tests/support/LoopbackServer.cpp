#include "LoopbackServer.h"

#include <asio.hpp>

#include <sys/socket.h>

#include <atomic>
#include <list>
#include <mutex>
#include <thread>

namespace {

class TConnection : public TLoopbackConnection {
public:
    explicit TConnection(asio::ip::tcp::socket socket) : FSocket(std::move(socket)) {}

    std::optional<QByteArray> ReadUntil(char terminator) override
    {
        for (;;) {
            const qsizetype at = FBuffer.indexOf(terminator);
            if (at >= 0) {
                QByteArray part = FBuffer.left(at);
                FBuffer.remove(0, at + 1);
                return part;
            }
            if (!Fill())
                return std::nullopt;
        }
    }

    std::optional<QByteArray> ReadExactly(qsizetype count) override
    {
        while (FBuffer.size() < count)
            if (!Fill())
                return std::nullopt;
        QByteArray part = FBuffer.left(count);
        FBuffer.remove(0, count);
        return part;
    }

    bool Write(const QByteArray &bytes) override
    {
        asio::error_code ec;
        asio::write(FSocket, asio::buffer(bytes.constData(), size_t(bytes.size())), ec);
        return !ec;
    }

    void Close() override { ::shutdown(FSocket.native_handle(), SHUT_RDWR); }

private:
    bool Fill()
    {
        char chunk[65536];
        asio::error_code ec;
        const size_t n = FSocket.read_some(asio::buffer(chunk), ec);
        if (ec || n == 0)
            return false;
        FBuffer.append(chunk, qsizetype(n));
        return true;
    }

    asio::ip::tcp::socket FSocket;
    QByteArray FBuffer;
};

} // namespace

struct TLoopbackServer::TImpl {
    asio::io_context Io;
    asio::ip::tcp::acceptor Acceptor{Io, asio::ip::tcp::endpoint(asio::ip::address_v4::loopback(), 0)};
    THandler Handler;
    std::atomic<bool> Stopping{false};
    std::atomic<int> Accepted{0};
    std::mutex Lock;
    std::list<std::shared_ptr<TConnection>> Connections;
    std::list<std::thread> Threads;
    std::thread AcceptThread;

    void AcceptLoop()
    {
        for (;;) {
            asio::ip::tcp::socket socket(Io);
            asio::error_code ec;
            Acceptor.accept(socket, ec);
            if (ec || Stopping)
                return;
            ++Accepted;
            auto connection = std::make_shared<TConnection>(std::move(socket));
            std::lock_guard<std::mutex> locker(Lock);
            Connections.push_back(connection);
            Threads.emplace_back([this, connection] { Handler(*connection); });
        }
    }
};

TLoopbackServer::TLoopbackServer(THandler handler) : FImpl(std::make_unique<TImpl>())
{
    FImpl->Handler = std::move(handler);
    FImpl->AcceptThread = std::thread([this] { FImpl->AcceptLoop(); });
}

TLoopbackServer::~TLoopbackServer()
{
    FImpl->Stopping = true;
    ::shutdown(FImpl->Acceptor.native_handle(), SHUT_RDWR); // wakes the blocked accept
    FImpl->AcceptThread.join();
    std::lock_guard<std::mutex> locker(FImpl->Lock);
    for (const auto &connection : FImpl->Connections)
        connection->Close();
    for (std::thread &thread : FImpl->Threads)
        thread.join();
}

int TLoopbackServer::Port() const
{
    return FImpl->Acceptor.local_endpoint().port();
}

int TLoopbackServer::Accepted() const
{
    return FImpl->Accepted;
}
