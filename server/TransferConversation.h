#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

#include <functional>
#include <memory>

class TJsonObject;

// The file-transfer conversation of one connection: CRLF-ended JSON lines
// {"protocol":code,"data":"<inner JSON>"}; 1 announces the user (answer "allowed", "mes"), 3 the
// file (answer "fileSize": the bytes already held, so an interrupted upload resumes there), then
// the raw bytes, then 2 ends the file (answer one line). Replies are ASCII with \u escapes, the
// only way text reaches that client intact. Fed bytes as they arrive; knows nothing of sockets.
class TTransferConversation {
public:
    struct TEnvironment {
        QString UploadDir;
        std::function<bool(const QString &user)> Allowed;
        std::function<void(const QString &user, const QString &fileName, qint64 size)> Completed;
    };

    explicit TTransferConversation(TEnvironment environment);
    ~TTransferConversation();

    QByteArray Feed(const char *data, qsizetype size); // the reply lines to send
    bool WantsClose() const { return FWantsClose; }
    QString LastEvent() const { return FLastEvent; } // for the log

    // A file name safe to keep on disk: no directories, no control characters; empty when unusable.
    static QString SafeName(const QString &name);
    static QString StoredPath(const QString &uploadDir, const QString &user, const QString &fileName);

private:
    QByteArray HandleLine(const QByteArray &line);
    QByteArray AnnounceUser(const TJsonObject &data);
    QByteArray AnnounceFile(const TJsonObject &data);
    QByteArray EndFile();
    qint64 TakeBytes(const char *data, qint64 size);
    QByteArray Refuse(const QString &event);

    TEnvironment FEnv;
    QByteArray FLine;
    QString FUser;
    QString FFileName;
    qint64 FFileSize = 0;
    qint64 FRemaining = 0; // raw bytes still expected
    bool FAnnounced = false;
    std::unique_ptr<QFile> FPart;
    bool FWantsClose = false;
    QString FLastEvent;
};
