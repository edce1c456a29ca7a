#include "AnsiCodePage.h"
#include "ClientAppUnit.h"
#include "Clock.h"
#include "HttpDownThreadUnit.h"
#include "Json.h"
#include "JsonDataUnit.h"
#include "LoopbackListener.h"
#include "LoopbackServer.h"
#include "MeInfoUnit.h"
#include "MessageBox.h"
#include "ProtocolPostQQUserUnit.h"
#include "ProtocolPostQuestionUnit.h"
#include "TestSupport.h"
#include "WebURLUnit.h"
#include "md5.h"

#include <httplib.h>

#include <gtest/gtest.h>

#include <map>
#include <mutex>
#include <thread>

using namespace Qt::StringLiterals;

namespace {

QString Envelope(int code, const TJsonObject &body) { return PackProtocol(code, body.ToText()); }
QString Envelope(int code, const QString &bodyText) { return PackProtocol(code, bodyText); }

// The community server as a test scripts it: it records every frame it receives, in order, and
// answers each one with whatever the script returns.
class TCommunity {
public:
    struct TFrame {
        int Connection = 0;
        int Protocol = 0;
        TJsonObject Body;
    };
    using TScript = std::function<QStringList(int protocol, const TJsonObject &body)>;

    TCommunity() : FServer([this](TLoopbackConnection &c) { Serve(c); }) {}

    int Port() const { return FServer.Port(); }
    void SetScript(TScript script)
    {
        std::lock_guard<std::mutex> locker(FLock);
        FScript = std::move(script);
    }
    std::vector<TFrame> Frames() const
    {
        std::lock_guard<std::mutex> locker(FLock);
        return FFrames;
    }
    std::vector<TFrame> FramesOf(int protocol) const
    {
        std::vector<TFrame> result;
        for (const TFrame &f : Frames())
            if (f.Protocol == protocol)
                result.push_back(f);
        return result;
    }
    QStringList Timeline() const
    {
        std::lock_guard<std::mutex> locker(FLock);
        return FTimeline;
    }
    void Push(int connection, const QString &text) // an unsolicited message
    {
        std::lock_guard<std::mutex> locker(FLock);
        FConnections.at(connection)->Write(AnsiCodePage::FromUnicode(text) + '\0');
    }

private:
    void Serve(TLoopbackConnection &c)
    {
        int id = 0;
        {
            std::lock_guard<std::mutex> locker(FLock);
            id = ++FAccepted;
            FConnections[id] = &c;
        }
        while (const auto frame = c.ReadUntil('\0')) {
            int protocol = 0;
            QString data;
            UnpackProtocol(QString::fromUtf8(*frame), protocol, data);
            TJsonObject body;
            TJsonObject::TryParse(data, body);
            QStringList replies;
            {
                std::lock_guard<std::mutex> locker(FLock);
                FFrames.push_back({id, protocol, body});
                FTimeline.append(u"frame %1 %2"_s.arg(id).arg(protocol));
                if (FScript)
                    replies = FScript(protocol, body);
            }
            for (const QString &reply : replies)
                c.Write(AnsiCodePage::FromUnicode(reply) + '\0');
        }
        std::lock_guard<std::mutex> locker(FLock);
        FTimeline.append(u"closed %1"_s.arg(id));
        FConnections.erase(id);
    }

