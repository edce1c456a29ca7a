#include "ServerHarness.h"

#include "Json.h"
#include "JsonDataUnit.h"
#include "MeInfoUnit.h"
#include "ProtocolAnswerQuestionUnit.h"
#include "ProtocolChagePwdUnit.h"
#include "ProtocolDownNoticeUnit.h"
#include "ProtocolDownUserInfoUnit.h"
#include "ProtocolHeartbeatUnit.h"
#include "ProtocolLoginUnit.h"
#include "ProtocolPostQQUserUnit.h"
#include "ProtocolPostQuestionUnit.h"
#include "ProtocolPostURLUnit.h"
#include "ProtocolUploadFileUnit.h"
#include "TcpClient.h"
#include "md5.h"

#include <QDateTime>
#include <QDeadlineTimer>
#include <QThread>
#include <QUrl>

#include <gtest/gtest.h>

#include <future>

using namespace Qt::StringLiterals;

namespace {
constexpr int DatabaseType = 59; // "数据库相关"

struct TLoginReply {
    int Error = 0;
    QString Md5;
    QString Url;
};

TLoginReply LoginReply(TTestClient &client, quint16 port, const QString &user, const QString &password)
{
    TLoginReply reply;
    if (!client.Connect(port))
        return reply;
    TProtocolLogin login;
    login.SetUserName(user);
    login.SetPassWord(password);
    client.Send(login);
    if (const std::optional<QString> body = client.WaitFor(PROTOCOL_LOGIN))
        ParseLoginResult(*body, reply.Md5, reply.Url, reply.Error);
    return reply;
}

std::unique_ptr<TProtocolPostQuestion> Question(const QString &title, int type = DatabaseType)
{
    auto q = std::make_unique<TProtocolPostQuestion>();
    q->SetTitle(title);
    q->SetContent(u"第一行<br>\n第二行&nbsp;有空格"_s);
    q->SetClassification(type);
    q->SetMarks(30);
    q->SetNickName(u"冒名顶替"_s);
    return q;
}

// Waits until the published database holds a question with that title.
bool EventuallyPublished(const TServerProcess &server, const QString &title)
{
    const QDeadlineTimer deadline(8000);
    while (!deadline.hasExpired()) {
        bool found = false;
        PublishedQuestionCount(server.Get(u"/data/DataFile.dat"_s).Body, title, &found);
        if (found)
            return true;
        QThread::msleep(100);
    }
    return false;
}

using MessageTest = TSeededServerSuite;

TEST_F(MessageTest, LoginAnnouncesThePublishedDatabaseAndItsDigest)
{
    TTestClient client;
    const TLoginReply reply = LoginReply(client, Server->MessagePort(), u"demo"_s, u"demo123"_s);
    ASSERT_EQ(reply.Error, 1000000);
    ASSERT_TRUE(client.WaitFor(PROTOCOL_MESSAGES)); // the welcome message
    const QUrl url(reply.Url);
    EXPECT_EQ(url.host(), u"127.0.0.1"_s);
    EXPECT_EQ(url.port(), Server->HttpPort());
    const TServerProcess::THttpReply file = Server->Get(url.path());
    ASSERT_EQ(file.Status, 200);
    EXPECT_EQ(file.ContentLength.toLongLong(), file.Body.size());
    EXPECT_EQ(Md5Hex(file.Body), reply.Md5);
    EXPECT_EQ(PublishedQuestionCount(file.Body), 300);
}

TEST_F(MessageTest, ProfileCarriesEveryMemberKeyButNoPassword)
{
    TTestClient client;
    const TLoginReply login = LoginReply(client, Server->MessagePort(), u"admin"_s, u"admin123"_s);
    ASSERT_EQ(login.Error, 1000000);
    TProtocolDownUserInfo request;
    request.SetUserName(u"admin"_s);
    client.Send(request);
    const std::optional<QString> body = client.WaitFor(PROTOCOL_DOWNUSERINFO);
    ASSERT_TRUE(body);
    TMeInfo me;
    ASSERT_TRUE(ParseUserInfo(*body, &me));
    EXPECT_EQ(me.UserName(), u"admin"_s);
    EXPECT_EQ(me.NickName(), u"管理员"_s);
    EXPECT_TRUE(me.IsManage());
    EXPECT_EQ(me.Usergroup(), u"版主"_s);
    EXPECT_GT(me.ID(), 0);
    EXPECT_EQ(me.JiFen(), 500);
    EXPECT_EQ(me.UserMail(), u"admin@talvik.invalid"_s);
    EXPECT_FALSE(me.LastTime().isEmpty());
    EXPECT_TRUE(me.PassWord().isEmpty());
    EXPECT_EQ(me.QuestionDataMd5(), login.Md5);
    EXPECT_EQ(me.QuestionDataURL(), login.Url);
    const TJsonObject info = TJsonObject::Parse(TJsonObject::Parse(*body).GetStr(u"userinfo"_s));
    for (const QString &key : {u"usergroup"_s, u"id"_s, u"lasttime"_s, u"sex"_s, u"username"_s, u"jifen"_s, u"password"_s,
                               u"nickname"_s, u"questiondataurl"_s, u"questiondatamd5"_s, u"mysystemset"_s,
                               u"ismanage"_s, u"usermail"_s})
        EXPECT_TRUE(info.Has(key)) << key.toStdString();
}

TEST_F(MessageTest, NoticesFollowTheNoticeRequestOldestFirst)
{
    TTestClient client;
    ASSERT_EQ(client.Login(Server->MessagePort(), u"demo"_s, u"demo123"_s), 1000000);
    TProtocolDownNotice request;
    request.SetUserName(u"demo"_s);
    client.Send(request);
    QStringList titles;
    while (const std::optional<QString> body = client.WaitFor(PROTOCOL_NOTICE, titles.size() < 4 ? 5000 : 300)) {
        int type = -1;
        QString title, content;
        ASSERT_TRUE(ParseNotice(*body, type, title, content));
        EXPECT_EQ(type, 0);
        EXPECT_FALSE(content.isEmpty());
        titles << title;
    }
    EXPECT_EQ(titles, (QStringList{u"欢迎使用Talvik问答知识库"_s, u"社区规则"_s, u"新功能"_s, u"维护通知"_s}));
}

TEST_F(MessageTest, AnOperatorsNoticeReachesMembersAlreadyLoggedIn)
{
    TTestClient client;
    ASSERT_EQ(client.Login(Server->MessagePort(), u"demo"_s, u"demo123"_s), 1000000);
    ASSERT_EQ(Server->Admin({u"notice"_s, u"停机通知"_s, u"今晚 22 点停机一小时。"_s}), 0);
    const std::optional<QString> body = client.WaitFor(PROTOCOL_NOTICE, 6000);
    ASSERT_TRUE(body);
    int type = -1;
    QString title, content;
    ASSERT_TRUE(ParseNotice(*body, type, title, content));
    EXPECT_EQ(type, 0);
    EXPECT_EQ(title, u"停机通知"_s);
    EXPECT_EQ(content, u"今晚 22 点停机一小时。"_s);
}

TEST_F(MessageTest, HeartbeatsAreAnsweredAndOtherRequestsNeedALogin)
{
    TTestClient client;
    ASSERT_TRUE(client.Connect(Server->MessagePort()));
    TProtocolHeartbeat heartbeat;
    client.Send(heartbeat);
    EXPECT_TRUE(client.WaitFor(PROTOCOL_HEARTBEAT));
    client.Send(*Question(u"未登录的问题"_s));
    const std::optional<QString> refused = client.WaitFor(PROTOCOL_POSTQUESTION);
    ASSERT_TRUE(refused);
    QString url;
    int localId = -1, questionId = -1;
    EXPECT_FALSE(ParsePostQuestionResult(*refused, url, localId, questionId));
}

TEST_F(MessageTest, AnswersAreStoredAndRoutedByThePageName)
{
    TTestClient client;
    ASSERT_EQ(client.Login(Server->MessagePort(), u"demo"_s, u"demo123"_s), 1000000);
    TProtocolAnswerQuestion answer;
    answer.SetURL(u"7.html"_s);
    answer.Setquestionid(7);
    answer.SetNickName(u"演示用户"_s);
    answer.SetContent(u"试试把&nbsp;DoubleBuffered&nbsp;打开。<br>\n应该就好了。"_s);
    client.Send(answer);
    std::optional<QString> body = client.WaitFor(PROTOCOL_ANSWERQUESTION);
    ASSERT_TRUE(body);
    QString url;
    EXPECT_TRUE(ParseAnswerResult(*body, url));
    EXPECT_EQ(url, u"7.html"_s);
    EXPECT_TRUE(Server->Get(u"/ask/html/7.html"_s).Body.contains(u"试试把&nbsp;DoubleBuffered&nbsp;打开。<br>"_s.toUtf8()));

    answer.SetURL(u"999999.html"_s);
    answer.Setquestionid(999999);
    client.Send(answer);
    body = client.WaitFor(PROTOCOL_ANSWERQUESTION);
    ASSERT_TRUE(body);
    EXPECT_FALSE(ParseAnswerResult(*body, url));
    EXPECT_EQ(url, u"999999.html"_s); // a refusal still finds its dialog
}

TEST_F(MessageTest, SharedAddressesMustBeWebAddresses)
{
    TTestClient client;
    ASSERT_EQ(client.Login(Server->MessagePort(), u"demo"_s, u"demo123"_s), 1000000);
    const struct {
        QString Url;
        bool Accepted;
    } cases[] = {{u"http://example.invalid/a?b=1&amp;c=2"_s, true},
                 {u"HTTPS://example.invalid/"_s, true},
                 {u"javascript:alert(1)"_s, false},
                 {QString(), false}};
    for (const auto &c : cases) {
        TProtocolPostURL share;
        share.SetURL(c.Url);
        share.SetTitle(u"好网站&nbsp;"_s + c.Url);
        share.SetUser(u"演示用户"_s);
        share.Setdate(u"2024-05-01"_s);
        share.SetClassification(61);
        client.Send(share);
        const std::optional<QString> body = client.WaitFor(PROTOCOL_POSTURL);
        ASSERT_TRUE(body);
        EXPECT_EQ(ParseSuccess(*body), c.Accepted) << c.Url.toStdString();
    }
    const QByteArray page = Server->Get(u"/ask/QivShareURL.asp"_s).Body;
    EXPECT_TRUE(page.contains("href=\"http://example.invalid/a?b=1&amp;c=2\""));
    EXPECT_FALSE(page.contains("javascript:"));
}

TEST_F(MessageTest, OnlyModeratorsReportChatGroupMembers)
{
    const struct {
        QString User, Password;
        bool Accepted;
    } cases[] = {{u"demo"_s, u"demo123"_s, false}, {u"admin"_s, u"admin123"_s, true}};
    for (const auto &c : cases) {
        TTestClient client;
        ASSERT_EQ(client.Login(Server->MessagePort(), c.User, c.Password), 1000000);
        TProtocolPostQQUser report;
        report.SetQQNum(u"12345678"_s + c.User);
        report.SetNickname(u"刷屏的人"_s);
        report.SetReason(u"发广告"_s);
        report.SetDate(u"2024-05-02"_s);
        client.Send(report);
        const std::optional<QString> body = client.WaitFor(PROTOCOL_POSTQQUSER);
        ASSERT_TRUE(body);
        EXPECT_EQ(ParseSuccess(*body), c.Accepted) << c.User.toStdString();
        EXPECT_EQ(Server->Get(u"/ask/QQGroupLog.asp"_s).Body.contains((u"12345678"_s + c.User).toUtf8()), c.Accepted);
    }
}

TEST_F(MessageTest, AnUploadRequestIsGrantedWithAnIdentifier)
{
    TTestClient client;
    ASSERT_EQ(client.Login(Server->MessagePort(), u"demo"_s, u"demo123"_s), 1000000);
    TProtocolUploadFile upload;
    upload.SetFileName(u"/tmp/some/dir/工具.zip"_s);
    upload.SetFileSize(1234);
    upload.SetUser(u"演示用户"_s);
    upload.SetDepict(u"一个小工具"_s);
    client.Send(upload);
    const std::optional<QString> body = client.WaitFor(PROTOCOL_UPLOADFILE);
    ASSERT_TRUE(body);
    bool success = false;
    QString guid, info;
    ASSERT_TRUE(ParseUploadResult(*body, success, guid, info));
    EXPECT_TRUE(success);
    EXPECT_FALSE(guid.isEmpty());
}

TEST_F(MessageTest, ChangedPasswordReplacesTheOldOne)
{
    ASSERT_EQ(Server->PostForm(u"/users/reg.asp"_s, {{u"username"_s, u"pwuser"_s}, {u"nickname"_s, u"改密码的人"_s},
                                                     {u"password"_s, u"first-secret"_s}, {u"password2"_s, u"first-secret"_s},
                                                     {u"email"_s, u"pw@example.invalid"_s}})
                  .Status,
              200);
    {
        TTestClient client;
        ASSERT_EQ(client.Login(Server->MessagePort(), u"pwuser"_s, u"first-secret"_s), 1000000);
        TProtocolChagePwd change;
        change.SetUser(u"someone-else"_s);
        change.SetNewPwd(Md5Text(u"hijack"_s, 16));
        client.Send(change);
        std::optional<QString> body = client.WaitFor(PROTOCOL_CHAGEPWD);
        ASSERT_TRUE(body);
        EXPECT_FALSE(ParseChagePwdResult(*body));
        change.SetUser(u"pwuser"_s);
        change.SetNewPwd(Md5Text(u"second-secret"_s, 16));
        client.Send(change);
        body = client.WaitFor(PROTOCOL_CHAGEPWD);
        ASSERT_TRUE(body);
        EXPECT_TRUE(ParseChagePwdResult(*body));
    }
    TTestClient old, fresh; // one client each: reconnecting one TProtocolMagege at once can lose the new socket
    EXPECT_EQ(old.Login(Server->MessagePort(), u"pwuser"_s, u"first-secret"_s), 1000002);
    EXPECT_EQ(fresh.Login(Server->MessagePort(), u"pwuser"_s, u"second-secret"_s), 1000000);
}

// Every refusal of the login dialog's table, each with what brings it about and what undoes it.
TEST(LoginErrors, EveryIdentifierWhereItApplies)
{
    TServerProcess server;
    const struct {
        const char *Name;
        QStringList Before, After;
        QString User, Password;
        int Expected;
    } cases[] = {
        {"wrong name", {}, {}, u"nobody"_s, u"demo123"_s, 1000001},
        {"empty name", {}, {}, QString(), u"demo123"_s, 1000001},
        {"wrong password", {}, {}, u"demo"_s, u"demo124"_s, 1000002},
        {"locked", {u"lock"_s, u"demo"_s}, {u"unlock"_s, u"demo"_s}, u"demo"_s, u"demo123"_s, 1000004},
        {"maintenance", {u"maintenance"_s, u"on"_s}, {u"maintenance"_s, u"off"_s}, u"demo"_s, u"demo123"_s, 1000005},
        {"client too old", {u"minversion"_s, u"2"_s}, {u"minversion"_s, u"1"_s}, u"demo"_s, u"demo123"_s, 1000006},
        {"name in another case", {}, {}, u"DEMO"_s, u"demo123"_s, 1000000},
    };
    for (const auto &c : cases) {
        if (!c.Before.isEmpty()) {
            ASSERT_EQ(server.Admin(c.Before), 0) << c.Name;
        }
        TTestClient client;
        EXPECT_EQ(client.Login(server.MessagePort(), c.User, c.Password), c.Expected) << c.Name;
        if (!c.After.isEmpty()) {
            ASSERT_EQ(server.Admin(c.After), 0) << c.Name;
        }
    }

    TTestClient first;
    ASSERT_EQ(first.Login(server.MessagePort(), u"admin"_s, u"admin123"_s), 1000000);
    TTestClient second;
    EXPECT_EQ(second.Login(server.MessagePort(), u"admin"_s, u"admin123"_s), 1000003);
    first.Manager().DisConnect();
    int error = 0;
    for (const QDeadlineTimer deadline(5000); !deadline.hasExpired() && error != 1000000;)
        error = second.Login(server.MessagePort(), u"admin"_s, u"admin123"_s);
    EXPECT_EQ(error, 1000000) << "a closed connection frees the member";
}

// The announcement of a new question reaches another member intact in both text modes.
class QuestionBroadcast : public testing::TestWithParam<bool> {};

TEST_P(QuestionBroadcast, PostedQuestionIsAnnouncedStoredAndPublished)
{
    TServerProcess server(GetParam() ? QStringList{u"--seed"_s, u"demo"_s, u"--ascii"_s} : QStringList{u"--seed"_s, u"demo"_s});
    TTestClient author, reader;
    ASSERT_EQ(author.Login(server.MessagePort(), u"demo"_s, u"demo123"_s), 1000000);
    ASSERT_EQ(reader.Login(server.MessagePort(), u"admin"_s, u"admin123"_s), 1000000);
    // Chinese, a character GBK lacks, an emoji, and what the client's escaping produces.
    const QString title = u"中文标题&nbsp;ǹ&nbsp;한글&nbsp;😀&nbsp;a&amp;b&nbsp;\\&nbsp;/path"_s;
    author.Send(*Question(title));

    const std::optional<QString> verdict = author.WaitFor(PROTOCOL_POSTQUESTION);
    ASSERT_TRUE(verdict);
    QString page;
    int localId = -1, questionId = 0;
    ASSERT_TRUE(ParsePostQuestionResult(*verdict, page, localId, questionId));
    EXPECT_EQ(questionId, 301);
    EXPECT_EQ(page, u"301.html"_s);
    EXPECT_EQ(localId, 0);

    const std::optional<QString> notice = reader.WaitFor(PROTOCOL_NOTICE);
    ASSERT_TRUE(notice);
    int type = -1;
    QString noticeTitle, content;
    ASSERT_TRUE(ParseNotice(*notice, type, noticeTitle, content));
    EXPECT_EQ(type, 1);
    TProtocolPostQuestion record;
    ASSERT_TRUE(ParseQuestionRecord(content, &record));
    EXPECT_EQ(record.Title(), title);
    EXPECT_EQ(record.Classification(), DatabaseType);
    EXPECT_EQ(record.URL(), u"301.html"_s);
    EXPECT_EQ(record.NickName(), u"演示用户"_s) << "the author is who logged in";
    EXPECT_EQ(record.QuestionID(), 301);
    EXPECT_EQ(QDateTime::fromString(record.Date(), u"yyyy-MM-dd hh:mm:ss"_s).isValid(), true);
    EXPECT_TRUE(author.WaitFor(PROTOCOL_NOTICE)) << "the author is a logged-in member too";

    EXPECT_TRUE(EventuallyPublished(server, title));
    const QByteArray html = server.Get(u"/ask/html/301.html"_s).Body;
    EXPECT_TRUE(html.contains(title.toUtf8()));
    EXPECT_TRUE(html.contains(u"第一行<br>\n第二行&nbsp;有空格"_s.toUtf8()));
}

INSTANTIATE_TEST_SUITE_P(TextModes, QuestionBroadcast, testing::Values(false, true),
                         [](const testing::TestParamInfo<bool> &info) { return info.param ? "Ascii" : "CodePage"; });

TEST(QuestionBroadcast, RefusedPostsAreNotStored)
{
    TServerProcess server;
    TTestClient client;
    ASSERT_EQ(client.Login(server.MessagePort(), u"demo"_s, u"demo123"_s), 1000000);
    const struct {
        QString Title;
        int Type;
    } cases[] = {{QString(), DatabaseType}, {u"没有分类"_s, 0}, {u"未知分类"_s, 12345}, {QString(600, u'长'), DatabaseType}};
    for (const auto &c : cases) {
        client.Send(*Question(c.Title, c.Type));
        const std::optional<QString> verdict = client.WaitFor(PROTOCOL_POSTQUESTION);
        ASSERT_TRUE(verdict);
        QString url;
        int localId = 0, questionId = 0;
        EXPECT_FALSE(ParsePostQuestionResult(*verdict, url, localId, questionId));
    }
    EXPECT_EQ(server.Get(u"/ask/html/301.html"_s).Status, 404);
}

// Raw bytes at the message port: bad frames are answered or end the connection, never the server.
class BadInput : public testing::Test {
protected:
    static QByteArray Frame(const QString &text) { return text.toUtf8() + QByteArray(1, '\0'); }

