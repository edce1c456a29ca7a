// Load on talvik-server: 200 members log in over loopback, then each sends heartbeats and now and
// then a question, waiting for each reply before the next request, for a bounded time (30 s, or
// TALVIK_LOAD_SECONDS). Reports replies per second, the slowest reply, the server's peak memory,
// and whether every stored post reached the published question database.
#include "AnsiCodePage.h"
#include "JsonDataUnit.h"
#include "ProtocolHeartbeatUnit.h"
#include "ProtocolLoginUnit.h"
#include "ProtocolPostQuestionUnit.h"

#include <asio.hpp>
#include <benchmark/benchmark.h>
#include <httplib.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QThread>

#include <unistd.h>

#include <chrono>
#include <memory>
#include <vector>

using namespace Qt::StringLiterals;
using TClock = std::chrono::steady_clock;

namespace {
constexpr int Clients = 200;
constexpr int PostEvery = 20; // one request in this many is a new question
constexpr int SeededQuestions = 300;

int LoadSeconds()
{
    const int seconds = qEnvironmentVariableIntValue("TALVIK_LOAD_SECONDS");
    return seconds > 0 ? qMin(seconds, 120) : 30;
}

QString UserName(int i)
{
    return u"load%1"_s.arg(i, 3, 10, QChar(u'0'));
}

// The server process, on ephemeral loopback ports over a temporary data directory.
class TServer {
public:
    TServer()
    {
        FProcess.setStandardOutputFile(FDir.filePath(u"out.txt"_s));
        FProcess.setStandardErrorFile(FDir.filePath(u"err.txt"_s));
        FProcess.start(QString::fromUtf8(TALVIK_SERVER_EXECUTABLE),
                       {u"--data"_s, FDir.filePath(u"data"_s), u"--seed"_s, u"demo"_s, u"--listen"_s, u"127.0.0.1:0"_s,
                        u"--http"_s, u"127.0.0.1:0"_s, u"--log"_s, FDir.filePath(u"server.log"_s)});
        for (const QDeadlineTimer deadline(15000); !deadline.hasExpired() && (!MessagePort || !HttpPort);) {
            FProcess.waitForFinished(20);
            QFile out(FDir.filePath(u"out.txt"_s));
            out.open(QIODevice::ReadOnly);
            for (const QByteArray &line : out.readAll().split('\n')) {
                const quint16 port = quint16(line.mid(line.lastIndexOf(':') + 1).toUInt());
                if (line.startsWith("listening messages "))
                    MessagePort = port;
                else if (line.startsWith("listening http "))
                    HttpPort = port;
            }
        }
    }
    ~TServer()
    {
        FProcess.terminate();
        if (!FProcess.waitForFinished(15000))
            FProcess.kill();
        FProcess.waitForFinished(2000);
        const QString keep = qEnvironmentVariable("TALVIK_LOAD_LOG"); // where to keep the server's log
        if (!keep.isEmpty()) {
            QFile::remove(keep);
            QFile::copy(FDir.filePath(u"server.log"_s), keep);
        }
    }

    double PeakMiB() const
    {
        QFile status(u"/proc/%1/status"_s.arg(FProcess.processId()));
        status.open(QIODevice::ReadOnly);
        for (const QByteArray &line : status.readAll().split('\n')) {
            if (line.startsWith("VmHWM:"))
                return line.mid(6).trimmed().split(' ').value(0).toDouble() / 1024.0;
        }
        return 0;
    }

    double CpuSeconds() const // user and system time of the server so far
    {
        QFile stat(u"/proc/%1/stat"_s.arg(FProcess.processId()));
        stat.open(QIODevice::ReadOnly);
        const QList<QByteArray> fields = stat.readAll().split(')').value(1).trimmed().split(' ');
        return (fields.value(11).toDouble() + fields.value(12).toDouble()) / double(sysconf(_SC_CLK_TCK));
    }

