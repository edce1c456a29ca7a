#include "ClientAppUnit.h"
#include "FileTransferClientUnit.h"
#include "Json.h"
#include "LoopbackServer.h"
#include "MessageBox.h"
#include "TcpClient.h"
#include "TestSupport.h"

#include <QFile>

#include <gtest/gtest.h>

#include <mutex>

using namespace Qt::StringLiterals;

namespace {

// A transfer server: answers the user announcement with `Allowed`, the file announcement with
// `Offset`, reads the bytes that follow and answers the end message with "bye".
struct TTransferServer {
    QByteArray Allowed = R"({"allowed":true,"mes":""})";
    int Offset = 0;

    std::mutex Lock;
    QList<QByteArray> Lines;
    QByteArray Received;

    TLoopbackServer Server{[this](TLoopbackConnection &c) { Serve(c); }};

    void Serve(TLoopbackConnection &c)
    {
        const auto user = c.ReadUntil('\n');
        if (!user)
            return;
        Record(*user);
        c.Write(Allowed + "\r\n");
        const auto fileInfo = c.ReadUntil('\n');
        if (!fileInfo)
            return;
        Record(*fileInfo);
        TJsonObject announced;
        TJsonObject::TryParse(TJsonObject::Parse(QString::fromLatin1(fileInfo->trimmed())).GetStr(u"data"_s), announced);
        c.Write("{\"fileSize\":" + QByteArray::number(Offset) + "}\r\n");
        const auto bytes = c.ReadExactly(qMax<qint64>(0, announced.GetInt(u"filesize"_s) - Offset));
        if (!bytes)
            return;
        {
            std::lock_guard<std::mutex> locker(Lock);
            Received = *bytes;
        }
        if (const auto end = c.ReadUntil('\n')) {
            Record(*end);
            c.Write("bye\r\n");
        }
    }
    void Record(const QByteArray &line)
    {
        std::lock_guard<std::mutex> locker(Lock);
        Lines.append(line);
    }
};

class FileTransferTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        MessageBox::SetHandler([this](const TMessageBoxCall &call) {
            FBoxes.append(call.Text);
            return TMsgResult::OK;
        });
        FTransfer.SetOnTransPercentDone([this](TObject *, int percent) { FPercents.append(percent); });
    }
    void TearDown() override { MessageBox::SetHandler({}); }

    void Upload(const QString &name, const QByteArray &content)
    {
        FDir.Write(name, content);
        FTransfer.SetHost(u"127.0.0.1"_s);
        FTransfer.SetPort(FServer.Server.Port());
        FTransfer.SetFileName(FDir.File(name));
        FTransfer.Connect();
        FTransfer.TransBegin();
    }

    TTempProgramDir FDir;
    TTransferServer FServer;
    TTcpFileTransfer FTransfer;
    QStringList FBoxes;
    QList<int> FPercents;
};

TEST_F(FileTransferTest, TheConversationAnnouncesUserAndFileAndSendsTheWholeFile)
{
    const QByteArray content(200000, 'x');
    Upload(u"notes.txt"_s, content);
    const auto line = [](const char *text) -> QByteArray { return QByteArray(text) + '\r'; }; // each line ends in CR LF
    EXPECT_EQ(FServer.Lines, (QList<QByteArray>{
                                 line(R"({"protocol":1,"data":"{\"user\":\"lumo482\"}"})"),
                                 line(R"({"protocol":3,"data":"{\"filename\":\"notes.txt\",\"filesize\":200000}"})"),
                                 line(R"({"protocol":2,"data":""})"),
                             }));
    EXPECT_EQ(FServer.Received, content);
    EXPECT_EQ(FBoxes, QStringList{u"bye"_s}) << "the end answer is shown as it came";
    ASSERT_FALSE(FPercents.isEmpty());
    EXPECT_EQ(FPercents.back(), 100);
}

TEST_F(FileTransferTest, AResumedUploadSendsFromTheServersOffset)
{
    FServer.Offset = 4;
    Upload(u"part.bin"_s, "0123456789");
    EXPECT_EQ(FServer.Received, QByteArray("456789"));
}