    mutable std::mutex FLock;
    TScript FScript;
    std::vector<TFrame> FFrames;
    QStringList FTimeline;
    std::map<int, TLoopbackConnection *> FConnections;
    int FAccepted = 0;
    TLoopbackServer FServer; // last: its threads stop before the fields above go
};

TJsonObject LoginReply(int errorId, const QString &md5 = {}, const QString &url = {})
{
    TJsonObject body;
    body.Put(u"errorid"_s, errorId);
    body.Put(u"questiondatamd5"_s, md5);
    body.Put(u"questiondataurl"_s, url);
    return body;
}

TJsonObject Profile(bool isManage)
{
    TJsonObject info;
    info.Put(u"username"_s, u"alice"_s);
    info.Put(u"nickname"_s, u"爱丽丝"_s);
    info.Put(u"usergroup"_s, u"会员"_s);
    info.Put(u"id"_s, 7);
    info.Put(u"ismanage"_s, isManage);
    TJsonObject body;
    body.Put(u"userinfo"_s, info);
    return body;
}

class ClientAppTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        FDir.Write(u"Config.dat"_s, u"[Server]\nhost=127.0.0.1\nPort=%1\n"_s.arg(FCommunity.Port()).toUtf8());
        FClient.SetMainFormHandle(FMainForm.Handle());
        MessageBox::SetHandler([this](const TMessageBoxCall &call) {
            FBoxes.push_back(call);
            return TMsgResult::OK;
        });
        FClient.SetOnLoginEvent([this](TObject *, int id) { FEvents.append(u"login %1"_s.arg(id)); });
        FClient.SetOnConnectErrorEvent([this](TObject *) { FEvents.append(u"connect error"_s); });
        FClient.SetOnDownUserInfoEvent([this](TObject *, TMeInfo *info) { FEvents.append(u"profile "_s + info->NickName()); });
        FClient.SetOnPostQuestionEvent([this](TObject *, bool ok, const QString &url, int local, int id) {
            FEvents.append(u"post %1 %2 %3 %4"_s.arg(ok).arg(url).arg(local).arg(id));
        });
        FClient.SetOnAnswerQuestionEvent([this](TObject *, bool ok, const QString &url) { FEvents.append(u"answer %1 %2"_s.arg(ok).arg(url)); });
        FClient.SetOnPostURLEvent([this](TObject *, bool ok) { FEvents.append(u"url %1"_s.arg(ok)); });
        FClient.SetOnPostQQUserEvent([this](TObject *, bool ok) { FEvents.append(u"report %1"_s.arg(ok)); });
        FClient.SetOnChagePwdEvent([this](TObject *, bool ok) { FEvents.append(u"password %1"_s.arg(ok)); });
        FClient.SetOnNoticeEvent([this](TObject *, int type, const QString &title, const QString &content) {
            FEvents.append(u"notice %1 %2 %3"_s.arg(type).arg(title, content));
        });
        FClient.SetOnRequestUploadShareFileEvent([this](TObject *, bool ok, const QString &guid, const QString &info) {
            FEvents.append(u"upload %1 %2 %3"_s.arg(ok).arg(guid, info));
        });
    }
    void TearDown() override
    {
        MessageBox::SetHandler({});
        Shell::SetHandler({});
        Clock::SetSource({});
    }

    // Answers a login with success announcing `md5`, and a profile request with a profile.
    void ScriptSuccessfulLogin(const QString &md5, const QString &url = u"http://127.0.0.1:9/none"_s, bool isManage = false)
    {
        FCommunity.SetScript([=](int protocol, const TJsonObject &) -> QStringList {
            if (protocol == 10001)
                return {Envelope(10001, LoginReply(LOGIN_OK, md5, url))};
            if (protocol == 10002)
                return {Envelope(10002, Profile(isManage))};
            return {};
        });
    }
    void LogInWithCurrentDatabase(bool isManage = false)
    {
        FDir.Write(u"Data/DataFile.dat"_s, "questions");
        ScriptSuccessfulLogin(Md5ToHex(Md5OfFile(FDir.File(u"Data/DataFile.dat"_s))), {}, isManage);
        FClient.Login(u"alice"_s, u"secret"_s);
        ASSERT_TRUE(PumpUntil([&] { return FEvents.filter(u"profile"_s).size() == 1; }));
    }
    bool WaitForEvents(qsizetype count) { return PumpUntil([&] { return FEvents.size() >= count; }); }
    void Settle(int ms = 300) { PumpUntil([] { return false; }, ms); }

    TTempProgramDir FDir;
    TCommunity FCommunity;
    TMessageRecorder FMainForm;
    TClientApp FClient;
    QStringList FEvents;
    std::vector<TMessageBoxCall> FBoxes;
};

