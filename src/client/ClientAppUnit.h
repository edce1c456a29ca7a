#pragma once

#include "ContentItemUnit.h"
#include "MessageWindow.h"
#include "ProtocolDataUnit.h"
#include "TObject.h"

#include <QString>

#include <memory>

class QTimer;
class TBaseProtocolData;
class TMeInfo;
class TProtocolAnswerQuestion;
class TProtocolMagege;
class TProtocolPostQQUser;
class TProtocolPostQuestion;
class TProtocolPostURL;
class TProtocolUploadFile;
class TTcpFileTransfer;
class TWebURL;

using TOnLoginEvent = std::function<void(TObject *Sender, int LoginErrorid)>;
using TOnDownUserInfoEvent = std::function<void(TObject *Sender, TMeInfo *MeInfo)>;
using TOnDisConnectEvent = std::function<void(TObject *Sender, bool Connected)>;
using TOnOutPutLogEvent = std::function<void(TObject *Sender, const QString &Logs)>;
using TOnPostQuestionEvent =
    std::function<void(TObject *Sender, bool PostQuestionResult, const QString &URL, int LocalID, int QuestionID)>;
using TOnAnswerQuestionEvent = std::function<void(TObject *Sender, bool AnswerResult, const QString &URL)>;
using TOnPostURLEvent = std::function<void(TObject *Sender, bool PostURLResult)>;
using TOnPostQQUserEvent = std::function<void(TObject *Sender, bool PostQQUserResult)>;
using TOnChagePwdEvent = std::function<void(TObject *Sender, bool ChageResult)>;
using TOnNoticeEvent = std::function<void(TObject *Sender, int NoticeType, const QString &Title, const QString &Content)>;
using TOnRequestUploadShareFileEvent =
    std::function<void(TObject *Sender, bool RequestResult, const QString &Guid, const QString &Info)>;

// The client application object: owns the server connection, logs the member in, keeps the
// profile, decides whether the local question database must be downloaded again, watches the
// connection with a heartbeat, sends the member's contributions and turns the server's replies
// into events. Everything runs on the user-interface thread.
class TClientApp : public TObject {
public:
    TClientApp();
    ~TClientApp() override;

    // Login and profile
    void Login(const QString &vUser, const QString &vPwd);
    void DownUserInfo(const QString &vUser);
    void DownQuestionData();
    void DownNotice();
    int LoginErrorid() const { return FLoginErrorid; }
    THandle MainFormHandle() const { return FMainFormHandle; }
    void SetMainFormHandle(THandle Value) { FMainFormHandle = Value; }

    // Heartbeat: the timer's handler, and one heartbeat request
    void HeartbeatTimerEvent();
    void SendHeartbeat();
    bool HeartbeatActive() const; // whether the heartbeat timer is running

    // The member's contributions; the caller creates, fills and frees the request
    void PostQuestion(TProtocolPostQuestion *vProtocolPostQuestion);
    void AnswerQuestion(TProtocolAnswerQuestion *vProtocolAnswerQuestion);
    void PostURL(TProtocolPostURL *vProtocolPostURL);
    void PostQQUser(TProtocolPostQQUser *vProtocolPostQQUser); // moderators only
    void ChagePwd(const QString &vNewPwd);                     // vNewPwd: the 16-digit digest text
    void RequestUploadShareFile(TProtocolUploadFile *vProtocolUploadFile);
    void DownGroupBlackList() {}
    void UploadFile(const QString &vFileName);

    // Pages of the community's web site, opened with the system's default handler
    void RegUser();
    void FindPassword();
    void SendIdea();
    void ShowQQBackList();

    // Declared for completeness; nothing calls them
    void ConnectServer(const QString &vHost, int vPort);
    void DisConnect() {}
    bool Connected() const { return FConnected; }

    TALVIK_EVENT(TOnLoginEvent, LoginEvent)
    TALVIK_EVENT(TOnDownUserInfoEvent, DownUserInfoEvent)
    TALVIK_EVENT(TOnPostQuestionEvent, PostQuestionEvent)
    TALVIK_EVENT(TOnNoticeEvent, NoticeEvent)
    TALVIK_EVENT(TOnAnswerQuestionEvent, AnswerQuestionEvent)
    TALVIK_EVENT(TOnPostURLEvent, PostURLEvent)
    TALVIK_EVENT(TOnPostQQUserEvent, PostQQUserEvent)
    TALVIK_EVENT(TOnDisConnectEvent, DisConnectEvent)
    TALVIK_EVENT(TOnRequestUploadShareFileEvent, RequestUploadShareFileEvent)
    TALVIK_EVENT(TOnChagePwdEvent, ChagePwdEvent)
    TALVIK_EVENT(TNotifyEvent, ConnectErrorEvent)
    TALVIK_EVENT(TOnOutPutLogEvent, OutPutLogEvent)

    std::unique_ptr<TWebURL> WebURL;
    std::unique_ptr<TMeInfo> MeInfo;
    std::unique_ptr<TQuestionList> QuestionList;
    std::unique_ptr<TAnswerList> AnswerList;
    std::unique_ptr<TResourcesList> ResourcesList;

private:
    void Send(const TBaseProtocolData &request);
    void RecConnect(TObject *Sender, bool Connected);
    void RecLogin(TObject *Sender, const QString &Data);
    void RecDownUserInfo(TObject *Sender, const QString &Data);
    void RecHeartbeat(TObject *Sender, const QString &Data);
    void RecPostQuestion(TObject *Sender, const QString &Data);
    void RecNotice(TObject *Sender, const QString &Data);
    void RecAnswerQuestion(TObject *Sender, const QString &Data);
    void RecPostQQUser(TObject *Sender, const QString &Data);
    void RecPostURL(TObject *Sender, const QString &Data);
    void RecRequestUploadShareFile(TObject *Sender, const QString &Data);
    void RecMessages(TObject *Sender, const QString &Data);
    void RecChagePwd(TObject *Sender, const QString &Data);
    void TransPercentDone(TObject *Sender, int Percent);

    std::unique_ptr<QTimer> FHeartbeatTimer;
    std::unique_ptr<TProtocolMagege> FProtocolMagege;
    std::unique_ptr<TTcpFileTransfer> TcpFileTransfer;
    int FLoginErrorid = 0;
    THandle FMainFormHandle = 0;
    bool FConnected = false;
};
