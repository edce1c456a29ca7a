#include "LoopbackListener.h"
#include "ProtocolDownUserInfoUnit.h"
#include "ProtocolMagegeUnit.h"
#include "uIndyClient.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTest>

#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>

using namespace Qt::StringLiterals;

namespace {

constexpr int WaitMs = 3000;

// Posted messages are handled only while the test pumps the event loop.
bool PumpUntil(const std::function<bool()> &done, int timeoutMs = WaitMs)
{
    return QTest::qWaitFor(done, timeoutMs);
}

void Settle(int ms) { QTest::qWait(ms); }

int ThreadCount()
{
    return QDir(u"/proc/self/task"_s).entryList(QDir::Dirs | QDir::NoDotAndDotDot).size();
}

QByteArray Frame(const QByteArray &text) { return text + '\0'; }

} // namespace

// A client connected to a loopback server, collecting every text and event it raises.
class TConnectionTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        FClient = std::make_unique<TQivClient>();
        FClient->SetOnReceiveDataSuccessEvent([this](TObject *, const QString &data) { FTexts.append(data); });
        FClient->SetOnReceiveDataErrorEvent([this](TObject *) { ++FErrors; });
        FClient->SetOnConnectEvent([this](TObject *, bool connected) { FConnectResults.push_back(connected); });
    }

    void Open()
    {
        FClient->SetHost(u"127.0.0.1"_s);
        FClient->SetPort(FServer.Port());
        FClient->Connect();
        ASSERT_TRUE(FClient->Connected());
        FPeer = FServer.Accept();
        ASSERT_TRUE(FPeer);
    }

    TLoopbackListener FServer;
    std::unique_ptr<TQivClient> FClient;
    std::unique_ptr<TLoopbackPeer> FPeer;
    QStringList FTexts;
    int FErrors = 0;
    std::vector<bool> FConnectResults;
};

struct TFramingCase {
    const char *Name;
    std::vector<QByteArray> Segments;
    QStringList Texts;
};

class TFramingTest : public TConnectionTest, public ::testing::WithParamInterface<TFramingCase> {};

TEST_P(TFramingTest, SegmentsBecomeTextsInOrder)
{
    Open();
    for (const QByteArray &segment : GetParam().Segments)
        FPeer->Send(segment, 20);
    const QStringList expected = GetParam().Texts;
    EXPECT_TRUE(PumpUntil([&] { return FTexts.size() >= expected.size(); }));
    Settle(50);
    EXPECT_EQ(FTexts, expected);
    EXPECT_EQ(FErrors, 0);
}

INSTANTIATE_TEST_SUITE_P(
    Frames, TFramingTest,
    ::testing::Values(
        TFramingCase{"TwoFramesInOneSegment", {QByteArray("first\0second\0", 13)}, {u"first"_s, u"second"_s}},
        TFramingCase{"OneFrameOverSeveralSegments", {"{\"ver", "sion\":1,", QByteArray("\"data\":\"x\"}\0", 12)},
                     {uR"({"version":1,"data":"x"})"_s}},
        TFramingCase{"LoneZeroByteIsAnEmptyText", {QByteArray(1, '\0')}, {QString()}},
        TFramingCase{"FrameEndsInOneSegmentAndNextBegins", {QByteArray("ab\0c", 4), QByteArray("d\0", 2)}, {u"ab"_s, u"cd"_s}},
        TFramingCase{"BytesAboveAsciiReadInTheAnsiCodePage", {QByteArray("\xD6\xD0\xCE\xC4\0", 5)}, {u"中文"_s}}),
    [](const auto &info) { return std::string(info.param.Name); });

TEST_F(TConnectionTest, SendDataWritesUtf8AndOneZeroByte)
{
    Open();
    FClient->SendData(u"{\"title\":\"中文\"}"_s);
    FClient->SendData(u"second"_s);
    const QByteArray expected = Frame(u"{\"title\":\"中文\"}"_s.toUtf8()) + Frame("second");
    EXPECT_EQ(FPeer->Read(expected.size() + 1, 1000), expected);
}

