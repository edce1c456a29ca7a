#pragma once

#include <QString>

#include <memory>
#include <string>
#include <vector>

// A small HTTP server on 127.0.0.1 and an ephemeral port, serving the pages a test gives it.
// A held page is answered only once the test releases it (or after 20 s), so a test can watch a
// panel while its page is still on the way. Every POST is recorded and answered with a short page.
class LoopbackHttp {
public:
    LoopbackHttp();
    ~LoopbackHttp();

    QString Url(const std::string &Path) const;
    void Page(const std::string &Path, std::string Body,
              std::string ContentType = "text/html; charset=utf-8");
    void HeldPage(const std::string &Path, std::string Body);
    void Release(const std::string &Path);
    int Requests(const std::string &Path) const;
    std::vector<std::string> Posts(const std::string &Path) const;

private:
    struct TState;
    std::unique_ptr<TState> FState;
};
