#include "ServerHarness.h"

#include "JsonDataUnit.h"
#include "ProtocolLoginUnit.h"
#include "md5.h"

#include <httplib.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QThread>
#include <QUuid>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {
constexpr int StartMs = 15000;

// "listening messages 127.0.0.1:PORT" -> PORT
quint16 PortOf(const QString &output, const QString &what)
{
    for (const QString &line : output.split(u'\n')) {
        if (line.startsWith(u"listening "_s + what + u' '))
            return quint16(line.section(u':', -1).trimmed().toUInt());
    }
    return 0;
}
} // namespace

QString TServerProcess::Executable()
{
    return qEnvironmentVariable("TALVIK_BIN_DIR") + u"/talvik-server"_s;
}

TServerProcess::TServerProcess(const QStringList &extraArguments)
{
    FProcess.setStandardOutputFile(FDir.filePath(u"stdout.txt"_s));
    FProcess.setStandardErrorFile(FDir.filePath(u"stderr.txt"_s));
    FProcess.start(Executable(), QStringList{u"--data"_s, DataDir(), u"--listen"_s, u"127.0.0.1:0"_s, u"--http"_s,
                                             u"127.0.0.1:0"_s} + extraArguments);
    const QDeadlineTimer deadline(StartMs);
    while (!deadline.hasExpired() && FProcess.state() != QProcess::NotRunning) {
        const QString out = Log();
        FMessagePort = PortOf(out, u"messages"_s);
        FHttpPort = PortOf(out, u"http"_s);
        if (FMessagePort && FHttpPort)
            return;
        FProcess.waitForFinished(20);
    }
    ADD_FAILURE() << "talvik-server did not start: " << Log().toStdString();
}

TServerProcess::~TServerProcess()
{
    Stop();
}

int TServerProcess::Stop()
{
    if (FProcess.state() == QProcess::NotRunning)
        return FProcess.exitCode();
    FProcess.terminate();
    if (!FProcess.waitForFinished(10000)) {
        ADD_FAILURE() << "talvik-server did not stop on SIGTERM";
        FProcess.kill();
        FProcess.waitForFinished(2000);
    }
    return FProcess.exitStatus() == QProcess::NormalExit ? FProcess.exitCode() : -1;
}

QString TServerProcess::Log() const
{
    QFile out(FDir.filePath(u"stdout.txt"_s));
    QFile err(FDir.filePath(u"stderr.txt"_s));
    out.open(QIODevice::ReadOnly);
    err.open(QIODevice::ReadOnly);
    return QString::fromUtf8(out.readAll() + err.readAll());
}

int TServerProcess::Admin(const QStringList &arguments) const
{
    QProcess admin;
    admin.start(Executable(), QStringList{u"admin"_s, u"--data"_s, DataDir()} + arguments);
    if (!admin.waitForFinished(10000))
        return -1;
    return admin.exitCode();
}

namespace {
TServerProcess::THttpReply ToReply(const httplib::Result &result)
{
    TServerProcess::THttpReply reply;
    if (!result)
        return reply;
    reply.Status = result->status;
    reply.Body = QByteArray::fromStdString(result->body);
    reply.ContentType = QString::fromStdString(result->get_header_value("Content-Type"));
    reply.ContentLength = QString::fromStdString(result->get_header_value("Content-Length"));
    return reply;
}
} // namespace

TServerProcess::THttpReply TServerProcess::Get(const QString &path) const
{
    httplib::Client client("127.0.0.1", FHttpPort);
    client.set_read_timeout(5, 0);
    return ToReply(client.Get(path.toStdString()));
}

TServerProcess::THttpReply TServerProcess::PostForm(const QString &path, const QList<std::pair<QString, QString>> &fields) const
{
    httplib::Client client("127.0.0.1", FHttpPort);
    client.set_read_timeout(5, 0);
    httplib::Params params;
    for (const auto &[name, value] : fields)
        params.emplace(name.toStdString(), value.toStdString());
    return ToReply(client.Post(path.toStdString(), params));
}

