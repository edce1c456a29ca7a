// Envelope pack/unpack, frames received over loopback (TQivClient beside a plain recv loop),
// and Md5OfFile beside `openssl md5` on the same file.

#include "JsonDataUnit.h"
#include "LoopbackListener.h"
#include "ProtocolPostQuestionUnit.h"
#include "md5.h"
#include "uIndyClient.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>

#include <benchmark/benchmark.h>

#include <thread>

using namespace Qt::StringLiterals;

namespace {

QString PostQuestionMessage()
{
    TProtocolPostQuestion request;
    request.SetNickName(u"张三"_s);
    request.SetMarks(5);
    request.SetTitle(u"How do I read a zero-terminated frame from a socket?"_s);
    request.SetContent(u"Reading one byte at a time is slow.\r\nSee http://example.com/a/b for the code."_s);
    request.SetClassification(3);
    return request.Data();
}

void BM_PackProtocol(benchmark::State &state)
{
    int code = 0;
    QString body;
    UnpackProtocol(PostQuestionMessage(), code, body);
    for (auto _ : state)
        benchmark::DoNotOptimize(PackProtocol(code, body));
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_PackProtocol);

void BM_UnpackProtocol(benchmark::State &state)
{
    const QString message = PostQuestionMessage();
    int code = 0;
    QString body;
    for (auto _ : state) {
        benchmark::DoNotOptimize(UnpackProtocol(message, code, body));
        benchmark::DoNotOptimize(body);
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_UnpackProtocol);

constexpr int FrameCount = 100000;
constexpr int FrameSize = 200; // zero byte included

// 100,000 notice messages of 200 bytes each, zero-terminated, back to back.
const QByteArray &Stream()
{
    static const QByteArray stream = [] {
        QByteArray text = R"({"version":1,"protocol":10006,"data":"{\"type\":0,\"title\":\"t\",\"content\":\")";
        const QByteArray tail = R"(\"}"})";
        text += QByteArray(FrameSize - 1 - text.size() - tail.size(), 'x') + tail;
        QByteArray all;
        all.reserve(qsizetype(FrameCount) * FrameSize);
        for (int i = 0; i < FrameCount; ++i)
            all += text + '\0';
        return all;
    }();
    return stream;
}

void SetBytes(benchmark::State &state)
{
    state.SetItemsProcessed(state.iterations() * FrameCount);
    state.SetBytesProcessed(state.iterations() * Stream().size());
}

void BM_ReceiveFramesQivClient(benchmark::State &state)
{
    TLoopbackListener server;
    for (auto _ : state) {
        TQivClient client;
        int received = 0;
        client.SetOnReceiveDataSuccessEvent([&](TObject *, const QString &) { ++received; });
        client.SetHost(u"127.0.0.1"_s);
        client.SetPort(server.Port());
        client.Connect();
        auto peer = server.Accept();
        if (!client.Connected() || !peer) {
            state.SkipWithError("no loopback connection");
            return;
        }
        std::thread writer([&] { peer->Send(Stream()); });
        const QDeadlineTimer deadline(60000);
        while (received < FrameCount && !deadline.hasExpired())
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 100);
        writer.join();
        if (received != FrameCount)
            state.SkipWithError("frames went missing");
    }
    SetBytes(state);
}
BENCHMARK(BM_ReceiveFramesQivClient)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

void BM_ReceiveFramesPlainRecv(benchmark::State &state)
{
    TLoopbackListener server;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(server.Port());
    for (auto _ : state) {
        const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
        ::connect(fd, reinterpret_cast<sockaddr *>(&address), sizeof address);
        auto peer = server.Accept();
        std::thread writer([&] { peer->Send(Stream()); });
        int frames = 0;
        char buffer[64 * 1024];
        while (frames < FrameCount) {
            const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
            if (n <= 0)
                break;
            for (const char *p = buffer, *end = buffer + n; (p = static_cast<const char *>(std::memchr(p, 0, size_t(end - p)))); ++p)
                ++frames;
        }
        writer.join();
        ::close(fd);
        if (frames != FrameCount)
            state.SkipWithError("frames went missing");
    }
    SetBytes(state);
}
BENCHMARK(BM_ReceiveFramesPlainRecv)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

QString Md5FilePath()
{
    return QDir::tempPath() + u"/talvik-md5-bench-"_s + QString::number(QCoreApplication::applicationPid());
}

// 512 MiB in /tmp, made once for both MD5 benchmarks and deleted at the end.
const QString &Md5File()
{
    static const QString name = [] {
        const QString path = Md5FilePath();
        QFile file(path);
        if (file.open(QIODevice::WriteOnly)) {
            QByteArray chunk(8 << 20, Qt::Uninitialized);
            QRandomGenerator generator(1);
            for (int i = 0; i < 64; ++i) {
                generator.fillRange(reinterpret_cast<quint32 *>(chunk.data()), chunk.size() / 4);
                file.write(chunk);
            }
        }
        return path;
    }();
    return name;
}

void SetFileBytes(benchmark::State &state)
{
    state.SetBytesProcessed(state.iterations() * QFileInfo(Md5File()).size());
}

void BM_Md5OfFile(benchmark::State &state)
{
    Md5OfFile(Md5File()); // the file in the page cache, as for openssl
    for (auto _ : state)
        benchmark::DoNotOptimize(Md5OfFile(Md5File()));
    SetFileBytes(state);
}
BENCHMARK(BM_Md5OfFile)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

void BM_OpensslMd5Command(benchmark::State &state)
{
    for (auto _ : state) {
        QProcess openssl;
        openssl.setStandardOutputFile(QProcess::nullDevice());
        openssl.start(u"openssl"_s, {u"md5"_s, Md5File()});
        if (!openssl.waitForFinished(60000) || openssl.exitCode() != 0) {
            state.SkipWithError("openssl md5 failed");
            return;
        }
    }
    SetFileBytes(state);
}
BENCHMARK(BM_OpensslMd5Command)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    QFile::remove(Md5FilePath());
    return 0;
}
