#include "ProtocolMagegeUnit.h"

#include "JsonDataUnit.h"
#include "LogUnit.h"
#include "ProtocolDataUnit.h"

#include <exception>

using namespace Qt::StringLiterals;

TProtocolMagege::TProtocolMagege() : FQivClient(std::make_unique<TQivClient>())
{
    FQivClient->SetOnReceiveDataSuccessEvent([this](TObject *sender, const QString &data) { DispatchData(sender, data); });
    FQivClient->SetOnConnectEvent([this](TObject *sender, bool connected) { Raise(FOnConnect, sender, connected); });
}

TProtocolMagege::~TProtocolMagege() = default;

bool TProtocolMagege::Connect(const QString &vHost, int vPort)
{
    try {
        FQivClient->SetHost(vHost);
        FQivClient->SetPort(vPort);
        if (FQivClient->Connected())
            FQivClient->DisConnect();
        FQivClient->Connect();
        return FQivClient->Connected();
    } catch (const std::exception &error) {
        WriteLog(u"TProtocolMagege.Connect"_s, QString::fromLocal8Bit(error.what()));
    } catch (...) {
        WriteLog(u"TProtocolMagege.Connect"_s, u"unknown error"_s);
    }
    return false;
}

void TProtocolMagege::DisConnect()
{
    if (FQivClient->Connected())
        FQivClient->DisConnect();
}

void TProtocolMagege::SendData(const QString &Str)
{
    if (FQivClient->Connected())
        FQivClient->SendData(Str);
}

bool TProtocolMagege::Connected() const
{
    return FQivClient->Connected();
}

const TOnTriggerProtocol *TProtocolMagege::EventFor(int protocol) const
{
    switch (protocol) {
    case PROTOCOL_HEARTBEAT: return &FOnHeartbeat;
    case PROTOCOL_LOGIN: return &FOnLogin;
    case PROTOCOL_DOWNUSERINFO: return &FOnDownUserInfo;
    case PROTOCOL_POSTQUESTION: return &FOnPostQuestion;
    case PROTOCOL_POSTQQUSER: return &FOnPostQQUser;
    case PROTOCOL_POSTURL: return &FOnPostURL;
    case PROTOCOL_NOTICE: return &FOnNotice;
    case PROTOCOL_ANSWERQUESTION: return &FOnAnswerQuestion;
    case PROTOCOL_UPLOADFILE: return &FOnRequestUploadShareFile;
    case PROTOCOL_MESSAGES: return &FOnRecMessages;
    case PROTOCOL_CHAGEPWD: return &FOnChagePwd;
    default: return nullptr;
    }
}

// A handler's error is not caught here: it ends the current drain of the receive queue.
void TProtocolMagege::DispatchData(TObject *, const QString &Data)
{
    int protocol = 0;
    QString body;
    if (!UnpackProtocol(Data, protocol, body))
        return;
    if (const TOnTriggerProtocol *event = EventFor(protocol))
        Raise(*event, this, body);
}
