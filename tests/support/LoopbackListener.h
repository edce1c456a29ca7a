#pragma once

// A loopback-only TCP listener for tests that drive the peer step by step: a listener on 127.0.0.1
// with an ephemeral port, and the accepted connections, read and written with bounded waits.

#include <QByteArray>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <memory>
#include <thread>
#include <vector>

class TLoopbackPeer {
public:
    explicit TLoopbackPeer(int fd) : FFd(fd)
    {
        const int on = 1;
        ::setsockopt(FFd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    }
    ~TLoopbackPeer() { Close(); }
    TLoopbackPeer(const TLoopbackPeer &) = delete;
    TLoopbackPeer &operator=(const TLoopbackPeer &) = delete;

    // Each call leaves as one segment of its own: the pause lets the previous one go out alone.
    void Send(const QByteArray &bytes, int pauseMs = 0)
    {
        if (pauseMs > 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(pauseMs));
        ::send(FFd, bytes.constData(), size_t(bytes.size()), MSG_NOSIGNAL);
    }

    // Reads until `count` bytes came, the peer closed, or the time ran out.
    QByteArray Read(qsizetype count, int timeoutMs)
    {
        QByteArray out;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        while (out.size() < count && Wait(deadline)) {
            char buffer[4096];
            const ssize_t n = ::recv(FFd, buffer, sizeof buffer, 0);
            if (n <= 0)
                break;
            out.append(buffer, qsizetype(n));
        }
        return out;
    }

    // True when the other side closed the connection within the time.
    bool WaitClosed(int timeoutMs)
    {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        while (Wait(deadline)) {
            char buffer[4096];
            if (::recv(FFd, buffer, sizeof buffer, 0) <= 0)
                return true;
        }
        return false;
    }

    void Close()
    {
        if (FFd >= 0)
            ::close(FFd);
        FFd = -1;
    }

private:
    bool Wait(std::chrono::steady_clock::time_point deadline)
    {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0)
            return false;
        pollfd p{FFd, POLLIN, 0};
        return ::poll(&p, 1, int(left.count())) > 0;
    }

    int FFd;
};

class TLoopbackListener {
public:
    // A backlog of 0 that is never accepted from, once filled, makes the next connect hang:
    // Linux then drops the SYNs instead of refusing them.
    explicit TLoopbackListener(int backlog = 16)
    {
        FFd = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::bind(FFd, reinterpret_cast<sockaddr *>(&address), sizeof address);
        ::listen(FFd, backlog);
        socklen_t length = sizeof address;
        ::getsockname(FFd, reinterpret_cast<sockaddr *>(&address), &length);
        FPort = ntohs(address.sin_port);
    }
    ~TLoopbackListener()
    {
        for (const int fd : FFillers)
            ::close(fd);
        ::close(FFd);
    }
    TLoopbackListener(const TLoopbackListener &) = delete;
    TLoopbackListener &operator=(const TLoopbackListener &) = delete;

    quint16 Port() const { return FPort; }

    std::unique_ptr<TLoopbackPeer> Accept(int timeoutMs = 3000)
    {
        pollfd p{FFd, POLLIN, 0};
        if (::poll(&p, 1, timeoutMs) <= 0)
            return nullptr;
        const int fd = ::accept(FFd, nullptr, nullptr);
        return fd < 0 ? nullptr : std::make_unique<TLoopbackPeer>(fd);
    }

    // Fills the accept queue with connects that are never accepted (call with backlog 0).
    void FillBacklog()
    {
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        address.sin_port = htons(FPort);
        for (int i = 0; i < 2; ++i) {
            const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0);
            ::connect(fd, reinterpret_cast<sockaddr *>(&address), sizeof address);
            FFillers.push_back(fd);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50)); // the handshakes settle
    }

private:
    int FFd = -1;
    quint16 FPort = 0;
    std::vector<int> FFillers;
};
