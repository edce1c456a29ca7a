// The question data download of a large file from a loopback HTTP server, beside `curl -o` of the
// same file from the same server, with the peak memory the download added to the process.
#include "HttpDownThreadUnit.h"
#include "MessageWindow.h"

#include <httplib.h>

#include <QCoreApplication>
#include <QFile>
#include <QThread>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <thread>

namespace {

const qint64 FileSize = qint64(1) << 30;
const char *SourceFile = "/tmp/talvik-download-bench.src";
const char *TargetFile = "/tmp/talvik-download-bench.dst";

void MakeSourceFile()
{
    QFile file(QString::fromLatin1(SourceFile));
    if (file.size() == FileSize)
        return;
    file.open(QIODevice::WriteOnly | QIODevice::Truncate);
    QByteArray block(4 << 20, '\0');
    for (qsizetype i = 0; i < block.size(); ++i)
        block[i] = char(i * 131 % 251);
    for (qint64 written = 0; written < FileSize; written += block.size())
        file.write(block);
}

// Serves the source file from disk in pieces, announcing its length.
class TFileServer {
public:
    TFileServer()
    {
        FServer.Get("/data", [](const httplib::Request &, httplib::Response &res) {
            auto file = std::make_shared<std::ifstream>(SourceFile, std::ios::binary);
            res.set_content_provider(size_t(FileSize), "application/octet-stream",
                                     [file](size_t offset, size_t length, httplib::DataSink &sink) {
                                         static thread_local std::string buffer(1 << 20, '\0');
                                         const size_t n = std::min(length, buffer.size());
                                         file->seekg(std::streamoff(offset));
                                         file->read(buffer.data(), std::streamsize(n));
                                         return sink.write(buffer.data(), size_t(file->gcount()));
                                     });
        });
        FPort = FServer.bind_to_any_port("127.0.0.1");
        FThread = std::thread([this] { FServer.listen_after_bind(); });
        while (!FServer.is_running())
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    ~TFileServer()
    {
        FServer.stop();
        FThread.join();
    }
    std::string Url() const { return "http://127.0.0.1:" + std::to_string(FPort) + "/data"; }

private:
    httplib::Server FServer;
    int FPort = 0;
    std::thread FThread;
};

long ProcStatusKb(const char *field)
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind(field, 0) == 0)
            return std::atol(line.c_str() + std::strlen(field));
    return 0;
}

void ResetPeakMemory()
{
    std::ofstream("/proc/self/clear_refs") << "5"; // the peak resident size starts again from now
}

void BM_QuestionDataDownload(benchmark::State &state)
{
    MakeSourceFile();
    TFileServer server;
    for (auto _ : state) {
        ResetPeakMemory();
        const long before = ProcStatusKb("VmRSS:");
        bool ended = false;
        bool finished = false;
        MessageWindow window([&](TMessage &m) {
            if (m.Msg == WM_DOWNDATA_FINISH || m.Msg == WM_DOWNDATA_ERROR) {
                ended = true;
                finished = m.Msg == WM_DOWNDATA_FINISH;
            }
        });
        auto *thread = new THttpDownThread;
        thread->SetURL(QString::fromStdString(server.Url()));
        thread->SetSaveFileName(QString::fromLatin1(TargetFile));
        thread->SetReceiveHandle(window.Handle());
        thread->Start();
        while (!ended)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        state.counters["peak_added_MiB"] = double(ProcStatusKb("VmHWM:") - before) / 1024.0;
        if (!finished || QFile(QString::fromLatin1(TargetFile)).size() != FileSize)
            state.SkipWithError("the download did not complete");
    }
    state.SetBytesProcessed(state.iterations() * FileSize);
    std::remove(TargetFile);
}

void BM_CurlCommandLine(benchmark::State &state)
{
    MakeSourceFile();
    TFileServer server;
    const std::string command = "curl -s --noproxy '*' -o " + std::string(TargetFile) + " " + server.Url();
    for (auto _ : state)
        if (std::system(command.c_str()) != 0)
            state.SkipWithError("curl failed");
    state.SetBytesProcessed(state.iterations() * FileSize);
    std::remove(TargetFile);
}

BENCHMARK(BM_QuestionDataDownload)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
BENCHMARK(BM_CurlCommandLine)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::remove(SourceFile);
    return 0;
}