    quint16 MessagePort = 0;
    quint16 HttpPort = 0;

private:
    QTemporaryDir FDir;
    QProcess FProcess;
};

struct TTotals {
    long Replies = 0;
    long Posts = 0;
    long PostsStored = 0;
    long Notices = 0;
    long LoggedIn = 0;
    long Failures = 0;
    double SlowestMs = 0;
    double SlowestLoginMs = 0;
    TClock::time_point AllIn;    // when the last member was logged in
    long RepliesBeforeAllIn = 0;
};

// One member's connection: a request, its reply, the next request.
class TLoadClient : public std::enable_shared_from_this<TLoadClient> {
public:
    TLoadClient(asio::io_context &io, int index, TTotals &totals, TClock::time_point end)
        : FSocket(io), FIndex(index), FTotals(totals), FEnd(end)
    {
    }

    void Start(const asio::ip::tcp::endpoint &server)
    {
        FSocket.async_connect(server, [self = shared_from_this()](const asio::error_code &ec) {
            if (ec) {
                ++self->FTotals.Failures;
                return;
            }
            TProtocolLogin login;
            login.SetUserName(UserName(self->FIndex));
            login.SetPassWord(u"loadpass1"_s);
            self->Request(PROTOCOL_LOGIN, login.Data());
            self->Read();
        });
    }

private:
    void Request(int code, const QString &text)
    {
        FAwaiting = code;
        FSent = TClock::now();
        auto frame = std::make_shared<QByteArray>(text.toUtf8() + QByteArray(1, '\0'));
        asio::async_write(FSocket, asio::buffer(frame->constData(), size_t(frame->size())),
                          [self = shared_from_this(), frame](const asio::error_code &ec, size_t) {
                              if (ec)
                                  ++self->FTotals.Failures;
                          });
    }

    void Next()
    {
        if (TClock::now() >= FEnd) {
            asio::error_code ignored;
            FSocket.close(ignored);
            return;
        }
        if (++FCount % PostEvery == 0) {
            TProtocolPostQuestion post;
            post.SetTitle(u"负载测试问题&nbsp;%1-%2"_s.arg(FIndex).arg(FCount));
            post.SetContent(u"第&nbsp;%1&nbsp;个请求。<br>\n内容。"_s.arg(FCount));
            post.SetClassification(59);
            post.SetMarks(30);
            ++FTotals.Posts;
            Request(PROTOCOL_POSTQUESTION, post.Data());
        } else {
            TProtocolHeartbeat heartbeat;
            heartbeat.SetUserName(UserName(FIndex));
            Request(PROTOCOL_HEARTBEAT, heartbeat.Data());
        }
    }

    void Read()
    {
        FSocket.async_read_some(asio::buffer(FBuffer), [self = shared_from_this()](const asio::error_code &ec, size_t n) {
            if (ec)
                return;
            self->FPending.append(self->FBuffer.data(), qsizetype(n));
            for (qsizetype end; (end = self->FPending.indexOf('\0')) >= 0;) {
                self->Arrived(self->FPending.left(end));
                self->FPending.remove(0, end + 1);
            }
            self->Read();
        });
    }

    void Arrived(const QByteArray &frame)
    {
        int code = 0;
        QString body;
        if (!UnpackProtocol(AnsiCodePage::ToUnicode(frame), code, body))
            return;
        if (code == PROTOCOL_NOTICE)
            ++FTotals.Notices;
        if (code != FAwaiting)
            return;
        const double ms = std::chrono::duration<double, std::milli>(TClock::now() - FSent).count();
        if (code == PROTOCOL_LOGIN)
            FTotals.SlowestLoginMs = std::max(FTotals.SlowestLoginMs, ms);
        else if (FTotals.LoggedIn == Clients && FSent >= FTotals.AllIn) // behind no login
            FTotals.SlowestMs = std::max(FTotals.SlowestMs, ms);
        ++FTotals.Replies;
        if (code == PROTOCOL_LOGIN) {
            QString md5, url;
            int error = 0;
            if (!ParseLoginResult(body, md5, url, error) || error != 1000000) {
                ++FTotals.Failures;
                return;
            }
            if (++FTotals.LoggedIn == Clients) {
                FTotals.AllIn = TClock::now();
                FTotals.RepliesBeforeAllIn = FTotals.Replies;
            }
        } else if (code == PROTOCOL_POSTQUESTION) {
            QString url;
            int localId = 0, questionId = 0;
            if (ParsePostQuestionResult(body, url, localId, questionId))
                ++FTotals.PostsStored;
        }
        Next();
    }