TEST_F(ClientAppTest, ALoginWithACurrentDatabaseRaisesTheLoginEventBeforeTheProfileArrives)
{
    FDir.Write(u"Data/DataFile.dat"_s, "questions");
    ScriptSuccessfulLogin(Md5ToHex(Md5OfFile(FDir.File(u"Data/DataFile.dat"_s))).toUpper());
    FClient.Login(u"alice"_s, u"secret"_s);
    ASSERT_TRUE(WaitForEvents(2));
    EXPECT_EQ(FEvents, (QStringList{u"login 1000000"_s, u"profile 爱丽丝"_s}));
    EXPECT_TRUE(FClient.HeartbeatActive());
    EXPECT_FALSE(FMainForm.Has(WM_DOWNDATA_BEGIN)) << "no download for a current database";

    const auto frames = FCommunity.Frames();
    ASSERT_EQ(frames.size(), 3u);
    EXPECT_EQ(frames[0].Protocol, 10001);
    EXPECT_EQ(frames[0].Body.ToText(), u"{\"userpass\":\"%1\",\"username\":\"alice\"}"_s.arg(Md5Text(u"secret"_s, 16)));
    EXPECT_EQ(frames[1].Protocol, 10002);
    EXPECT_EQ(frames[2].Protocol, 10006);
    EXPECT_EQ(frames[2].Body.GetStr(u"username"_s), u"alice"_s);
    EXPECT_EQ(FClient.MeInfo->Usergroup(), u"会员"_s);
    EXPECT_EQ(FClient.MeInfo->PassWord(), QString()) << "the profile reply overwrites the typed password";
}

TEST_F(ClientAppTest, ALoginWithoutALocalDatabaseDownloadsItToTheMainWindow)
{
    httplib::Server http;
    const int port = http.bind_to_any_port("127.0.0.1");
    http.Get("/db", [](const httplib::Request &, httplib::Response &res) { res.set_content("new database", "application/octet-stream"); });
    std::thread serving([&] { http.listen_after_bind(); });
    while (!http.is_running())
        std::this_thread::sleep_for(std::chrono::milliseconds(1));

    // Even the digest of empty input, which a missing file also has, starts the download.
    ScriptSuccessfulLogin(u"d41d8cd98f00b204e9800998ecf8427e"_s, u"http://127.0.0.1:%1/db"_s.arg(port));
    FClient.Login(u"alice"_s, u"secret"_s);
    const bool ended = PumpUntil([&] { return FMainForm.Has(WM_DOWNDATA_FINISH) || FMainForm.Has(WM_DOWNDATA_ERROR); });
    http.stop();
    serving.join();
    ASSERT_TRUE(ended);
    EXPECT_EQ(FMainForm.Numbers().back(), WM_DOWNDATA_FINISH);
    EXPECT_EQ(FDir.Read(u"Data/TempDataFile.dat"_s), QByteArray("new database"));
    EXPECT_TRUE(FEvents.filter(u"login"_s).isEmpty()) << "the main window completes the login itself";
}

TEST_F(ClientAppTest, ARefusedLoginClosesTheConnectionAndReportsTheIdentifier)
{
    FCommunity.SetScript([](int protocol, const TJsonObject &) -> QStringList {
        return protocol == 10001 ? QStringList{Envelope(10001, LoginReply(1000002))} : QStringList{};
    });
    FClient.Login(u"alice"_s, u"wrong"_s);
    ASSERT_TRUE(WaitForEvents(1));
    EXPECT_EQ(FEvents, QStringList{u"login 1000002"_s});
    EXPECT_EQ(FClient.LoginErrorid(), 1000002);
    EXPECT_FALSE(FClient.HeartbeatActive());
    EXPECT_TRUE(PumpUntil([&] { return FCommunity.Timeline().contains(u"closed 1"_s); }));
}

TEST_F(ClientAppTest, AnEmptyLoginBodyRaisesNothing)
{
    FCommunity.SetScript([](int protocol, const TJsonObject &) -> QStringList {
        return protocol == 10001 ? QStringList{Envelope(10001, u" \r\n "_s)} : QStringList{};
    });
    FClient.Login(u"alice"_s, u"secret"_s);
    Settle();
    EXPECT_TRUE(FEvents.isEmpty());
    EXPECT_FALSE(FClient.HeartbeatActive());
}

