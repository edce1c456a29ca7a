// The time from Login to the login event with a current local database, against a server on
// loopback that answers at once: what the member waits for before the main window opens.
#include "AnsiCodePage.h"
#include "ClientAppUnit.h"
#include "Json.h"
#include "JsonDataUnit.h"
#include "LoopbackServer.h"
#include "ProgramDir.h"
#include "ProgramObjects.h"
#include "md5.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

using namespace Qt::StringLiterals;

namespace {

void BM_LoginWithCurrentDatabase(benchmark::State &state)
{
    QTemporaryDir dir;
    ProgramDir::SetOverride(dir.path());
    TProgramObjects objects;
    QDir(dir.path()).mkpath(u"Data"_s);
    QFile database(dir.path() + u"/Data/DataFile.dat"_s);
    database.open(QIODevice::WriteOnly);
    database.write(QByteArray(8 << 20, 'q')); // the digest of the local file is part of the wait
    database.close();
    const QString md5 = Md5ToHex(Md5OfFile(database.fileName()));

    TLoopbackServer server([&](TLoopbackConnection &c) {
        while (const auto frame = c.ReadUntil('\0')) {
            int protocol = 0;
            QString body;
            UnpackProtocol(QString::fromUtf8(*frame), protocol, body);
            if (protocol == 10001)
                c.Write(AnsiCodePage::FromUnicode(PackProtocol(10001, u"{\"errorid\":1000000,\"questiondatamd5\":\""_s + md5
                                                                          + u"\",\"questiondataurl\":\"\"}"_s))
                        + '\0');
        }
    });
    QFile config(dir.path() + u"/Config.dat"_s);
    config.open(QIODevice::WriteOnly);
    config.write(u"[Server]\nhost=127.0.0.1\nPort=%1\n"_s.arg(server.Port()).toUtf8());
    config.close();

    for (auto _ : state) {
        TClientApp client;
        bool loggedIn = false;
        client.SetOnLoginEvent([&](TObject *, int) { loggedIn = true; });
        QElapsedTimer timer;
        timer.start();
        client.Login(u"alice"_s, u"secret"_s);
        while (!loggedIn)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        state.SetIterationTime(double(timer.nsecsElapsed()) / 1e9);
    }
    // Each request pauses the sender 200 ms: the login request, then the profile and notice requests.
    state.counters["send_pauses_ms"] = 3 * 200;
    ProgramDir::SetOverride({});
}

BENCHMARK(BM_LoginWithCurrentDatabase)->Unit(benchmark::kMillisecond)->Iterations(5)->UseManualTime();

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
