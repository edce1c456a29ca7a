#include "TransferConversation.h"

#include "Json.h"
#include "WireText.h"

#include <QDir>
#include <QFileInfo>

using namespace Qt::StringLiterals;

namespace {
constexpr qsizetype MaxLine = 64 * 1024;

QByteArray Line(const TJsonObject &body)
{
    return TWireText::EscapeNonAscii(body.ToText()).toLatin1() + "\r\n";
}

QString PartPath(const QString &path)
{
    return path + u".part"_s;
}
} // namespace

TTransferConversation::TTransferConversation(TEnvironment environment) : FEnv(std::move(environment)) {}

TTransferConversation::~TTransferConversation() = default;

QString TTransferConversation::SafeName(const QString &name)
{
    QString safe = QFileInfo(QString(name).replace(u'\\', u'/')).fileName();
    for (QChar &ch : safe) {
        if (ch.unicode() < 0x20 || ch == u':' || ch == u'*' || ch == u'?' || ch == u'"' || ch == u'<' || ch == u'>'
            || ch == u'|')
            ch = u'_';
    }
    if (safe == u"."_s || safe == u".."_s)
        return {};
    if (safe.startsWith(u'.'))
        safe.prepend(u'_');
    return safe.left(200);
}

QString TTransferConversation::StoredPath(const QString &uploadDir, const QString &user, const QString &fileName)
{
    return QDir(uploadDir).filePath(SafeName(user) + u'/' + SafeName(fileName));
}

QByteArray TTransferConversation::Feed(const char *data, qsizetype size)
{
    QByteArray replies;
    while (size > 0 && !FWantsClose) {
        if (FRemaining > 0) {
            const qint64 taken = TakeBytes(data, size);
            data += taken;
            size -= taken;
            continue;
        }
        const char *end = static_cast<const char *>(memchr(data, '\n', size_t(size)));
        const qsizetype piece = end ? end - data : size;
        FLine.append(data, piece);
        data += piece + (end ? 1 : 0);
        size -= piece + (end ? 1 : 0);
        if (FLine.size() > MaxLine) {
            replies += Refuse(u"line too long"_s);
        } else if (end) {
            const QByteArray line = FLine.endsWith('\r') ? FLine.chopped(1) : FLine;
            FLine.clear();
            replies += HandleLine(line);
        }
    }
    return replies;
}

qint64 TTransferConversation::TakeBytes(const char *data, qint64 size)
{
    const qint64 taken = qMin(size, FRemaining);
    if (FPart->write(data, taken) != taken) {
        FRemaining = 0;
        FPart.reset();
        FWantsClose = true;
        FLastEvent = u"cannot write %1"_s.arg(FFileName);
        return taken;
    }
    FRemaining -= taken;
    if (FRemaining == 0)
        FPart->flush();
    return taken;
}

QByteArray TTransferConversation::Refuse(const QString &event)
{
    FWantsClose = true;
    FLastEvent = event;
    return {};
}

QByteArray TTransferConversation::HandleLine(const QByteArray &line)
{
    TJsonObject message;
    if (!TJsonObject::TryParse(QString::fromUtf8(line), message) || !message.IsObject())
        return Refuse(u"not a transfer message"_s);
    TJsonObject data;
    const QString dataText = message.GetStr(u"data"_s);
    if (!dataText.isEmpty() && !TJsonObject::TryParse(dataText, data))
        data = TJsonObject();
    switch (message.GetInt(u"protocol"_s)) {
    case 1: return AnnounceUser(data);
    case 3: return AnnounceFile(data);
    case 2: return EndFile();
    default: return Refuse(u"unknown transfer message"_s);
    }
}

QByteArray TTransferConversation::AnnounceUser(const TJsonObject &data)
{
    const QString user = data.GetStr(u"user"_s).trimmed();
    const bool allowed = !SafeName(user).isEmpty() && FEnv.Allowed && FEnv.Allowed(user);
    FUser = allowed ? user : QString();
    TJsonObject reply;
    reply.Put(u"allowed"_s, allowed);
    reply.Put(u"mes"_s, allowed ? u"欢迎上传文件"_s : u"该用户不能上传文件！"_s);
    FLastEvent = allowed ? u"user %1 allowed"_s.arg(user) : u"user %1 refused"_s.arg(user);
    return Line(reply);
}

QByteArray TTransferConversation::AnnounceFile(const TJsonObject &data)
{
    FFileName = SafeName(data.GetStr(u"filename"_s));
    FFileSize = data.GetInt(u"filesize"_s);
    if (FUser.isEmpty() || FFileName.isEmpty() || FFileSize < 0 || FFileSize > 0x7FFFFFFF)
        return Refuse(u"file refused: %1"_s.arg(FUser.isEmpty() ? u"no user"_s : u"name or size"_s));
    const QString path = StoredPath(FEnv.UploadDir, FUser, FFileName);
    QDir().mkpath(QFileInfo(path).path());
    FPart.reset();
    qint64 held = FFileSize;
    const QFileInfo stored(path);
    const bool alreadyStored = stored.isFile() && stored.size() == FFileSize && !QFile::exists(PartPath(path));
    if (!alreadyStored) {
        FPart = std::make_unique<QFile>(PartPath(path));
        if (!FPart->open(QIODevice::ReadWrite))
            return Refuse(u"cannot open %1"_s.arg(FPart->fileName()));
        if (FPart->size() > FFileSize) // what we hold belongs to another file of that name
            FPart->resize(0);
        held = FPart->size();
        FPart->seek(held);
    }
    FAnnounced = true;
    FRemaining = FFileSize - held;
    TJsonObject reply;
    reply.Put(u"fileSize"_s, held);
    FLastEvent = u"file %1: %2 of %3 bytes held"_s.arg(FFileName).arg(held).arg(FFileSize);
    return Line(reply);
}

QByteArray TTransferConversation::EndFile()
{
    TJsonObject reply;
    if (!FAnnounced) {
        reply.Put(u"success"_s, false);
        reply.Put(u"mes"_s, u"no file was announced"_s);
        FLastEvent = u"end without a file"_s;
        return Line(reply);
    }
    FAnnounced = false;
    bool complete = true; // a file stored before needs no bytes
    if (FPart) {
        complete = FRemaining == 0 && FPart->size() == FFileSize;
        FPart->close();
        if (complete) {
            const QString path = StoredPath(FEnv.UploadDir, FUser, FFileName);
            QFile::remove(path);
            complete = FPart->rename(path);
        }
        FPart.reset();
    }
    if (complete && FEnv.Completed)
        FEnv.Completed(FUser, FFileName, FFileSize);
    reply.Put(u"success"_s, complete);
    reply.Put(u"mes"_s, complete ? u"upload complete: %1, %2 bytes"_s.arg(FFileName).arg(FFileSize)
                                 : u"upload incomplete: %1"_s.arg(FFileName));
    FLastEvent = complete ? u"stored %1 (%2 bytes)"_s.arg(FFileName).arg(FFileSize) : u"incomplete %1"_s.arg(FFileName);
    return Line(reply);
}