    asio::ip::tcp::socket FSocket;
    int FIndex;
    TTotals &FTotals;
    TClock::time_point FEnd;
    std::array<char, 64 * 1024> FBuffer{};
    QByteArray FPending;
    int FAwaiting = 0;
    int FCount = 0;
    TClock::time_point FSent;
};

bool RegisterMembers(quint16 httpPort)
{
    httplib::Client web("127.0.0.1", httpPort);
    for (int i = 0; i < Clients; ++i) {
        const std::string user = UserName(i).toStdString();
        const httplib::Params form = {{"username", user},        {"nickname", "n" + user},
                                      {"password", "loadpass1"}, {"password2", "loadpass1"},
                                      {"email", user + "@load.invalid"}};
        const auto reply = web.Post("/users/reg.asp", form);
        if (!reply || reply->status != 200)
            return false;
    }
    return true;
}

// Rows of the published database once it has caught up with `expected` (bounded wait).
int PublishedCount(quint16 httpPort, int expected)
{
    int count = -1;
    for (const QDeadlineTimer deadline(30000); !deadline.hasExpired() && count != expected; QThread::msleep(200)) {
        httplib::Client web("127.0.0.1", httpPort);
        const auto reply = web.Get("/data/DataFile.dat");
        if (!reply || reply->status != 200)
            continue;
        QTemporaryDir dir;
        QFile file(dir.filePath(u"DataFile.dat"_s));
        file.open(QIODevice::WriteOnly);
        file.write(reply->body.data(), qint64(reply->body.size()));
        file.close();
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(u"QSQLITE"_s, u"published"_s);
            db.setDatabaseName(file.fileName());
            QSqlQuery q(db);
            if (db.open() && q.exec(u"SELECT COUNT(*) FROM T_LocalQuestion"_s) && q.next())
                count = q.value(0).toInt();
        }
        QSqlDatabase::removeDatabase(u"published"_s);
    }
    return count;
}

void BM_ServerLoad(benchmark::State &state)
{
    for (auto _ : state) {
        TServer server;
        if (!server.MessagePort || !RegisterMembers(server.HttpPort)) {
            state.SkipWithError("the server did not start or refused the members");
            return;
        }
        asio::io_context io;
        TTotals totals;
        const double cpuBefore = server.CpuSeconds();
        const auto start = TClock::now();
        const auto end = start + std::chrono::seconds(LoadSeconds());
        const asio::ip::tcp::endpoint endpoint(asio::ip::make_address("127.0.0.1"), server.MessagePort);
        for (int i = 0; i < Clients; ++i)
            std::make_shared<TLoadClient>(io, i, totals, end)->Start(endpoint);
        io.run_for(std::chrono::seconds(LoadSeconds() + 10));
        const double cpu = server.CpuSeconds() - cpuBefore;
        const int expected = SeededQuestions + int(totals.PostsStored);
        const int published = PublishedCount(server.HttpPort, expected);

        state.counters["clients_logged_in"] = double(totals.LoggedIn);
        const double steady = std::chrono::duration<double>(end - totals.AllIn).count();
        state.counters["replies_per_s"] = double(totals.Replies - totals.RepliesBeforeAllIn) / steady;
        state.counters["all_logged_in_s"] = std::chrono::duration<double>(totals.AllIn - start).count();
        state.counters["slowest_login_ms"] = totals.SlowestLoginMs;
        state.counters["notices_per_s"] = double(totals.Notices) / steady;
        state.counters["slowest_reply_ms"] = totals.SlowestMs; // heartbeats and posts once all are in
        state.counters["server_peak_MiB"] = server.PeakMiB();
        state.counters["server_cpu_s"] = cpu;
        state.counters["posts_stored"] = double(totals.PostsStored);
        state.counters["published_questions"] = published;
        state.counters["failures"] = double(totals.Failures);
        if (published != expected)
            state.SkipWithError("the published database lacks stored posts");
    }
}
BENCHMARK(BM_ServerLoad)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();
} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
