#include "ClientAppUnit.h"

#include "Clock.h"
#include "FileTransferClientUnit.h"
#include "HttpDownThreadUnit.h"
#include "JsonDataUnit.h"
#include "MeInfoUnit.h"
#include "MessageBox.h"
#include "ProtocolAnswerQuestionUnit.h"
#include "ProtocolChagePwdUnit.h"
#include "ProtocolDownNoticeUnit.h"
#include "ProtocolDownUserInfoUnit.h"
#include "ProtocolHeartbeatUnit.h"
#include "ProtocolLoginUnit.h"
#include "ProtocolMagegeUnit.h"
#include "ProtocolPostQQUserUnit.h"
#include "ProtocolPostQuestionUnit.h"
#include "ProtocolPostURLUnit.h"
#include "ProtocolUploadFileUnit.h"
#include "PubFuns.h"
#include "WebURLUnit.h"
#include "uDataManage.h"
#include "uPathInfo.h"

#include <QFile>
#include <QTimer>

#include <cstdlib>

using namespace Qt::StringLiterals;

namespace {
constexpr int HeartbeatIntervalMs = 10000;
constexpr qint64 HeartbeatToleranceSeconds = 20;
// The transfer conversation announces its own user; these are only stored.
const QString TransferUserName = u"talvik"_s;
const QString TransferPassword = u"talvik"_s;
} // namespace

TClientApp::TClientApp()
    : WebURL(std::make_unique<TWebURL>()), MeInfo(std::make_unique<TMeInfo>()),
      QuestionList(std::make_unique<TQuestionList>()), AnswerList(std::make_unique<TAnswerList>()),
      ResourcesList(std::make_unique<TResourcesList>()), FHeartbeatTimer(std::make_unique<QTimer>()),
      FProtocolMagege(std::make_unique<TProtocolMagege>()), TcpFileTransfer(std::make_unique<TTcpFileTransfer>())
{
    FHeartbeatTimer->setInterval(HeartbeatIntervalMs);
    QObject::connect(FHeartbeatTimer.get(), &QTimer::timeout, FHeartbeatTimer.get(), [this] { HeartbeatTimerEvent(); });

    TProtocolMagege &m = *FProtocolMagege;
    m.SetOnConnect([this](TObject *s, bool connected) { RecConnect(s, connected); });
    m.SetOnLogin([this](TObject *s, const QString &d) { RecLogin(s, d); });
    m.SetOnDownUserInfo([this](TObject *s, const QString &d) { RecDownUserInfo(s, d); });
    m.SetOnPostQuestion([this](TObject *s, const QString &d) { RecPostQuestion(s, d); });
    m.SetOnNotice([this](TObject *s, const QString &d) { RecNotice(s, d); });
    m.SetOnAnswerQuestion([this](TObject *s, const QString &d) { RecAnswerQuestion(s, d); });
    m.SetOnPostQQUser([this](TObject *s, const QString &d) { RecPostQQUser(s, d); });
    m.SetOnPostURL([this](TObject *s, const QString &d) { RecPostURL(s, d); });
    m.SetOnHeartbeat([this](TObject *s, const QString &d) { RecHeartbeat(s, d); });
    m.SetOnRequestUploadShareFile([this](TObject *s, const QString &d) { RecRequestUploadShareFile(s, d); });
    m.SetOnRecMessages([this](TObject *s, const QString &d) { RecMessages(s, d); });
    m.SetOnChagePwd([this](TObject *s, const QString &d) { RecChagePwd(s, d); });

    TcpFileTransfer->SetOnTransPercentDone([this](TObject *s, int percent) { TransPercentDone(s, percent); });
}

TClientApp::~TClientApp()
{
    FHeartbeatTimer.reset();
    MeInfo.reset();
    WebURL.reset();
    QuestionList.reset();
    AnswerList.reset();
    ResourcesList.reset();
    FProtocolMagege.reset(); // closes the connection and joins its threads
    TcpFileTransfer.reset();
}

void TClientApp::Send(const TBaseProtocolData &request)
{
    FProtocolMagege->SendData(request.Data());
}

// ---- Login and profile ----

void TClientApp::Login(const QString &vUser, const QString &vPwd)
{
    MeInfo->SetUserName(vUser);
    MeInfo->SetPassWord(vPwd);
    FProtocolMagege->Connect(Config->Host(), Config->Port());
    if (!FProtocolMagege->Connected()) {
        MessageBox::Show(u"无法连接到服务器，请检查网络！"_s, u"提示"_s, TMsgIcon::Error);
        return;
    }
    TProtocolLogin request;
    request.SetUserName(vUser);
    request.SetPassWord(vPwd);
    Send(request);
}

void TClientApp::RecConnect(TObject *, bool Connected)
{
    if (!Connected)
        Raise(FOnConnectErrorEvent, this);
}

void TClientApp::RecLogin(TObject *, const QString &Data)
{
    QString md5;
    QString url;
    if (!ParseLoginResult(Data, md5, url, FLoginErrorid))
        return;
    if (FLoginErrorid == LOGIN_OK) {
        MeInfo->SetQuestionDataURL(url);
        MeInfo->SetQuestionDataMd5(md5);
        MeInfo->SetHeartbeatDate(Clock::Now());
        DownUserInfo(MeInfo->UserName());
        DownNotice();
        DownQuestionData();
        FHeartbeatTimer->start();
        return;
    }
    FHeartbeatTimer->stop();
    FProtocolMagege->DisConnect();
    Raise(FOnLoginEvent, this, FLoginErrorid);
}

void TClientApp::DownUserInfo(const QString &vUser)
{
    TProtocolDownUserInfo request;
    request.SetUserName(vUser);
    Send(request);
}

