#pragma once

#include <QByteArray>
#include <QString>

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <stdexcept>

class ETcpError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A blocking TCP client.
//
// Connect waits at most the given time. WriteBlock writes a block whole; concurrent writers never
// interleave. ReadByte hands out one byte at a time from the client's own buffer, refilling it
// from the socket and waiting as long as it takes. Close may be called from any thread: it shuts
// the connection down, which releases a reader blocked in ReadByte and makes it throw. The socket
// itself is freed with the object, so share the object (std::shared_ptr) among the threads that
// use it and it is released only when none of them still does.
class TcpClient {
public:
    TcpClient();
    ~TcpClient();
    TcpClient(const TcpClient &) = delete;
    TcpClient &operator=(const TcpClient &) = delete;

    // Throws ETcpError when the host cannot be resolved, refuses, or does not answer in time.
    void Connect(const QString &host, quint16 port, int timeoutMs);
    void Close();
    bool IsOpen() const { return FOpen.load(); }

    void WriteBlock(const QByteArray &bytes); // throws ETcpError
    std::uint8_t ReadByte()                   // throws ETcpError when the connection ends
    {
        if (FReadPos == FReadEnd)
            Refill();
        return FReadBuffer[FReadPos++];
    }
    // Appends to `out` the bytes up to the next byte equal to `terminator`, which is consumed
    // but not appended. Throws ETcpError when the connection ends first; the bytes read so far
    // stay in `out`.
    void ReadUntil(char terminator, QByteArray &out);

private:
    void Refill();

    struct TImpl;
    std::unique_ptr<TImpl> FImpl;
    std::atomic<bool> FOpen{false};
    std::mutex FWriteLock;
    std::unique_ptr<std::uint8_t[]> FReadBuffer;
    std::size_t FReadPos = 0;
    std::size_t FReadEnd = 0;
};