    // The next frame, or nothing when the server closed the connection first (bounded wait).
    static std::optional<QByteArray> Next(TcpClient &socket, int ms = 5000)
    {
        auto read = std::async(std::launch::async, [&socket] {
            QByteArray frame;
            socket.ReadUntil('\0', frame);
            return frame;
        });
        if (read.wait_for(std::chrono::milliseconds(ms)) != std::future_status::ready) {
            socket.Close();
            read.wait();
            ADD_FAILURE() << "no answer and no close";
            return std::nullopt;
        }
        try {
            return read.get();
        } catch (const ETcpError &) {
            return std::nullopt;
        }
    }

    static bool StillAnswers(TcpClient &socket)
    {
        socket.WriteBlock(Frame(TProtocolHeartbeat().Data()));
        const std::optional<QByteArray> reply = Next(socket);
        int code = 0;
        QString body;
        return reply && UnpackProtocol(QString::fromLatin1(*reply), code, body) && code == PROTOCOL_HEARTBEAT;
    }
};

TEST_F(BadInput, FramesThatAreNotRequestsLeaveTheConnectionWorking)
{
    TServerProcess server;
    TcpClient socket;
    socket.Connect(u"127.0.0.1"_s, server.MessagePort(), 3000);
    for (const QByteArray &bad : {Frame(u"this is not JSON"_s), Frame(u"{\"version\":1,\"protocol\":12345,\"data\":\"{}\"}"_s),
                                  Frame(u"[1,2,3]"_s), QByteArray(1, '\0'), Frame(PackProtocol(10002, u"not json"_s))}) {
        socket.WriteBlock(bad);
        EXPECT_TRUE(StillAnswers(socket)) << bad.left(40).toStdString();
    }
    socket.WriteBlock(Frame(PackProtocol(PROTOCOL_LOGIN, u"{}"_s)));
    const std::optional<QByteArray> refusal = Next(socket);
    ASSERT_TRUE(refusal);
    int code = 0;
    QString body, md5, url;
    int error = 0;
    ASSERT_TRUE(UnpackProtocol(QString::fromLatin1(*refusal), code, body));
    ASSERT_TRUE(ParseLoginResult(body, md5, url, error));
    EXPECT_EQ(error, 1000001);
}

TEST_F(BadInput, OversizedFramesAndSilentClientsAreDropped)
{
    TServerProcess server({u"--seed"_s, u"demo"_s, u"--idle-timeout"_s, u"1"_s});
    {
        TcpClient socket;
        socket.Connect(u"127.0.0.1"_s, server.MessagePort(), 3000);
        socket.WriteBlock(QByteArray((1 << 20) + 16, 'x'));
        EXPECT_FALSE(Next(socket)) << "a frame over 1 MiB closes the connection";
    }
    {
        TcpClient socket;
        socket.Connect(u"127.0.0.1"_s, server.MessagePort(), 3000);
        EXPECT_FALSE(Next(socket)) << "a client that sends nothing is dropped";
    }
    TTestClient client;
    EXPECT_EQ(client.Login(server.MessagePort(), u"demo"_s, u"demo123"_s), 1000000) << "the server and its store live on";
    EXPECT_EQ(server.Stop(), 0);
}
} // namespace