TEST_F(FileTransferTest, AnEmptyFileIsAnnouncedWithSizeZeroAndNoBytes)
{
    Upload(u"empty.txt"_s, QByteArray());
    ASSERT_EQ(FServer.Lines.size(), 3);
    EXPECT_TRUE(FServer.Lines[1].contains(R"(\"filesize\":0)"));
    EXPECT_TRUE(FServer.Received.isEmpty());
    EXPECT_TRUE(FPercents.isEmpty());
}

TEST_F(FileTransferTest, ANameOutsideAsciiIsAnnouncedWithQuestionMarks)
{
    Upload(u"报告\U0001F600-1.txt"_s, "abc");
    ASSERT_GE(FServer.Lines.size(), 2);
    EXPECT_TRUE(FServer.Lines[1].contains(R"(\"filename\":\"???-1.txt\")")) << FServer.Lines[1].toStdString();
}

TEST_F(FileTransferTest, ARefusalShowsTheServersMessage)
{
    const std::pair<QByteArray, QString> cases[] = {
        {R"({"allowed":false,"mes":"\u4ec5\u9650\u4f1a\u5458"})", u"仅限会员"_s},
        {R"({"allowed":false})", QString()},
        {R"({"mes":"no"})", u"no"_s},
    };
    for (const auto &[reply, shown] : cases) {
        TTransferServer server;
        server.Allowed = reply;
        TTcpFileTransfer transfer;
        FDir.Write(u"a.txt"_s, "abc");
        transfer.SetHost(u"127.0.0.1"_s);
        transfer.SetPort(server.Server.Port());
        transfer.SetFileName(FDir.File(u"a.txt"_s));
        transfer.Connect();
        FBoxes.clear();
        transfer.TransBegin();
        EXPECT_EQ(FBoxes, QStringList{shown}) << reply.toStdString();
        EXPECT_TRUE(PumpUntil([&] { return server.Lines.size() == 1; }, 1000)) << "nothing follows a refusal";
    }
}

TEST_F(FileTransferTest, AnOverlongAnswerLineEndsTheTransferWithAnError)
{
    FServer.Allowed = R"({"allowed":false,"mes":")" + QByteArray(4 << 20, 'x') + R"("})";
    EXPECT_THROW(Upload(u"a.txt"_s, "abc"), ETcpError) << "a line must not grow without bound";
    EXPECT_TRUE(FBoxes.isEmpty());
}

TEST_F(FileTransferTest, AFileTooLargeForTheAnnouncementIsRefusedBeforeAnythingIsSent)
{
    QFile big(FDir.File(u"big.iso"_s));
    ASSERT_TRUE(big.open(QIODevice::WriteOnly));
    ASSERT_TRUE(big.resize(qint64(1) << 31)); // sparse: no disk is used
    big.close();
    FTransfer.SetHost(u"127.0.0.1"_s);
    FTransfer.SetPort(FServer.Server.Port());
    FTransfer.SetFileName(big.fileName());
    FTransfer.Connect();
    FTransfer.TransBegin();
    ASSERT_EQ(FBoxes.size(), 1);
    EXPECT_EQ(FBoxes[0], u"文件太大了！只能上传小于2GB的文件！"_s);
    EXPECT_TRUE(FServer.Lines.isEmpty());
}

TEST_F(FileTransferTest, AMissingFileOrNoConnectionDoesNothing)
{
    FTransfer.SetFileName(FDir.File(u"none.txt"_s));
    FTransfer.TransBegin(); // not connected, no file
    FTransfer.SetHost(u"127.0.0.1"_s);
    FTransfer.SetPort(FServer.Server.Port());
    FTransfer.Connect();
    FTransfer.TransBegin();
    EXPECT_TRUE(FBoxes.isEmpty());
    EXPECT_TRUE(FServer.Lines.isEmpty());
}

TEST_F(FileTransferTest, TheClientObjectUploadsToTheConfiguredServer)
{
    FDir.Write(u"Config.dat"_s, u"[Server]\nhost=127.0.0.1\nPort=%1\n"_s.arg(FServer.Server.Port()).toUtf8());
    FDir.Write(u"share.txt"_s, "shared");
    TClientApp client;
    client.UploadFile(FDir.File(u"share.txt"_s));
    EXPECT_EQ(FServer.Received, QByteArray("shared"));
    EXPECT_EQ(FBoxes, QStringList{u"bye"_s});
}

} // namespace
