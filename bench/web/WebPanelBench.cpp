#include "LoopbackHttp.h"
#include "WebView.h"
#include "uQivPanelWebBrowser.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>

#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

LoopbackHttp &Server()
{
    static LoopbackHttp server;
    return server;
}

QString SmallPage()
{
    Server().Page("/small", R"(<!DOCTYPE html><html><head><meta charset="utf-8"></head><body>
        <h3>最新推荐问题</h3><ul><li>TStringList 的 Sorted 属性</li><li>IdHTTP 超时</li></ul>
        </body></html>)");
    return Server().Url("/small");
}

// Processes events until every panel is Shown; false after 30 s.
bool WaitShown(const std::vector<std::unique_ptr<TQivPanelWebBrowser>> &panels)
{
    const QDeadlineTimer deadline(30000);
    const auto allShown = [&] {
        for (const auto &panel : panels)
            if (panel->IsLoading())
                return false;
        return true;
    };
    while (!allShown()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    }
    return true;
}

std::unique_ptr<TQivPanelWebBrowser> NewPanel(int width, int height)
{
    auto panel = std::make_unique<TQivPanelWebBrowser>();
    panel->resize(width, height);
    panel->show();
    return panel;
}

// Navigate to Shown on a new panel, timed by hand so that creating the panel stays out of it.
void NavigateNewPanel(benchmark::State &state)
{
    const QString url = SmallPage();
    for (auto _ : state) {
        QElapsedTimer created;
        created.start();
        std::vector<std::unique_ptr<TQivPanelWebBrowser>> panels;
        panels.push_back(NewPanel(750, 560));
        state.counters["create_ms"] = double(created.nsecsElapsed()) / 1e6;
        QElapsedTimer timer;
        timer.start();
        panels.front()->Navigate(url);
        if (!WaitShown(panels)) {
            state.SkipWithError("the page did not arrive within 30 s");
            return;
        }
        state.SetIterationTime(double(timer.nsecsElapsed()) / 1e9);
    }
}

// The first panel of the process pays for starting the engine and its renderer process.
void BM_FirstPanelNavigateToShown(benchmark::State &state)
{
    NavigateNewPanel(state);
}
BENCHMARK(BM_FirstPanelNavigateToShown)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);

void BM_NextPanelNavigateToShown(benchmark::State &state)
{
    NavigateNewPanel(state);
}
BENCHMARK(BM_NextPanelNavigateToShown)->Iterations(20)->UseManualTime()->Unit(benchmark::kMillisecond);

void BM_SamePanelNavigateToShown(benchmark::State &state)
{
    const QString url = SmallPage();
    std::vector<std::unique_ptr<TQivPanelWebBrowser>> panels;
    panels.push_back(NewPanel(750, 560));
    panels.front()->Navigate(url);
    WaitShown(panels);
    int n = 0;
    for (auto _ : state) {
        panels.front()->Navigate(url + u"?n="_s + QString::number(++n));
        if (!WaitShown(panels)) {
            state.SkipWithError("the page did not arrive within 30 s");
            return;
        }
    }
}
BENCHMARK(BM_SamePanelNavigateToShown)->Iterations(20)->Unit(benchmark::kMillisecond);

struct TMemory {
    double RssKiB = 0;
    double PssKiB = 0;
};

// Resident and proportional set size of one process, from /proc.
TMemory MemoryOf(const QString &pid)
{
    TMemory memory;
    QFile rollup(u"/proc/"_s + pid + u"/smaps_rollup"_s);
    if (!rollup.open(QIODevice::ReadOnly))
        return memory;
    for (const QByteArray &line : rollup.readAll().split('\n')) {
        const QList<QByteArray> fields = line.simplified().split(' ');
        if (fields.size() >= 2 && fields[0] == "Rss:")
            memory.RssKiB = fields[1].toDouble();
        else if (fields.size() >= 2 && fields[0] == "Pss:")
            memory.PssKiB = fields[1].toDouble();
    }
    return memory;
}

QString ParentOf(const QString &pid)
{
    QFile stat(u"/proc/"_s + pid + u"/stat"_s);
    if (!stat.open(QIODevice::ReadOnly))
        return {};
    const QByteArray text = stat.readAll();
    const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
    return fields.size() > 1 ? QString::fromLatin1(fields[1]) : QString();
}

// The engine's helper processes: every descendant of this process.
QStringList Descendants(const QString &root)
{
    const QStringList all = QDir(u"/proc"_s).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    QStringList found{root};
    for (qsizetype i = 0; i < found.size(); ++i)
        for (const QString &pid : all)
            if (pid.front().isDigit() && ParentOf(pid) == found[i])
                found << pid;
    found.removeFirst();
    return found;
}

// The main window's four panels and the login banner, each on its page.
void BM_FivePanelsMemory(benchmark::State &state)
{
    const QString url = SmallPage();
    const QSize sizes[] = {{190, 165}, {750, 560}, {750, 400}, {750, 560}, {420, 90}};
    for (auto _ : state) {
        std::vector<std::unique_ptr<TQivPanelWebBrowser>> panels;
        for (const QSize &size : sizes)
            panels.push_back(NewPanel(size.width(), size.height()));
        for (const auto &panel : panels)
            panel->Navigate(url);
        if (!WaitShown(panels)) {
            state.SkipWithError("the pages did not arrive within 30 s");
            return;
        }
        const QString self = QString::number(QCoreApplication::applicationPid());
        const TMemory own = MemoryOf(self);
        TMemory helpers;
        const QStringList children = Descendants(self);
        for (const QString &pid : children) {
            const TMemory memory = MemoryOf(pid);
            helpers.RssKiB += memory.RssKiB;
            helpers.PssKiB += memory.PssKiB;
        }
        state.counters["self_rss_MiB"] = own.RssKiB / 1024;
        state.counters["helpers_rss_MiB"] = helpers.RssKiB / 1024;
        state.counters["total_pss_MiB"] = (own.PssKiB + helpers.PssKiB) / 1024;
        state.counters["helper_processes"] = double(children.size());
    }
}
BENCHMARK(BM_FivePanelsMemory)->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    PrepareWebEngine();
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
