#include "MessageServer.h"

#include "MessageHandler.h"
#include "ServerLog.h"

#include "Json.h"

#include <array>
#include <deque>

using namespace Qt::StringLiterals;

QString EndpointText(const asio::ip::tcp::endpoint &endpoint)
{
    const QString host = QString::fromStdString(endpoint.address().to_string());
    return (endpoint.address().is_v6() ? u"["_s + host + u"]"_s : host) + u":"_s + QString::number(endpoint.port());
}

class TSession : public TSessionLink, public std::enable_shared_from_this<TSession> {
public:
    TSession(asio::ip::tcp::socket socket, TMessageServer &server)
        : FSocket(std::move(socket)), FIdle(server.FIo), FServer(server)
    {
        asio::error_code ec;
        FPeer = EndpointText(FSocket.remote_endpoint(ec));
        const auto local = FSocket.local_endpoint(ec);
        FLocalHost = EndpointText(local).section(u':', 0, -2);
    }

    void Start()
    {
        ServerLog::Line(u"%1 connected"_s.arg(FPeer));
        ArmIdle();
        ReadMore();
    }

    void SendFrame(const QByteArray &frame) override { Queue(frame); }
    QString Peer() const override { return FPeer; }
    QString LocalHost() const override { return FLocalHost; }

    // Safe from any handler, this session's or another's: the pending read and timer keep the
    // session alive until their handlers have seen the close.
    void Close(const QString &why)
    {
        if (FClosed)
            return;
        FClosed = true;
        asio::error_code ec;
        FSocket.shutdown(asio::ip::tcp::socket::shutdown_both, ec);
        FSocket.close(ec);
        FIdle.cancel();
        if (FMode == TMode::Messages)
            FServer.FHandler.Closed(*this);
        FTransfer.reset();
        ServerLog::Line(u"%1 closed: %2"_s.arg(FPeer, why));
        FServer.Remove(shared_from_this());
    }

private:
    enum class TMode { Undecided, Messages, Transfer };

    void ArmIdle()
    {
        FIdle.expires_after(FServer.FLimits.Idle);
        FIdle.async_wait([self = shared_from_this()](const asio::error_code &ec) {
            if (!ec)
                self->Close(u"silent too long"_s);
        });
    }

    void ReadMore()
    {
        FSocket.async_read_some(asio::buffer(FReadBuffer), [self = shared_from_this()](const asio::error_code &ec, size_t n) {
            if (self->FClosed)
                return;
            if (ec) {
                self->Close(ec == asio::error::eof ? u"by the peer"_s : QString::fromStdString(ec.message()));
                return;
            }
            self->ArmIdle();
            self->Consume(self->FReadBuffer.data(), qsizetype(n));
            if (!self->FClosed)
                self->ReadMore();
        });
    }

    void Consume(const char *data, qsizetype size)
    {
        if (FMode == TMode::Transfer) {
            Feed(data, size);
            return;
        }
        FPending.append(data, size);
        if (FMode == TMode::Undecided)
            Decide();
        if (FMode == TMode::Messages)
            TakeFrames();
        if (!FClosed && FPending.size() > FServer.FLimits.MaxFrame)
            Close(u"frame larger than %1 bytes"_s.arg(FServer.FLimits.MaxFrame));
    }

    // The first terminator tells: a zero byte ends a message frame; a first line holding a JSON
    // object with a code below 10000 is the transfer's first message. Any other first line is part
    // of a message frame (a line break inside one of its strings), and only the zero byte counts.
    void Decide()
    {
        for (; FScan < FPending.size(); ++FScan) {
            const char ch = FPending.at(FScan);
            if (ch == '\0') {
                FMode = TMode::Messages;
                FScan = 0;
                return;
            }
            if (ch == '\n' && !FFirstLineSeen) {
                FFirstLineSeen = true;
                if (IsTransferLine(FPending.left(FScan))) {
                    FMode = TMode::Transfer;
                    FTransfer = std::make_unique<TTransferConversation>(FServer.FTransfer);
                    const QByteArray pending = std::exchange(FPending, {});
                    Feed(pending.constData(), pending.size());
                    return;
                }
            }
        }
    }

    static bool IsTransferLine(QByteArray line)
    {
        if (line.endsWith('\r'))
            line.chop(1);
        TJsonObject message;
        return TJsonObject::TryParse(QString::fromUtf8(line), message) && message.IsObject()
               && message.GetInt(u"protocol"_s) < 10000;
    }