TEST_F(ClientAppTest, AServerThatCannotBeReachedShowsTheBoxAndRaisesTheConnectError)
{
    TLoopbackListener silent(0); // accepts nothing: once its queue is full, a connect waits for the time-out
    silent.FillBacklog();
    for (const int port : {1, int(silent.Port())}) { // refused at once; never answered
        FDir.Write(u"Config.dat"_s, u"[Server]\nhost=127.0.0.1\nPort=%1\n"_s.arg(port).toUtf8());
        FBoxes.clear();
        FEvents.clear();
        FClient.Login(u"alice"_s, u"secret"_s);
        ASSERT_EQ(FBoxes.size(), 1u) << port;
        EXPECT_EQ(FBoxes[0].Text, u"无法连接到服务器，请检查网络！"_s);
        EXPECT_EQ(FBoxes[0].Caption, u"提示"_s);
        EXPECT_EQ(FBoxes[0].Icon, TMsgIcon::Error);
        EXPECT_TRUE(FEvents.isEmpty()) << "the connect notification arrives after Login returned";
        ASSERT_TRUE(WaitForEvents(1));
        EXPECT_EQ(FEvents, QStringList{u"connect error"_s});
    }
    EXPECT_TRUE(FCommunity.Frames().empty());
}

TEST_F(ClientAppTest, LoggingInAgainClosesTheOldConnectionBeforeTheNewLoginGoesOut)
{
    LogInWithCurrentDatabase();
    FClient.Login(u"alice"_s, u"secret"_s);
    ASSERT_TRUE(PumpUntil([&] { return FCommunity.Timeline().contains(u"frame 2 10001"_s); }));
    const QStringList timeline = FCommunity.Timeline();
    ASSERT_TRUE(timeline.contains(u"closed 1"_s));
    EXPECT_LT(timeline.indexOf(u"closed 1"_s), timeline.indexOf(u"frame 2 10001"_s));
}

TEST_F(ClientAppTest, AChangeOfPasswordCarriesTheUserNameAndTheDigest)
{
    LogInWithCurrentDatabase();
    FCommunity.SetScript([](int protocol, const TJsonObject &) -> QStringList {
        return protocol == 10010 ? QStringList{Envelope(10010, u"{\"success\":true}"_s)} : QStringList{};
    });
    FEvents.clear();
    FClient.ChagePwd(Md5Text(u"新密码"_s, 16));
    ASSERT_TRUE(WaitForEvents(1));
    EXPECT_EQ(FEvents, QStringList{u"password 1"_s});
    const auto frames = FCommunity.FramesOf(10010);
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0].Body.ToText(), u"{\"username\":\"alice\",\"newpwd\":\"%1\"}"_s.arg(Md5Text(u"新密码"_s, 16)));
}

TEST_F(ClientAppTest, MessagesOfCode10009ChangeNothing)
{
    LogInWithCurrentDatabase();
    FEvents.clear();
    const QString nickName = FClient.MeInfo->NickName();
    FCommunity.Push(1, Envelope(10009, u"{\"text\":\"hello\"}"_s));
    FCommunity.Push(1, Envelope(10006, u"{\"type\":0,\"title\":\"t\",\"content\":\"after\"}"_s));
    ASSERT_TRUE(WaitForEvents(1));
    EXPECT_EQ(FEvents, QStringList{u"notice 0 t after"_s}) << "only the notice that followed raised anything";
    EXPECT_EQ(FClient.MeInfo->NickName(), nickName);
}

TEST_F(ClientAppTest, OnlyAModeratorsReportIsSent)
{
    LogInWithCurrentDatabase(false);
    TProtocolPostQQUser report;
    report.SetQQNum(u"10001"_s);
    FClient.PostQQUser(&report);
    Settle();
    EXPECT_TRUE(FCommunity.FramesOf(10004).empty());

    FClient.MeInfo->SetIsManage(true);
    FClient.PostQQUser(&report);
    ASSERT_TRUE(PumpUntil([&] { return FCommunity.FramesOf(10004).size() == 1; }));
    EXPECT_EQ(FCommunity.FramesOf(10004)[0].Body.GetStr(u"qqnum"_s), u"10001"_s);
}