TEST_F(TConnectionTest, FramesQueuedWhileClosedLeaveWholeAndInOrderOnceOpen)
{
    for (const QString &text : {u"one"_s, u"two"_s, u"three"_s})
        FClient->SendData(text);
    Open();
    FClient->SendData(u"four"_s); // writes the oldest; the sender thread the rest
    const QByteArray expected = Frame("one") + Frame("two") + Frame("three") + Frame("four");
    EXPECT_EQ(FPeer->Read(expected.size() + 1, 2000), expected);
}

TEST_F(TConnectionTest, PortAboveSixteenBitsIsCut)
{
    FClient->SetHost(u"127.0.0.1"_s);
    FClient->SetPort(0x10000 + FServer.Port());
    FClient->Connect();
    EXPECT_TRUE(FClient->Connected());
    EXPECT_TRUE(FServer.Accept());
}

TEST_F(TConnectionTest, ConnectEventArrivesAfterConnectReturned)
{
    Open();
    EXPECT_TRUE(FConnectResults.empty());
    EXPECT_TRUE(PumpUntil([&] { return !FConnectResults.empty(); }));
    EXPECT_EQ(FConnectResults, std::vector<bool>{true});
}

TEST_F(TConnectionTest, ConnectToAListenerThatNeverAnswersGivesUpAfterThreeSeconds)
{
    TLoopbackListener silent(0);
    silent.FillBacklog();
    FClient->SetHost(u"127.0.0.1"_s);
    FClient->SetPort(silent.Port());
    QElapsedTimer timer;
    timer.start();
    FClient->Connect();
    const qint64 elapsed = timer.elapsed();
    EXPECT_FALSE(FClient->Connected());
    EXPECT_GE(elapsed, 2900);
    EXPECT_LT(elapsed, 6000);
    EXPECT_TRUE(FConnectResults.empty());
    EXPECT_TRUE(PumpUntil([&] { return !FConnectResults.empty(); }));
    EXPECT_EQ(FConnectResults, std::vector<bool>{false});
}

TEST_F(TConnectionTest, RefusedConnectReportsFalse)
{
    quint16 closedPort = 0;
    {
        TLoopbackListener gone;
        closedPort = gone.Port();
    }
    FClient->SetHost(u"127.0.0.1"_s);
    FClient->SetPort(closedPort);
    FClient->Connect();
    EXPECT_FALSE(FClient->Connected());
    EXPECT_TRUE(PumpUntil([&] { return !FConnectResults.empty(); }));
    EXPECT_EQ(FConnectResults, std::vector<bool>{false});
}

TEST_F(TConnectionTest, LostConnectionClosesAndRaisesTheErrorEvent)
{
    Open();
    FPeer->Close();
    EXPECT_TRUE(PumpUntil([&] { return FErrors == 1; }));
    EXPECT_FALSE(FClient->Connected());
}

TEST_F(TConnectionTest, NewConnectionStartsWithAnEmptyReceiveBuffer)
{
    Open();
    FPeer->Send("tail of a frame cut off");
    FPeer->Close();
    ASSERT_TRUE(PumpUntil([&] { return !FClient->Connected(); }));
    Open();
    FPeer->Send(Frame("fresh"));
    EXPECT_TRUE(PumpUntil([&] { return !FTexts.isEmpty(); }));
    EXPECT_EQ(FTexts, QStringList{u"fresh"_s});
}

TEST_F(TConnectionTest, ConnectWhileOpenClosesTheOldConnectionFirst)
{
    for (int i = 0; i < 50; ++i) {
        auto old = std::move(FPeer);
        Open();
        if (old) {
            EXPECT_TRUE(old->WaitClosed(1000));
        }
    }
    FPeer->Send(Frame("latest"));
    EXPECT_TRUE(PumpUntil([&] { return !FTexts.isEmpty(); }));
    EXPECT_EQ(FTexts, QStringList{u"latest"_s});
}

