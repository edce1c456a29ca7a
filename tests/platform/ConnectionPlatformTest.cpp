#include "AnsiCodePage.h"
#include "LoopbackListener.h"
#include "MessageWindow.h"
#include "TcpClient.h"

#include <QTest>

#include <gtest/gtest.h>

#include <stdexcept>
#include <thread>

using namespace Qt::StringLiterals;

TEST(MessageWindowTest, PostsFromAnyThreadAreHandledInOrderOnTheOwnersThread)
{
    std::vector<unsigned> handled;
    bool onOwner = true;
    const auto owner = std::this_thread::get_id();
    MessageWindow window([&](TMessage &message) {
        onOwner = onOwner && std::this_thread::get_id() == owner;
        handled.push_back(message.Msg);
        if (message.Msg == 3)
            throw std::runtime_error("swallowed by the window");
    });
    std::thread worker([handle = window.Handle()] {
        for (unsigned msg = 1; msg <= 100; ++msg)
            PostMessage(handle, msg, 0, 0);
    });
    worker.join();
    EXPECT_TRUE(handled.empty()); // nothing runs before the owner's loop does
    EXPECT_TRUE(QTest::qWaitFor([&] { return handled.size() == 100; }, 3000));
    EXPECT_TRUE(onOwner);
    for (unsigned i = 0; i < handled.size(); ++i)
        EXPECT_EQ(handled[i], i + 1);
}

TEST(MessageWindowTest, PostsToAWindowThatIsGoneAreDropped)
{
    int handled = 0;
    THandle handle = 0;
    {
        MessageWindow window([&](TMessage &) { ++handled; });
        handle = window.Handle();
        EXPECT_TRUE(PostMessage(handle, 1, 0, 0)); // pending when the window goes
    }
    EXPECT_FALSE(PostMessage(handle, 2, 0, 0));
    MessageWindow later([&](TMessage &) { ++handled; });
    EXPECT_NE(later.Handle(), handle); // handles are never reused
    QTest::qWait(50);
    EXPECT_EQ(handled, 0);
}

TEST(AnsiCodePageTest, RoundTripsAndReplacesWhatItCannotRepresent)
{
    ASSERT_TRUE(AnsiCodePage::IsAvailable());
    EXPECT_EQ(AnsiCodePage::FromUnicode(u"中文abc"_s), QByteArray("\xD6\xD0\xCE\xC4" "abc"));
    EXPECT_EQ(AnsiCodePage::ToUnicode("\xD6\xD0\xCE\xC4" "abc"), u"中文abc"_s);
    EXPECT_EQ(AnsiCodePage::FromUnicode(u"a😀b"_s), QByteArray("a?b"));
}

TEST(AnsiCodePageTest, FollowsAChangeOfNameAndReadsAsciiBytesAsThatCodePageDoes)
{
    EXPECT_EQ(AnsiCodePage::ToUnicode("ab"), u"ab"_s);
    AnsiCodePage::SetName("UTF-16LE"); // a code page whose ASCII bytes are other characters
    EXPECT_EQ(AnsiCodePage::ToUnicode("ab"), QString(QChar(0x6261)));
    EXPECT_EQ(AnsiCodePage::FromUnicode(u"a"_s), QByteArray("a\0", 2));
    AnsiCodePage::SetName("System"); // the system's own 8-bit code page (UTF-8 here, ANSI on Windows)
    EXPECT_TRUE(AnsiCodePage::IsAvailable());
    EXPECT_EQ(AnsiCodePage::ToUnicode(AnsiCodePage::FromUnicode(u"中文"_s)), u"中文"_s);
    AnsiCodePage::SetName({});
    EXPECT_EQ(AnsiCodePage::ToUnicode("ab"), u"ab"_s);
}

class TTcpClientTest : public ::testing::Test {
protected:
    void Open()
    {
        FClient.Connect(u"127.0.0.1"_s, FServer.Port(), 3000);
        FPeer = FServer.Accept();
        ASSERT_TRUE(FPeer);
    }
    TLoopbackListener FServer;
    TcpClient FClient;
    std::unique_ptr<TLoopbackPeer> FPeer;
};

TEST_F(TTcpClientTest, ReadsBytesAndFramesFromItsBuffer)
{
    Open();
    FPeer->Send(QByteArray("xab\0cd", 6));
    EXPECT_EQ(FClient.ReadByte(), 'x');
    QByteArray frame;
    FClient.ReadUntil('\0', frame);
    EXPECT_EQ(frame, "ab");
    FPeer->Send(QByteArray("e\0", 2), 20);
    frame.clear();
    FClient.ReadUntil('\0', frame);
    EXPECT_EQ(frame, "cde");
}

TEST_F(TTcpClientTest, CloseFromAnotherThreadReleasesABlockedReader)
{
    Open();
    std::thread closer([this] {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        FClient.Close();
    });
    QByteArray frame;
    EXPECT_THROW(FClient.ReadUntil('\0', frame), ETcpError);
    closer.join();
    EXPECT_FALSE(FClient.IsOpen());
    EXPECT_THROW(FClient.WriteBlock("x"), ETcpError);
    EXPECT_TRUE(FPeer->WaitClosed(1000));
}

TEST_F(TTcpClientTest, WritingToAPeerThatLeftFailsWithoutKillingTheProcess)
{
    Open();
    FPeer->Close();
    const QByteArray block(64 * 1024, 'x');
    EXPECT_THROW(
        for (int i = 0; i < 100; ++i) FClient.WriteBlock(block), ETcpError);
}

TEST_F(TTcpClientTest, RefusalThrows)
{
    quint16 closedPort = 0;
    {
        TLoopbackListener gone;
        closedPort = gone.Port();
    }
    EXPECT_THROW(FClient.Connect(u"127.0.0.1"_s, closedPort, 3000), ETcpError);
    EXPECT_FALSE(FClient.IsOpen());
}