void TClientApp::DownQuestionData()
{
    const bool current = GetQuestionDataMd5().compare(MeInfo->QuestionDataMd5(), Qt::CaseInsensitive) == 0
                         && QFile::exists(PathInfo->QuestionDataFile());
    if (current) {
        Raise(FOnLoginEvent, this, FLoginErrorid);
        return;
    }
    // The main window hears from the download and completes the login itself.
    auto *thread = new THttpDownThread;
    thread->SetReceiveHandle(FMainFormHandle);
    thread->SetURL(MeInfo->QuestionDataURL());
    thread->SetSaveFileName(PathInfo->DownLoadDataFile());
    thread->Start();
}

void TClientApp::RecDownUserInfo(TObject *, const QString &Data)
{
    if (ParseUserInfo(Data, MeInfo.get()))
        Raise(FOnDownUserInfoEvent, this, MeInfo.get());
}

void TClientApp::DownNotice()
{
    TProtocolDownNotice request;
    request.SetUserName(MeInfo->UserName());
    Send(request);
}

// ---- Heartbeat ----

void TClientApp::HeartbeatTimerEvent()
{
    FHeartbeatTimer->stop();
    SendHeartbeat();
    if (FOnDisConnectEvent) {
        const qint64 seconds = std::llabs(Clock::Now().secsTo(MeInfo->HeartbeatDate()));
        FOnDisConnectEvent(this, seconds <= HeartbeatToleranceSeconds);
    }
    FHeartbeatTimer->start(); // the next tick comes a whole interval after this one ended
}

void TClientApp::SendHeartbeat()
{
    TProtocolHeartbeat request;
    request.SetUserName(MeInfo->UserName());
    Send(request);
}

bool TClientApp::HeartbeatActive() const
{
    return FHeartbeatTimer->isActive();
}

void TClientApp::RecHeartbeat(TObject *, const QString &)
{
    MeInfo->SetHeartbeatDate(Clock::Now());
}

// ---- Contributions and their verdicts ----

void TClientApp::PostQuestion(TProtocolPostQuestion *vProtocolPostQuestion)
{
    Send(*vProtocolPostQuestion);
}

void TClientApp::AnswerQuestion(TProtocolAnswerQuestion *vProtocolAnswerQuestion)
{
    Send(*vProtocolAnswerQuestion);
}

void TClientApp::PostURL(TProtocolPostURL *vProtocolPostURL)
{
    Send(*vProtocolPostURL);
}

void TClientApp::PostQQUser(TProtocolPostQQUser *vProtocolPostQQUser)
{
    if (MeInfo->IsManage())
        Send(*vProtocolPostQQUser);
}

void TClientApp::ChagePwd(const QString &vNewPwd)
{
    TProtocolChagePwd request;
    request.SetUser(MeInfo->UserName());
    request.SetNewPwd(vNewPwd);
    Send(request);
}

void TClientApp::RequestUploadShareFile(TProtocolUploadFile *vProtocolUploadFile)
{
    Send(*vProtocolUploadFile);
}

void TClientApp::RecPostQuestion(TObject *, const QString &Data)
{
    QString url;
    int localId = 0;
    int questionId = 0;
    const bool result = ParsePostQuestionResult(Data, url, localId, questionId);
    Raise(FOnPostQuestionEvent, this, result, url, localId, questionId);
}

void TClientApp::RecAnswerQuestion(TObject *, const QString &Data)
{
    QString url;
    const bool result = ParseAnswerResult(Data, url);
    Raise(FOnAnswerQuestionEvent, this, result, url);
}

void TClientApp::RecPostQQUser(TObject *, const QString &Data)
{
    if (FOnPostQQUserEvent)
        FOnPostQQUserEvent(this, ParseSuccess(Data));
}

void TClientApp::RecPostURL(TObject *, const QString &Data)
{
    if (FOnPostURLEvent)
        FOnPostURLEvent(this, ParseSuccess(Data));
}

void TClientApp::RecChagePwd(TObject *, const QString &Data)
{
    if (FOnChagePwdEvent)
        FOnChagePwdEvent(this, ParseChagePwdResult(Data));
}

void TClientApp::RecNotice(TObject *, const QString &Data)
{
    int type = 0;
    QString title;
    QString content;
    if (ParseNotice(Data, type, title, content))
        Raise(FOnNoticeEvent, this, type, title, content);
}

void TClientApp::RecRequestUploadShareFile(TObject *, const QString &Data)
{
    bool success = false;
    QString guid;
    QString info;
    ParseUploadResult(Data, success, guid, info);
    Raise(FOnRequestUploadShareFileEvent, this, success, guid, info);
}

void TClientApp::RecMessages(TObject *, const QString &) {}

// ---- File transfer ----

void TClientApp::UploadFile(const QString &vFileName)
{
    if (!TcpFileTransfer->Connected()) {
        TcpFileTransfer->SetHost(Config->Host());
        TcpFileTransfer->SetPort(Config->Port());
        TcpFileTransfer->Connect();
    }
    TcpFileTransfer->SetUser(TransferUserName);
    TcpFileTransfer->SetPwd(TransferPassword);
    TcpFileTransfer->SetFileName(vFileName);
    TcpFileTransfer->TransBegin();
}

void TClientApp::TransPercentDone(TObject *, int) {}

// ---- Site pages ----

void TClientApp::RegUser() { ShellOpen(WebURL->RegURL()); }
void TClientApp::FindPassword() { ShellOpen(WebURL->FindPasswordURL()); }
void TClientApp::SendIdea() { ShellOpen(WebURL->SendIdeaURL()); }
void TClientApp::ShowQQBackList() { ShellOpen(WebURL->QQGroupLogURL()); }

void TClientApp::ConnectServer(const QString &vHost, int vPort)
{
    FConnected = FProtocolMagege->Connect(vHost, vPort);
}
