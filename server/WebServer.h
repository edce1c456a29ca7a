#pragma once

#include "Store.h"

#include <QString>

#include <functional>
#include <memory>
#include <thread>

class TPublisher;
namespace httplib {
class Server;
struct Request;
struct Response;
} // namespace httplib

// Runs a piece of work on the store's thread and waits for it; errors come back to the caller.
using TStoreRunner = std::function<void(const std::function<void(TStore &)> &)>;

// The HTTP side: the published question database under /data/, the question-and-answer site under
// /ask/, the main site (registration, password help, banners) at the root, the forum under /bbs/.
class TWebServer {
public:
    TWebServer(TStoreRunner store, TPublisher &publisher, QString uploadDir);
    ~TWebServer();

    quint16 Listen(const QString &host, quint16 port); // throws std::runtime_error; serves in a thread
    void Stop();

    static QString PublishedPath() { return QStringLiteral("/data/DataFile.dat"); }

private:
    void Routes();
    void QuestionList(const httplib::Request &req, httplib::Response &res);
    void QuestionPage(const httplib::Request &req, httplib::Response &res);
    void Register(const httplib::Request &req, httplib::Response &res);
    void SendPass(const httplib::Request &req, httplib::Response &res);
    void PublishedFile(const httplib::Request &req, httplib::Response &res);
    void SharedFileDownload(const httplib::Request &req, httplib::Response &res);

    TStoreRunner FStore;
    TPublisher &FPublisher;
    QString FUploadDir;
    std::unique_ptr<httplib::Server> FServer;
    std::thread FThread;
};

// Checks a registration form and, when it is sound, adds the member; returns what is wrong.
QStringList RegisterMember(TStore &store, const QMap<QString, QString> &form);