TTestClient::TTestClient() : FManager(std::make_unique<TProtocolMagege>())
{
    TProtocolMagege &m = *FManager;
    m.SetOnHeartbeat([this](TObject *, const QString &d) { Record(PROTOCOL_HEARTBEAT, d); });
    m.SetOnLogin([this](TObject *, const QString &d) { Record(PROTOCOL_LOGIN, d); });
    m.SetOnDownUserInfo([this](TObject *, const QString &d) { Record(PROTOCOL_DOWNUSERINFO, d); });
    m.SetOnPostQuestion([this](TObject *, const QString &d) { Record(PROTOCOL_POSTQUESTION, d); });
    m.SetOnPostQQUser([this](TObject *, const QString &d) { Record(PROTOCOL_POSTQQUSER, d); });
    m.SetOnPostURL([this](TObject *, const QString &d) { Record(PROTOCOL_POSTURL, d); });
    m.SetOnNotice([this](TObject *, const QString &d) { Record(PROTOCOL_NOTICE, d); });
    m.SetOnAnswerQuestion([this](TObject *, const QString &d) { Record(PROTOCOL_ANSWERQUESTION, d); });
    m.SetOnRequestUploadShareFile([this](TObject *, const QString &d) { Record(PROTOCOL_UPLOADFILE, d); });
    m.SetOnRecMessages([this](TObject *, const QString &d) { Record(PROTOCOL_MESSAGES, d); });
    m.SetOnChagePwd([this](TObject *, const QString &d) { Record(PROTOCOL_CHAGEPWD, d); });
}

TTestClient::~TTestClient() = default;

bool TTestClient::Connect(quint16 port)
{
    return FManager->Connect(u"127.0.0.1"_s, port);
}

void TTestClient::Send(const TBaseProtocolData &request)
{
    FManager->SendData(request.Data());
}

int TTestClient::Login(quint16 port, const QString &user, const QString &password)
{
    if (!Connect(port))
        return 0;
    TProtocolLogin login;
    login.SetUserName(user);
    login.SetPassWord(password);
    Send(login);
    const std::optional<QString> reply = WaitFor(PROTOCOL_LOGIN);
    if (!reply)
        return 0;
    QString md5, url;
    int error = 0;
    return ParseLoginResult(*reply, md5, url, error) ? error : 0;
}

void TTestClient::Pump(int ms)
{
    const QDeadlineTimer deadline(ms);
    while (!deadline.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(2);
    }
}

std::optional<QString> TTestClient::WaitFor(int code, int ms)
{
    const QDeadlineTimer deadline(ms);
    for (;;) {
        for (auto it = FReceived.begin(); it != FReceived.end(); ++it) {
            if (it->Code == code) {
                QString body = it->Body;
                FReceived.erase(it);
                return body;
            }
        }
        if (deadline.hasExpired())
            return std::nullopt;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(2);
    }
}

std::vector<QString> TTestClient::TakeAll(int code)
{
    std::vector<QString> bodies;
    for (auto it = FReceived.begin(); it != FReceived.end();) {
        if (it->Code == code) {
            bodies.push_back(it->Body);
            it = FReceived.erase(it);
        } else {
            ++it;
        }
    }
    return bodies;
}

QString Md5Hex(const QByteArray &bytes)
{
    Md5Hasher hasher;
    hasher.Update(bytes.constData(), size_t(bytes.size()));
    return Md5ToHex(hasher.Final());
}

int PublishedQuestionCount(const QByteArray &databaseFile, const QString &titleToFind, bool *found)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(u"DataFile.dat"_s);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(databaseFile) != databaseFile.size())
        return -1;
    file.close();
    const QString name = QUuid::createUuid().toString();
    int count = -1;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(u"QSQLITE"_s, name);
        db.setDatabaseName(path);
        if (db.open()) {
            QSqlQuery q(db);
            if (q.exec(u"SELECT COUNT(*) FROM T_LocalQuestion"_s) && q.next())
                count = q.value(0).toInt();
            if (found) {
                QSqlQuery t(db);
                t.prepare(u"SELECT 1 FROM T_LocalQuestion WHERE F_Title = ?"_s);
                t.addBindValue(titleToFind);
                *found = t.exec() && t.next();
            }
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
    return count;
}
