#pragma once

#include "TObject.h"
#include "uIndyClient.h"

#include <QString>

#include <memory>

using TOnTriggerProtocol = std::function<void(TObject *Sender, const QString &Data)>;

// The protocol manager: connects and disconnects, sends message texts only while connected, and
// routes every received message by its protocol code to its event, on the user-interface thread.
class TProtocolMagege : public TObject {
public:
    TProtocolMagege();
    ~TProtocolMagege() override;

    bool Connect(const QString &vHost, int vPort);
    void DisConnect();
    void SendData(const QString &Str);
    bool Connected() const;

    TALVIK_EVENT(TOnConnectEvent, Connect)
    TALVIK_EVENT(TOnTriggerProtocol, Login)
    TALVIK_EVENT(TOnTriggerProtocol, DownUserInfo)
    TALVIK_EVENT(TOnTriggerProtocol, PostQuestion)
    TALVIK_EVENT(TOnTriggerProtocol, Notice)
    TALVIK_EVENT(TOnTriggerProtocol, AnswerQuestion)
    TALVIK_EVENT(TOnTriggerProtocol, PostQQUser)
    TALVIK_EVENT(TOnTriggerProtocol, PostURL)
    TALVIK_EVENT(TOnTriggerProtocol, Heartbeat)
    TALVIK_EVENT(TOnTriggerProtocol, RequestUploadShareFile)
    TALVIK_EVENT(TOnTriggerProtocol, RecMessages)
    TALVIK_EVENT(TOnTriggerProtocol, ChagePwd)

private:
    void DispatchData(TObject *Sender, const QString &Data);
    const TOnTriggerProtocol *EventFor(int protocol) const;

    std::unique_ptr<TQivClient> FQivClient;
};
