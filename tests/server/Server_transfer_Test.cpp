#include "ServerHarness.h"

#include "FileTransferClientUnit.h"
#include "Json.h"
#include "MessageBox.h"
#include "ProtocolUploadFileUnit.h"
#include "TcpClient.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {
// The transfer client's conversation, line by line, over the message port.
class TTransfer {
public:
    explicit TTransfer(quint16 port) { FSocket.Connect(u"127.0.0.1"_s, port, 3000); }

    TJsonObject Say(int protocol, const TJsonObject &data)
    {
        TJsonObject message;
        message.Put(u"protocol"_s, protocol);
        message.Put(u"data"_s, data.Count() ? data.ToText() : QString());
        FSocket.WriteBlock(message.ToText().toLatin1() + "\r\n");
        QByteArray line;
        FSocket.ReadUntil('\n', line);
        LastLine = line;
        return TJsonObject::Parse(QString::fromLatin1(line.trimmed()));
    }
    TJsonObject User(const QString &user)
    {
        TJsonObject data;
        data.Put(u"user"_s, user);
        return Say(1, data);
    }
    qint64 File(const QString &name, qint64 size)
    {
        TJsonObject data;
        data.Put(u"filename"_s, name);
        data.Put(u"filesize"_s, size);
        return Say(3, data).GetInt(u"fileSize"_s);
    }
    void Bytes(const QByteArray &bytes) { FSocket.WriteBlock(bytes); }
    TJsonObject End() { return Say(2, TJsonObject()); }
    void Close() { FSocket.Close(); }

    QByteArray LastLine;

private:
    TcpClient FSocket;
};

QByteArray Content(int size)
{
    QByteArray bytes(size, Qt::Uninitialized);
    for (int i = 0; i < size; ++i)
        bytes[i] = char((i * 7 + i / 251) & 0xFF);
    return bytes;
}

bool EventuallyLogged(const TServerProcess &server, const QString &text)
{
    for (const QDeadlineTimer deadline(5000); !deadline.hasExpired(); QThread::msleep(20)) {
        if (server.Log().contains(text))
            return true;
    }
    return false;
}

TEST(Transfer, AnInterruptedUploadResumesWhereItStopped)
{
    TServerProcess server;
    const QByteArray file = Content(300000);
    {
        TTransfer first(server.MessagePort());
        ASSERT_TRUE(first.User(u"demo"_s).GetBool(u"allowed"_s));
        ASSERT_EQ(first.File(u"C:\\work\\notes.bin"_s, file.size()), 0);
        first.Bytes(file.left(120000));
        first.Close();
    }
    ASSERT_TRUE(EventuallyLogged(server, u"closed: by the peer"_s));

    TTransfer second(server.MessagePort());
    ASSERT_TRUE(second.User(u"demo"_s).GetBool(u"allowed"_s));
    const qint64 held = second.File(u"notes.bin"_s, file.size());
    ASSERT_EQ(held, 120000);
    second.Bytes(file.mid(held));
    const TJsonObject end = second.End();
    EXPECT_TRUE(end.GetBool(u"success"_s)) << second.LastLine.toStdString();

    QFile stored(server.DataDir() + u"/uploads/demo/notes.bin"_s);
    ASSERT_TRUE(stored.open(QIODevice::ReadOnly));
    EXPECT_TRUE(stored.readAll() == file);
    EXPECT_TRUE(server.Get(u"/ask/QivShareFile.asp"_s).Body.contains("notes.bin"));
    const TServerProcess::THttpReply download = server.Get(u"/ask/files/1"_s);
    EXPECT_EQ(download.Status, 200);
    EXPECT_TRUE(download.Body == file);

    // The same file announced again is already complete: nothing more to send.
    EXPECT_EQ(second.File(u"notes.bin"_s, file.size()), file.size());
    EXPECT_TRUE(second.End().GetBool(u"success"_s));
}

// The client's own transfer class picks up an upload another connection left half done.
TEST(Transfer, TheTransferClientResumesAnUpload)
{
    TServerProcess server;
    QTemporaryDir dir;
    const QByteArray content = Content(200000);
    QFile local(dir.filePath(u"report.dat"_s));
    ASSERT_TRUE(local.open(QIODevice::WriteOnly));
    local.write(content);
    local.close();
    {
        TTransfer interrupted(server.MessagePort());
        ASSERT_TRUE(interrupted.User(u"lumo482"_s).GetBool(u"allowed"_s)); // the account the client announces
        ASSERT_EQ(interrupted.File(u"report.dat"_s, content.size()), 0);
        interrupted.Bytes(content.left(50000));
    }
    ASSERT_TRUE(EventuallyLogged(server, u"closed: by the peer"_s));

    QStringList boxes;
    MessageBox::SetHandler([&](const TMessageBoxCall &call) {
        boxes << call.Text;
        return TMsgResult::OK;
    });
    TTcpFileTransfer transfer;
    transfer.SetHost(u"127.0.0.1"_s);
    transfer.SetPort(server.MessagePort());
    transfer.SetFileName(local.fileName());
    transfer.Connect();
    transfer.TransBegin();
    MessageBox::SetHandler({});

    ASSERT_EQ(boxes.size(), 1);
    EXPECT_TRUE(TJsonObject::Parse(boxes.first()).GetBool(u"success"_s)) << boxes.first().toStdString();
    QFile stored(server.DataDir() + u"/uploads/lumo482/report.dat"_s);
    ASSERT_TRUE(stored.open(QIODevice::ReadOnly));
    EXPECT_TRUE(stored.readAll() == content);
    EXPECT_TRUE(server.Log().contains(u"file report.dat: 50000 of 200000 bytes held"_s));
}

TEST(Transfer, UnknownUsersAreRefusedInAsciiTheClientCanRead)
{
    TServerProcess server;
    TTransfer transfer(server.MessagePort());
    const TJsonObject reply = transfer.User(u"stranger"_s);
    EXPECT_FALSE(reply.GetBool(u"allowed"_s));
    EXPECT_FALSE(reply.GetStr(u"mes"_s).isEmpty());
    for (const char ch : transfer.LastLine)
        EXPECT_LT(static_cast<unsigned char>(ch), 0x80);
    EXPECT_TRUE(transfer.LastLine.endsWith('\r')) << "lines end in CR LF";
}
// A description belongs to the member who asked to upload the file, not to everyone's file of that name.
TEST(Transfer, AFileShowsOnlyItsOwnUploadersDescription)
{
    TServerProcess server;
    TTestClient client;
    ASSERT_EQ(client.Login(server.MessagePort(), u"demo"_s, u"demo123"_s), 1000000);
    TProtocolUploadFile request;
    request.SetFileName(u"same.txt"_s);
    request.SetFileSize(2);
    request.SetDepict(u"演示用户的说明"_s);
    client.Send(request);
    ASSERT_TRUE(client.WaitFor(PROTOCOL_UPLOADFILE));

    TTransfer transfer(server.MessagePort());
    ASSERT_TRUE(transfer.User(u"admin"_s).GetBool(u"allowed"_s));
    ASSERT_EQ(transfer.File(u"same.txt"_s, 2), 0);
    transfer.Bytes("ab");
    ASSERT_TRUE(transfer.End().GetBool(u"success"_s));
    const QString page = QString::fromUtf8(server.Get(u"/ask/QivShareFile.asp"_s).Body);
    EXPECT_TRUE(page.contains(u"same.txt"_s));
    EXPECT_FALSE(page.contains(u"演示用户的说明"_s));
}

} // namespace
