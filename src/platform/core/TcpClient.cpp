#include "TcpClient.h"

#include <asio.hpp>

#ifdef _WIN32
#include <winsock2.h>
#else
#include <sys/socket.h>
#endif

#include <chrono>
#include <cstring>

namespace {
constexpr std::size_t ReadBufferSize = 64 * 1024;

std::string Describe(const asio::error_code &ec) { return ec.message(); }
} // namespace

struct TcpClient::TImpl {
    asio::io_context Io;
    asio::ip::tcp::socket Socket{Io};
};

TcpClient::TcpClient() : FImpl(std::make_unique<TImpl>()), FReadBuffer(new std::uint8_t[ReadBufferSize]) {}

TcpClient::~TcpClient()
{
    asio::error_code ignored;
    FImpl->Socket.close(ignored);
}

void TcpClient::Connect(const QString &host, quint16 port, int timeoutMs)
{
    Close();
    asio::error_code ec;
    FImpl->Socket.close(ec);
    FReadPos = FReadEnd = 0;

    asio::ip::tcp::resolver resolver(FImpl->Io);
    const auto endpoints = resolver.resolve(host.toStdString(), std::to_string(port), ec);
    if (ec)
        throw ETcpError("cannot resolve " + host.toStdString() + ": " + Describe(ec));

    // The connect runs asynchronously only so that it can be given up after the time-out.
    asio::error_code connectResult = asio::error::would_block;
    asio::async_connect(FImpl->Socket, endpoints,
                        [&](const asio::error_code &result, const asio::ip::tcp::endpoint &) { connectResult = result; });
    FImpl->Io.restart();
    FImpl->Io.run_for(std::chrono::milliseconds(timeoutMs));
    if (connectResult == asio::error::would_block) {
        FImpl->Socket.close(ec); // cancels the attempt
        FImpl->Io.restart();
        FImpl->Io.run(); // lets the cancelled handler finish before the lambda's captures go away
        throw ETcpError("connect to " + host.toStdString() + " timed out");
    }
    if (connectResult) {
        FImpl->Socket.close(ec);
        throw ETcpError("connect to " + host.toStdString() + " failed: " + Describe(connectResult));
    }
    FImpl->Socket.set_option(asio::ip::tcp::no_delay(true), ec);
    FOpen = true;
}

void TcpClient::Close()
{
    // Only shut down here: the descriptor stays valid until the object goes, so a thread still
    // inside a read or write fails cleanly instead of touching a reused descriptor.
    if (!FOpen.exchange(false))
        return;
#ifdef _WIN32
    ::shutdown(FImpl->Socket.native_handle(), SD_BOTH);
#else
    ::shutdown(FImpl->Socket.native_handle(), SHUT_RDWR);
#endif
}

void TcpClient::WriteBlock(const QByteArray &bytes)
{
    std::lock_guard<std::mutex> locker(FWriteLock);
    if (!FOpen)
        throw ETcpError("not connected");
    asio::error_code ec;
    asio::write(FImpl->Socket, asio::buffer(bytes.constData(), std::size_t(bytes.size())), ec);
    if (ec)
        throw ETcpError("write failed: " + Describe(ec));
}

void TcpClient::Refill()
{
    if (!FOpen)
        throw ETcpError("not connected");
    asio::error_code ec;
    const std::size_t n = FImpl->Socket.read_some(asio::buffer(FReadBuffer.get(), ReadBufferSize), ec);
    if (ec || n == 0)
        throw ETcpError(ec == asio::error::eof ? std::string("connection closed by peer") : "read failed: " + Describe(ec));
    FReadPos = 0;
    FReadEnd = n;
}

void TcpClient::ReadUntil(char terminator, QByteArray &out)
{
    for (;;) {
        if (FReadPos == FReadEnd)
            Refill();
        const auto *begin = FReadBuffer.get() + FReadPos;
        const auto *end = FReadBuffer.get() + FReadEnd;
        const auto *hit = static_cast<const std::uint8_t *>(std::memchr(begin, terminator, std::size_t(end - begin)));
        if (hit) {
            out.append(reinterpret_cast<const char *>(begin), hit - begin);
            FReadPos += std::size_t(hit - begin) + 1;
            return;
        }
        out.append(reinterpret_cast<const char *>(begin), end - begin);
        FReadPos = FReadEnd;
    }
}