    void TakeFrames()
    {
        qsizetype start = 0;
        for (qsizetype end; !FClosed && (end = FPending.indexOf('\0', qMax(start, FScan))) >= 0; start = end + 1) {
            FServer.FHandler.HandleFrame(*this, FPending.mid(start, end - start));
            FScan = 0;
        }
        FPending.remove(0, start);
        FScan = FPending.size(); // the rest holds no zero byte
    }

    void Feed(const char *data, qsizetype size)
    {
        const QByteArray replies = FTransfer->Feed(data, size);
        if (!FTransfer->LastEvent().isEmpty())
            ServerLog::Line(u"%1 transfer %2"_s.arg(FPeer, FTransfer->LastEvent()));
        if (!replies.isEmpty())
            Queue(replies);
        if (FTransfer->WantsClose())
            Close(u"transfer ended: "_s + FTransfer->LastEvent());
    }

    void Queue(const QByteArray &bytes)
    {
        if (FClosed)
            return;
        FQueuedBytes += bytes.size();
        FWriteQueue.push_back(bytes);
        if (FQueuedBytes > FServer.FLimits.MaxQueued) {
            Close(u"not reading its replies"_s);
            return;
        }
        if (FWriteQueue.size() == 1)
            WriteNext();
    }

    void WriteNext()
    {
        const QByteArray &front = FWriteQueue.front();
        asio::async_write(FSocket, asio::buffer(front.constData(), size_t(front.size())),
                          [self = shared_from_this()](const asio::error_code &ec, size_t) {
                              if (self->FClosed)
                                  return;
                              if (ec) {
                                  self->Close(QString::fromStdString(ec.message()));
                                  return;
                              }
                              self->FQueuedBytes -= self->FWriteQueue.front().size();
                              self->FWriteQueue.pop_front();
                              if (!self->FWriteQueue.empty())
                                  self->WriteNext();
                          });
    }

    asio::ip::tcp::socket FSocket;
    asio::steady_timer FIdle;
    TMessageServer &FServer;
    QString FPeer;
    QString FLocalHost;
    std::array<char, 64 * 1024> FReadBuffer{};
    TMode FMode = TMode::Undecided;
    QByteArray FPending;
    qsizetype FScan = 0; // FPending before this holds no terminator still to act on
    bool FFirstLineSeen = false;
    std::unique_ptr<TTransferConversation> FTransfer;
    std::deque<QByteArray> FWriteQueue;
    qsizetype FQueuedBytes = 0;
    bool FClosed = false;
};

TMessageServer::TMessageServer(asio::io_context &io, TMessageHandler &handler,
                               TTransferConversation::TEnvironment transfer, TLimits limits)
    : FIo(io), FAcceptor(io), FRetry(io), FHandler(handler), FTransfer(std::move(transfer)), FLimits(limits)
{
}

TMessageServer::~TMessageServer() = default;

asio::ip::tcp::endpoint TMessageServer::Listen(const QString &host, quint16 port)
{
    try {
        const asio::ip::tcp::endpoint endpoint(asio::ip::make_address(host.toStdString()), port);
        FAcceptor.open(endpoint.protocol());
        FAcceptor.set_option(asio::ip::tcp::acceptor::reuse_address(true));
        FAcceptor.bind(endpoint);
        FAcceptor.listen(asio::socket_base::max_listen_connections);
    } catch (const std::system_error &error) {
        throw std::runtime_error("cannot listen for messages on " + host.toStdString() + ":" + std::to_string(port) + ": "
                                 + error.code().message());
    }
    Accept();
    return FAcceptor.local_endpoint();
}

void TMessageServer::Accept()
{
    FAcceptor.async_accept([this](const asio::error_code &ec, asio::ip::tcp::socket socket) {
        if (ec) {
            if (ec == asio::error::operation_aborted || !FAcceptor.is_open())
                return;
            // A transient failure (out of descriptors, a reset) must not stop the port.
            FRetry.expires_after(std::chrono::milliseconds(100));
            FRetry.async_wait([this](const asio::error_code &wait) {
                if (!wait)
                    Accept();
            });
            return;
        }
        asio::error_code option;
        socket.set_option(asio::ip::tcp::no_delay(true), option);
        auto session = std::make_shared<TSession>(std::move(socket), *this);
        FSessions.insert(session);
        session->Start();
        Accept();
    });
}

void TMessageServer::Remove(const std::shared_ptr<TSession> &session)
{
    FSessions.erase(session);
}

void TMessageServer::Stop()
{
    asio::error_code ec;
    FAcceptor.close(ec);
    FRetry.cancel();
    const auto sessions = FSessions; // Close removes from the set
    for (const auto &session : sessions)
        session->Close(u"server stopping"_s);
}
