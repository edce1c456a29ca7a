#pragma once

#include "ProtocolDataUnit.h"
#include "ProtocolMagegeUnit.h"

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <vector>

// A real talvik-server on ephemeral loopback ports over a fresh data directory; stopped with
// SIGTERM when the object goes.
class TServerProcess {
public:
    explicit TServerProcess(const QStringList &extraArguments = {QStringLiteral("--seed"), QStringLiteral("demo")});
    ~TServerProcess();

    quint16 MessagePort() const { return FMessagePort; }
    quint16 HttpPort() const { return FHttpPort; }
    QString DataDir() const { return FDir.path() + QStringLiteral("/data"); }
    QString Log() const;
    bool Running() const { return FProcess.state() == QProcess::Running; }
    int Stop(); // SIGTERM; the exit code

    // talvik-server admin --data DIR ARGS...; the exit code.
    int Admin(const QStringList &arguments) const;

    // GET or POST (form fields) on the HTTP port; status 0 when nothing answered.
    struct THttpReply {
        int Status = 0;
        QByteArray Body;
        QString ContentType;
        QString ContentLength;
    };
    THttpReply Get(const QString &path) const;
    THttpReply PostForm(const QString &path, const QList<std::pair<QString, QString>> &fields) const;

    static QString Executable();

private:
    QTemporaryDir FDir;
    QProcess FProcess;
    quint16 FMessagePort = 0;
    quint16 FHttpPort = 0;
};

// A test suite whose tests share one server seeded with the demo community.
class TSeededServerSuite : public testing::Test {
protected:
    static void SetUpTestSuite() { Server = new TServerProcess(); }
    static void TearDownTestSuite()
    {
        delete Server;
        Server = nullptr;
    }
    static inline TServerProcess *Server = nullptr;
};

// One member's client: the client's own protocol manager, with every reply recorded by code.
class TTestClient {
public:
    struct TReceived {
        int Code;
        QString Body;
    };

    TTestClient();
    ~TTestClient();

    bool Connect(quint16 port);
    void Send(const TBaseProtocolData &request);
    // Logs in and waits for the verdict; the error identifier, or 0 when none came.
    int Login(quint16 port, const QString &user, const QString &password);
    // Pumps events until a message of `code` that was not taken yet arrives, at most `ms`.
    std::optional<QString> WaitFor(int code, int ms = 5000);
    std::vector<QString> TakeAll(int code); // what arrived so far
    void Pump(int ms);
    bool Connected() const { return FManager->Connected(); }
    TProtocolMagege &Manager() { return *FManager; }

private:
    void Record(int code, const QString &body) { FReceived.push_back({code, body}); }

    std::unique_ptr<TProtocolMagege> FManager;
    std::vector<TReceived> FReceived;
};

// The digest text of bytes, as the client computes it for its database file.
QString Md5Hex(const QByteArray &bytes);
// Row count of T_LocalQuestion in a downloaded database, -1 when it cannot be read.
int PublishedQuestionCount(const QByteArray &databaseFile, const QString &titleToFind = {}, bool *found = nullptr);
