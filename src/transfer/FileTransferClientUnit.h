#pragma once

#include "TObject.h"

#include <QString>

#include <functional>
#include <memory>

class TcpClient;

using TOnTransPercentDone = std::function<void(TObject *Sender, int Percent)>;

class TFileTransferBase : public TObject {
    TALVIK_PROPERTY(QString, Host)
    TALVIK_PROPERTY(int, Port)
    TALVIK_PROPERTY(QString, FileName)
    TALVIK_EVENT(TOnTransPercentDone, TransPercentDone)
};

// Uploads one file to the transfer server over a connection of its own, in a short line-based
// JSON conversation (7-bit ASCII lines ended by CR LF): announce the user, announce the file,
// receive the offset the server wants the data from, send the bytes, end the transfer.
class TTcpFileTransfer : public TFileTransferBase {
    TALVIK_PROPERTY(QString, User)
    TALVIK_PROPERTY(QString, Pwd)

public:
    TTcpFileTransfer();
    ~TTcpFileTransfer() override;

    void Connect();    // throws ETcpError
    void TransBegin(); // runs the whole upload on the calling thread; network errors escape
    void TransStop() {}
    bool Connected() const;

    static QString MakeTransMessage(int protocol, const QString &data);
    static QString MakeUserData(const QString &user);
    static QString MakeFileInfoData(const QString &filename, int filesize);
    static bool ParseAllowedReply(const QString &line, bool &allowed, QString &mes);
    static bool ParseFileSizeReply(const QString &line, int &fileSize);

private:
    void SendLine(const QString &text);
    QString ReadLine();
    void SendFileFrom(class QFile &file, qint64 offset);
    void WorkBegin(qint64 countMax);
    void Work(qint64 count);

    std::unique_ptr<TcpClient> FTcpClient;
    int FWorkPercent = 0;
    qint64 FWorkCountMax = 0;
};
