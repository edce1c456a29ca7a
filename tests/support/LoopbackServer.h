#pragma once

#include <QByteArray>

#include <functional>
#include <memory>
#include <optional>

// A TCP server on 127.0.0.1 (ephemeral port) for tests. Each accepted connection runs the handler
// on a thread of its own, which talks to the client with blocking reads and writes; the server
// shuts every connection down and joins those threads when it goes.
class TLoopbackConnection {
public:
    virtual ~TLoopbackConnection() = default;
    // The bytes up to the next terminator (not included); nothing once the peer has closed.
    virtual std::optional<QByteArray> ReadUntil(char terminator) = 0;
    virtual std::optional<QByteArray> ReadExactly(qsizetype count) = 0;
    virtual bool Write(const QByteArray &bytes) = 0;
    virtual void Close() = 0;
};

class TLoopbackServer {
public:
    using THandler = std::function<void(TLoopbackConnection &connection)>;

    explicit TLoopbackServer(THandler handler);
    ~TLoopbackServer();
    TLoopbackServer(const TLoopbackServer &) = delete;
    TLoopbackServer &operator=(const TLoopbackServer &) = delete;

    int Port() const;
    int Accepted() const; // connections accepted so far

private:
    struct TImpl;
    std::unique_ptr<TImpl> FImpl;
};
