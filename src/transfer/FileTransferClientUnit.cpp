#include "FileTransferClientUnit.h"

#include "Json.h"
#include "MessageBox.h"
#include "TcpClient.h"

#include <QFile>
#include <QFileInfo>

#include <cmath>
#include <limits>

using namespace Qt::StringLiterals;

namespace {
constexpr int ConnectTimeoutMs = 3000;
constexpr qint64 ChunkSize = 64 * 1024;
constexpr qsizetype MaxLineBytes = 1024 * 1024;
// The user the conversation announces, whatever the User property says.
const QString TransferUser = u"lumo482"_s;

enum : int { TRANS_USER = 1, TRANS_END = 2, TRANS_FILEINFO = 3 };

// Lines are 7-bit ASCII: every other character goes out, and comes in, as a question mark.
QByteArray ToAscii(const QString &text)
{
    QByteArray bytes;
    for (const char32_t c : text.toUcs4()) // one mark per character, also beyond the 16-bit range
        bytes.append(c < 0x80 ? char(c) : '?');
    return bytes;
}

QString FromAscii(const QByteArray &bytes)
{
    QString text(bytes.size(), u'?');
    for (qsizetype i = 0; i < bytes.size(); ++i)
        if (uchar(bytes.at(i)) < 0x80)
            text[i] = QChar(char16_t(bytes.at(i)));
    return text;
}

bool ParseObject(const QString &line, TJsonObject &object)
{
    return TJsonObject::TryParse(line, object) && object.IsObject();
}
} // namespace

TTcpFileTransfer::TTcpFileTransfer() : FTcpClient(std::make_unique<TcpClient>()) {}

TTcpFileTransfer::~TTcpFileTransfer()
{
    FTcpClient->Close();
}

bool TTcpFileTransfer::Connected() const
{
    return FTcpClient->IsOpen();
}

void TTcpFileTransfer::Connect()
{
    FTcpClient->Connect(Host(), quint16(Port() & 0xFFFF), ConnectTimeoutMs);
}

QString TTcpFileTransfer::MakeTransMessage(int protocol, const QString &data)
{
    TJsonObject message;
    message.Put(u"protocol"_s, protocol);
    message.Put(u"data"_s, data);
    return message.ToText();
}

QString TTcpFileTransfer::MakeUserData(const QString &user)
{
    TJsonObject data;
    data.Put(u"user"_s, user);
    return data.ToText();
}

QString TTcpFileTransfer::MakeFileInfoData(const QString &filename, int filesize)
{
    TJsonObject data;
    data.Put(u"filename"_s, filename);
    data.Put(u"filesize"_s, filesize);
    return data.ToText();
}

bool TTcpFileTransfer::ParseAllowedReply(const QString &line, bool &allowed, QString &mes)
{
    TJsonObject reply;
    if (!ParseObject(line, reply))
        return false;
    allowed = reply.GetBool(u"allowed"_s);
    mes = reply.GetStr(u"mes"_s);
    return true;
}

bool TTcpFileTransfer::ParseFileSizeReply(const QString &line, int &fileSize)
{
    TJsonObject reply;
    if (!ParseObject(line, reply))
        return false;
    fileSize = int(reply.GetInt(u"fileSize"_s));
    return true;
}

void TTcpFileTransfer::SendLine(const QString &text)
{
    FTcpClient->WriteBlock(ToAscii(text) + "\r\n");
}

QString TTcpFileTransfer::ReadLine()
{
    QByteArray line;
    for (char c; (c = char(FTcpClient->ReadByte())) != '\n';) {
        if (line.size() >= MaxLineBytes) // a server that never ends its line must not fill the memory
            throw ETcpError("the transfer server sent an overlong line");
        line.append(c);
    }
    if (line.endsWith('\r'))
        line.chop(1);
    return FromAscii(line);
}

void TTcpFileTransfer::TransBegin()
{
    const QFileInfo info(FileName());
    if (!info.isFile() || !Connected())
        return;
    if (info.size() > std::numeric_limits<qint32>::max()) {
        // The conversation announces sizes in 32 bits: a larger file would be announced wrongly.
        MessageBox::Show(u"文件太大了！只能上传小于2GB的文件！"_s, u"提示"_s, TMsgIcon::Error);
        return;
    }

    SendLine(MakeTransMessage(TRANS_USER, MakeUserData(TransferUser)));
    bool allowed = false;
    QString mes;
    if (!ParseAllowedReply(ReadLine(), allowed, mes))
        return;
    if (!allowed) {
        MessageBox::Show(mes, u"提示"_s, TMsgIcon::Error);
        return;
    }

    QFile file(FileName());
    if (!file.open(QIODevice::ReadOnly))
        return;
    SendLine(MakeTransMessage(TRANS_FILEINFO, MakeFileInfoData(info.fileName(), int(info.size()))));
    int offset = 0;
    if (ParseFileSizeReply(ReadLine(), offset))
        SendFileFrom(file, offset);
    file.close();

    SendLine(MakeTransMessage(TRANS_END, QString()));
    MessageBox::Show(ReadLine(), u"提示"_s, TMsgIcon::Error);
}

void TTcpFileTransfer::SendFileFrom(QFile &file, qint64 offset)
{
    // An offset outside the file (a confused server) sends what lies from the nearest end.
    offset = qBound<qint64>(0, offset, file.size());
    if (!file.seek(offset))
        return;
    const qint64 total = file.size() - offset;
    WorkBegin(total);
    qint64 written = 0;
    while (written < total) {
        const QByteArray chunk = file.read(qMin(ChunkSize, total - written));
        if (chunk.isEmpty())
            break;
        FTcpClient->WriteBlock(chunk);
        written += chunk.size();
        Work(written);
    }
}

void TTcpFileTransfer::WorkBegin(qint64 countMax)
{
    FWorkCountMax = countMax;
    FWorkPercent = 0;
}

void TTcpFileTransfer::Work(qint64 count)
{
    if (FWorkCountMax != 0)
        FWorkPercent = int(std::ceil(100.0 * double(count) / double(FWorkCountMax)));
    Raise(OnTransPercentDone(), this, FWorkPercent);
}