TEST_F(TConnectionTest, HandlerErrorRaisesTheErrorEventAndLaterTextsStillCome)
{
    FClient->SetOnReceiveDataSuccessEvent([this](TObject *, const QString &data) {
        FTexts.append(data);
        if (data == u"bad"_s)
            throw std::runtime_error("handler failed");
    });
    Open();
    FPeer->Send(Frame("bad"));
    EXPECT_TRUE(PumpUntil([&] { return FErrors == 1; }));
    FPeer->Send(Frame("good"));
    EXPECT_TRUE(PumpUntil([&] { return FTexts.size() == 2; }));
    EXPECT_EQ(FTexts, (QStringList{u"bad"_s, u"good"_s}));
    EXPECT_TRUE(FClient->Connected());
}

// A handler that runs a modal loop: the nested loop goes on draining the same queue in order,
// and the receiver keeps reading while the outer handler has not returned.
TEST_F(TConnectionTest, NestedLoopInAHandlerDrainsTheSameQueueInOrder)
{
    QStringList started;
    FClient->SetOnReceiveDataSuccessEvent([&](TObject *, const QString &data) {
        started.append(data);
        if (data == u"modal"_s) {
            FPeer->Send(Frame("during"));
            PumpUntil([&] { return started.size() >= 2; });
        }
        FTexts.append(data);
    });
    Open();
    FPeer->Send(Frame("modal"));
    EXPECT_TRUE(PumpUntil([&] { return FTexts.size() == 2; }));
    EXPECT_EQ(started, (QStringList{u"modal"_s, u"during"_s}));
    EXPECT_EQ(FTexts, (QStringList{u"during"_s, u"modal"_s}));
}

TEST_F(TConnectionTest, DestroyingAConnectedClientClosesAndJoinsBothThreads)
{
    FClient.reset();
    const int baseline = ThreadCount();
    FClient = std::make_unique<TQivClient>();
    EXPECT_EQ(ThreadCount(), baseline + 2);
    Open();
    Settle(50); // the receiver is now blocked in its read
    FClient.reset();
    EXPECT_EQ(ThreadCount(), baseline);
    EXPECT_TRUE(FPeer->WaitClosed(1000));
}

// The protocol manager on the same loopback server.
class TProtocolMagegeTest : public ::testing::Test {
protected:
    bool Connect() { return FMagege.Connect(u"127.0.0.1"_s, FServer.Port()); }

    TLoopbackListener FServer;
    TProtocolMagege FMagege;
};

TEST_F(TProtocolMagegeTest, ProfileRequestOfAliceLeavesByteExact)
{
    ASSERT_TRUE(Connect());
    auto peer = FServer.Accept();
    ASSERT_TRUE(peer);
    TProtocolDownUserInfo request;
    request.SetUserName(u"alice"_s);
    FMagege.SendData(request.Data());
    const QByteArray expected = Frame(R"({"version":1,"protocol":10002,"data":"{\"username\":\"alice\"}"})");
    EXPECT_EQ(peer->Read(expected.size() + 1, 1000), expected);
}

TEST_F(TProtocolMagegeTest, SendingWhileClosedWritesNothing)
{
    EXPECT_NO_THROW(FMagege.SendData(u"dropped"_s));
    ASSERT_TRUE(Connect());
    auto peer = FServer.Accept();
    ASSERT_TRUE(peer);
    EXPECT_EQ(peer->Read(1, 600), QByteArray()); // three sender steps: nothing was kept for later
}

