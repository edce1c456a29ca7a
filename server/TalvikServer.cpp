#include "TalvikServer.h"

#include "DemoSeed.h"
#include "MessageHandler.h"
#include "MessageServer.h"
#include "Publisher.h"
#include "ServerLog.h"
#include "WebServer.h"

#include <QDir>

#include <csignal>

using namespace Qt::StringLiterals;

namespace {
constexpr auto NoticePoll = std::chrono::seconds(2);

bool IsWildcard(const QString &host)
{
    return host == u"0.0.0.0"_s || host == u"::"_s;
}

QString HostForUrl(const QString &host)
{
    return host.contains(u':') && !host.startsWith(u'[') ? u"["_s + host + u"]"_s : host;
}
} // namespace

TTalvikServer::TTalvikServer(TServerOptions options)
    : FOptions(std::move(options)), FWire(FOptions.Ascii), FWork(asio::make_work_guard(FIo)),
      FSignals(FIo, SIGINT, SIGTERM), FNoticeTimer(FIo)
{
}

TTalvikServer::~TTalvikServer()
{
    Stop();
}

void TTalvikServer::RunOnStore(const std::function<void(TStore &)> &work)
{
    if (std::this_thread::get_id() == FIoThreadId) {
        if (!FStore)
            throw EStoreError("the store is closed");
        work(*FStore);
        return;
    }
    std::promise<void> done;
    std::future<void> finished = done.get_future();
    asio::post(FIo, [&] {
        try {
            if (!FStore)
                throw EStoreError("the store is closed");
            work(*FStore);
            done.set_value();
        } catch (...) {
            done.set_exception(std::current_exception());
        }
    });
    finished.get();
}

QString TTalvikServer::QuestionDataUrl(const QString &localHost) const
{
    const QString host = IsWildcard(FOptions.HttpHost) ? localHost : HostForUrl(FOptions.HttpHost);
    return u"http://%1:%2"_s.arg(host).arg(FHttpPort) + TWebServer::PublishedPath();
}

void TTalvikServer::OpenOnIoThread()
{
    FStore = std::make_unique<TStore>(FOptions.DataDir);
    if (FOptions.Seed == u"demo"_s)
        ServerLog::Line(DemoSeed::Seed(*FStore) ? u"seeded the demo community"_s : u"demo community already there"_s);
    FPublisher = std::make_unique<TPublisher>(FOptions.DataDir, [this] {
        TPublishSource source;
        RunOnStore([&](TStore &store) {
            source.Types = store.QuestionTypes();
            source.Questions = store.QuestionIndex();
        });
        return source;
    });
    FPublisher->PublishNow();
    FHandler = std::make_unique<TMessageHandler>(*FStore, *FPublisher, FWire,
                                                 [this](const TSessionLink &link) { return QuestionDataUrl(link.LocalHost()); });
    TTransferConversation::TEnvironment transfer;
    transfer.UploadDir = QDir(FOptions.DataDir).filePath(u"uploads"_s);
    transfer.Allowed = [this](const QString &user) {
        const std::optional<TMember> member = FStore->FindMember(user);
        return member && !member->Locked;
    };
    transfer.Completed = [this](const QString &user, const QString &fileName, qint64 size) {
        FStore->AddSharedFile(user, fileName, size);
    };
    TMessageServer::TLimits limits;
    limits.Idle = std::chrono::seconds(FOptions.IdleSeconds);
    FMessages = std::make_unique<TMessageServer>(FIo, *FHandler, transfer, limits);
    FMessageAddress = EndpointText(FMessages->Listen(FOptions.ListenHost, FOptions.ListenPort));
    FSignals.async_wait([this](const asio::error_code &ec, int signal) {
        if (!ec) {
            ServerLog::Line(u"signal %1: stopping"_s.arg(signal));
            FSignalled.set_value();
        }
    });
    PollNotices();
}

void TTalvikServer::PollNotices()
{
    FNoticeTimer.expires_after(NoticePoll);
    FNoticeTimer.async_wait([this](const asio::error_code &ec) {
        if (ec || !FHandler)
            return;
        try {
            FHandler->BroadcastNewNotices();
        } catch (const std::exception &error) {
            ServerLog::Line(u"notice poll failed: %1"_s.arg(QString::fromLocal8Bit(error.what())));
        }
        PollNotices();
    });
}

void TTalvikServer::Start()
{
    FIoThread = std::thread([this] { FIo.run(); });
    FIoThreadId = FIoThread.get_id();
    std::promise<void> opened;
    std::future<void> result = opened.get_future();
    asio::post(FIo, [&] {
        try {
            OpenOnIoThread();
            opened.set_value();
        } catch (...) {
            opened.set_exception(std::current_exception());
        }
    });
    result.get();
    FPublisher->Start();
    FWeb = std::make_unique<TWebServer>([this](const std::function<void(TStore &)> &work) { RunOnStore(work); },
                                        *FPublisher, QDir(FOptions.DataDir).filePath(u"uploads"_s));
    FHttpPort = FWeb->Listen(FOptions.HttpHost, FOptions.HttpPort);
    FHttpAddress = HostForUrl(FOptions.HttpHost) + u":"_s + QString::number(FHttpPort);
}

void TTalvikServer::WaitForSignal()
{
    FSignalled.get_future().wait();
}

// The order matters: everything that reaches the store through the io thread stops before it.
void TTalvikServer::Stop()
{
    if (!FIoThread.joinable())
        return;
    if (FWeb)
        FWeb->Stop();
    asio::post(FIo, [this] {
        FNoticeTimer.cancel();
        asio::error_code ignored;
        FSignals.cancel(ignored);
        if (FMessages)
            FMessages->Stop();
    });
    if (FPublisher)
        FPublisher->Stop();
    asio::post(FIo, [this] {
        FMessages.reset();
        FHandler.reset();
        FStore.reset();
        FWork.reset();
    });
    FIoThread.join();
    FWeb.reset();
    FPublisher.reset();
    ServerLog::Line(u"stopped"_s);
}
