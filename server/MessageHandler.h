#pragma once

#include "ProtocolDataUnit.h"

#include "Store.h"
#include "WireText.h"

#include <QByteArray>
#include <QString>

#include <functional>
#include <map>
#include <optional>
#include <vector>

class TJsonObject;
class TPublisher;

// What the message protocol sees of one connection.
class TSessionLink {
public:
    virtual ~TSessionLink() = default;
    virtual void SendFrame(const QByteArray &frame) = 0;
    virtual QString Peer() const = 0;
    virtual QString LocalHost() const = 0; // the address the client reached us on

    qint64 MemberId = 0; // 0 until a login succeeds
    QString UserName;
    QString NickName;
    bool IsManage = false;
    QString LastTime; // the member's previous login, shown in the profile
};

// The message protocol 10000-10010: one call per received frame, on the store's thread. Replies go
// back on the same link; announcements of new questions go to every logged-in member.
class TMessageHandler {
public:
    // `questionDataUrl` builds the published database's address for a link.
    TMessageHandler(TStore &store, TPublisher &publisher, const TWireText &wire,
                    std::function<QString(const TSessionLink &)> questionDataUrl);

    void HandleFrame(TSessionLink &link, const QByteArray &frame);
    void Closed(TSessionLink &link);
    void BroadcastNewNotices(); // notices added by the operator since the last call

private:
    // A handler answers the request and returns a few words for the log line.
    using THandler = QString (TMessageHandler::*)(TSessionLink &, const TJsonObject &);

    QString Dispatch(TSessionLink &link, int code, const QString &bodyText, int version);
    void Reply(TSessionLink &link, int code, const TJsonObject &body);
    void ReplySuccess(TSessionLink &link, int code, bool success);
    void Broadcast(int code, const TJsonObject &body);
    std::vector<TSessionLink *> Members() const;
    static THandler HandlerFor(int code);
    static bool HasSuccessReply(int code);

    int CheckLogin(const TSessionLink &link, const QString &userName, const QString &digest, int version,
                   std::optional<TMember> &member);
    QString Heartbeat(TSessionLink &link, const TJsonObject &body);
    QString UserInfo(TSessionLink &link, const TJsonObject &body);
    QString PostQuestion(TSessionLink &link, const TJsonObject &body);
    QString PostQQUser(TSessionLink &link, const TJsonObject &body);
    QString PostURL(TSessionLink &link, const TJsonObject &body);
    QString DownNotice(TSessionLink &link, const TJsonObject &body);
    QString AnswerQuestion(TSessionLink &link, const TJsonObject &body);
    QString UploadFile(TSessionLink &link, const TJsonObject &body);
    QString Messages(TSessionLink &link, const TJsonObject &body);
    QString ChagePwd(TSessionLink &link, const TJsonObject &body);
    QString Login(TSessionLink &link, const QString &bodyText, int version);
    void SignIn(TSessionLink &link, const TMember &member);
    void SignOut(TSessionLink &link);
    void SendNotice(TSessionLink &link, const TNotice &notice);

    TStore &FStore;
    TPublisher &FPublisher;
    const TWireText &FWire;
    std::function<QString(const TSessionLink &)> FQuestionDataUrl;
    std::map<qint64, TSessionLink *> FLoggedIn; // member id -> its connection
    qint64 FLastNoticeId = 0;
};
