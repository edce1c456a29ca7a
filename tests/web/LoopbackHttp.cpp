#include "LoopbackHttp.h"

#include <httplib.h>

#include <chrono>
#include <condition_variable>
#include <map>
#include <mutex>
#include <thread>

namespace {

struct TPage {
    std::string Body;
    std::string ContentType;
    bool Held = false;
};

} // namespace

struct LoopbackHttp::TState {
    httplib::Server Server;
    std::thread Thread;
    int Port = 0;
    mutable std::mutex Lock;
    std::condition_variable Released;
    std::map<std::string, TPage> Pages;
    std::map<std::string, int> Requests;
    std::map<std::string, std::vector<std::string>> Posts;

    void Serve(const httplib::Request &request, httplib::Response &response)
    {
        std::unique_lock<std::mutex> lock(Lock);
        ++Requests[request.path];
        const auto page = Pages.find(request.path);
        if (page == Pages.end()) {
            response.status = 404;
            return;
        }
        Released.wait_for(lock, std::chrono::seconds(20), [&] { return !page->second.Held; });
        response.set_content(page->second.Body, page->second.ContentType.c_str());
    }
};

LoopbackHttp::LoopbackHttp() : FState(std::make_unique<TState>())
{
    TState &state = *FState;
    state.Server.Get(".*", [&state](const httplib::Request &request, httplib::Response &response) {
        state.Serve(request, response);
    });
    state.Server.Post(".*", [&state](const httplib::Request &request, httplib::Response &response) {
        {
            const std::lock_guard<std::mutex> lock(state.Lock);
            ++state.Requests[request.path];
            state.Posts[request.path].push_back(request.body);
        }
        response.set_content("<html><body><p id=\"done\">received</p></body></html>",
                             "text/html; charset=utf-8");
    });
    // Short keep-alive, so stopping does not wait for the engine's idle connections.
    state.Server.set_keep_alive_timeout(1);
    state.Port = state.Server.bind_to_any_port("127.0.0.1");
    // The socket listens from the bind on: connections wait in its backlog until the thread accepts.
    state.Thread = std::thread([&state] { state.Server.listen_after_bind(); });
}

LoopbackHttp::~LoopbackHttp()
{
    {
        const std::lock_guard<std::mutex> lock(FState->Lock);
        for (auto &page : FState->Pages)
            page.second.Held = false;
    }
    FState->Released.notify_all();
    FState->Server.stop();
    FState->Thread.join();
}

QString LoopbackHttp::Url(const std::string &Path) const
{
    return QStringLiteral("http://127.0.0.1:%1%2").arg(FState->Port).arg(QString::fromStdString(Path));
}

void LoopbackHttp::Page(const std::string &Path, std::string Body, std::string ContentType)
{
    const std::lock_guard<std::mutex> lock(FState->Lock);
    FState->Pages[Path] = TPage{std::move(Body), std::move(ContentType), false};
}

void LoopbackHttp::HeldPage(const std::string &Path, std::string Body)
{
    const std::lock_guard<std::mutex> lock(FState->Lock);
    FState->Pages[Path] = TPage{std::move(Body), "text/html; charset=utf-8", true};
}

void LoopbackHttp::Release(const std::string &Path)
{
    {
        const std::lock_guard<std::mutex> lock(FState->Lock);
        FState->Pages[Path].Held = false;
    }
    FState->Released.notify_all();
}

int LoopbackHttp::Requests(const std::string &Path) const
{
    const std::lock_guard<std::mutex> lock(FState->Lock);
    const auto found = FState->Requests.find(Path);
    return found == FState->Requests.end() ? 0 : found->second;
}

std::vector<std::string> LoopbackHttp::Posts(const std::string &Path) const
{
    const std::lock_guard<std::mutex> lock(FState->Lock);
    const auto found = FState->Posts.find(Path);
    return found == FState->Posts.end() ? std::vector<std::string>{} : found->second;
}