TEST_F(TProtocolMagegeTest, EveryCatalogueCodeReachesItsEventAndOthersAreDropped)
{
    using TSetter = void (TProtocolMagege::*)(TOnTriggerProtocol);
    const std::vector<std::pair<int, TSetter>> catalogue = {
        {10000, &TProtocolMagege::SetOnHeartbeat},      {10001, &TProtocolMagege::SetOnLogin},
        {10002, &TProtocolMagege::SetOnDownUserInfo},   {10003, &TProtocolMagege::SetOnPostQuestion},
        {10004, &TProtocolMagege::SetOnPostQQUser},     {10005, &TProtocolMagege::SetOnPostURL},
        {10006, &TProtocolMagege::SetOnNotice},         {10007, &TProtocolMagege::SetOnAnswerQuestion},
        {10008, &TProtocolMagege::SetOnRequestUploadShareFile}, {10009, &TProtocolMagege::SetOnRecMessages},
        {10010, &TProtocolMagege::SetOnChagePwd},
    };
    QStringList raised;
    for (const auto &[code, setter] : catalogue) {
        (FMagege.*setter)([&raised, code = code, this](TObject *sender, const QString &data) {
            EXPECT_EQ(sender, &FMagege);
            raised.append(QString::number(code) + u':' + data);
        });
    }
    ASSERT_TRUE(Connect());
    auto peer = FServer.Accept();
    ASSERT_TRUE(peer);

    QByteArray wire;
    QStringList expected;
    for (const auto &entry : catalogue) {
        const int code = entry.first;
        wire += Frame(R"({"version":1,"protocol":)" + QByteArray::number(code) + R"(,"data":"b)" + QByteArray::number(code) + "\"}");
        expected.append(QString::number(code) + u":b"_s + QString::number(code));
    }
    wire += Frame(R"({"version":1,"protocol":10011,"data":"outside"})");
    wire += Frame(R"({"version":1,"data":"no code"})");
    wire += Frame("");
    wire += Frame("not json");
    wire += Frame(R"({"version":1,"protocol":"10001","data":{"errorid":1000000}})");
    expected.append(uR"(10001:{"errorid":1000000})"_s);
    peer->Send(wire);
    EXPECT_TRUE(PumpUntil([&] { return raised.size() >= expected.size(); }));
    Settle(50);
    EXPECT_EQ(raised, expected);
}

TEST_F(TProtocolMagegeTest, ConnectEventIsForwardedWithTheConnectionAsSender)
{
    std::vector<bool> results;
    FMagege.SetOnConnect([&](TObject *sender, bool connected) {
        EXPECT_NE(sender, &FMagege);
        results.push_back(connected);
    });
    ASSERT_TRUE(Connect());
    EXPECT_TRUE(PumpUntil([&] { return !results.empty(); }));
    EXPECT_EQ(results, std::vector<bool>{true});
}

// Reconnecting while connected: the old connection's failing read must not close the new one.
TEST_F(TProtocolMagegeTest, ReconnectWhileConnectedKeepsTheNewConnection)
{
    QStringList logins;
    FMagege.SetOnLogin([&](TObject *, const QString &data) { logins.append(data); });
    std::unique_ptr<TLoopbackPeer> peer;
    for (int i = 0; i < 500; ++i) {
        ASSERT_TRUE(Connect()) << "attempt " << i;
        auto next = FServer.Accept();
        ASSERT_TRUE(next);
        if (peer) {
            EXPECT_TRUE(peer->WaitClosed(1000));
        }
        peer = std::move(next);
        Settle(1);
        ASSERT_TRUE(FMagege.Connected()) << "attempt " << i;
    }
    peer->Send(Frame(R"({"protocol":10001,"data":"still here"})"));
    EXPECT_TRUE(PumpUntil([&] { return !logins.isEmpty(); }));
    EXPECT_EQ(logins, QStringList{u"still here"_s});
}

TEST_F(TProtocolMagegeTest, DisConnectClosesTheConnection)
{
    ASSERT_TRUE(Connect());
    auto peer = FServer.Accept();
    ASSERT_TRUE(peer);
    FMagege.DisConnect();
    EXPECT_FALSE(FMagege.Connected());
    EXPECT_TRUE(peer->WaitClosed(1000));
}