TEST_F(ClientAppTest, TwoPostedQuestionsGiveTwoEventsInReplyOrder)
{
    LogInWithCurrentDatabase();
    int posted = 0;
    FCommunity.SetScript([&posted](int protocol, const TJsonObject &body) -> QStringList {
        if (protocol != 10003)
            return {};
        ++posted;
        TJsonObject reply;
        reply.Put(u"success"_s, true);
        reply.Put(u"url"_s, body.GetStr(u"title"_s) + u".html"_s);
        reply.Put(u"localid"_s, 0);
        reply.Put(u"questionid"_s, 100 + posted);
        return {Envelope(10003, reply)};
    });
    FEvents.clear();
    for (const QString &title : {u"first"_s, u"second"_s}) {
        TProtocolPostQuestion question;
        question.SetTitle(title);
        FClient.PostQuestion(&question);
    }
    ASSERT_TRUE(WaitForEvents(2));
    EXPECT_EQ(FEvents, (QStringList{u"post 1 first.html 0 101"_s, u"post 1 second.html 0 102"_s}));
}

TEST_F(ClientAppTest, UndecodableVerdictsGiveFalseWithEmptyOutputs)
{
    LogInWithCurrentDatabase();
    FEvents.clear();
    for (int code : {10003, 10007, 10005, 10004, 10010, 10008, 10006})
        FCommunity.Push(1, Envelope(code, u"not json"_s));
    FCommunity.Push(1, Envelope(10007, u"{\"success\":true}"_s));
    ASSERT_TRUE(WaitForEvents(7));
    Settle();
    EXPECT_EQ(FEvents, (QStringList{u"post 0  0 0"_s, u"answer 0 "_s, u"url 0"_s, u"report 0"_s, u"password 0"_s,
                                    u"upload 0  "_s, u"answer 1 "_s}))
        << "a notice that is not JSON raises nothing";
}

TEST_F(ClientAppTest, TheHeartbeatVerdictAllowsTwentySecondsSinceTheLastReply)
{
    QDateTime now = QDateTime::currentDateTime();
    Clock::SetSource([&now] { return now; });
    LogInWithCurrentDatabase();
    QList<bool> verdicts;
    FClient.SetOnDisConnectEvent([&verdicts](TObject *, bool connected) { verdicts.append(connected); });
    const QDateTime login = FClient.MeInfo->HeartbeatDate();
    ASSERT_EQ(login, now);

    now = login.addSecs(10); // the first tick: no reply yet, but the login result counts
    FClient.HeartbeatTimerEvent();
    now = login.addSecs(20);
    FClient.HeartbeatTimerEvent();
    now = login.addMSecs(21999);
    FClient.HeartbeatTimerEvent();
    EXPECT_EQ(verdicts, (QList<bool>{true, true, false}));
    EXPECT_TRUE(FClient.HeartbeatActive());
    ASSERT_TRUE(PumpUntil([&] { return FCommunity.FramesOf(10000).size() == 3; }));
    EXPECT_EQ(FCommunity.FramesOf(10000)[0].Body.GetStr(u"username"_s), u"alice"_s);

    now = login.addSecs(40);
    FCommunity.Push(1, Envelope(10000, u"{}"_s));
    ASSERT_TRUE(PumpUntil([&] { return FClient.MeInfo->HeartbeatDate() == now; }));
}

TEST_F(ClientAppTest, SitePagesOpenWithTheSystemsDefaultHandler)
{
    QStringList opened;
    Shell::SetHandler([&opened](const QString &address) { opened.append(address); });
    FClient.RegUser();
    FClient.FindPassword();
    FClient.SendIdea();
    FClient.ShowQQBackList();
    EXPECT_EQ(opened, (QStringList{FClient.WebURL->RegURL(), FClient.WebURL->FindPasswordURL(),
                                   FClient.WebURL->SendIdeaURL(), FClient.WebURL->QQGroupLogURL()}));
    EXPECT_TRUE(FCommunity.Frames().empty());
}

} // namespace
