#pragma once

#include "ProtocolDataUnit.h"

// Report a chat-group member for the blacklist (10004), moderators only.
class TProtocolPostQQUser : public TBaseProtocolData {
public:
    TProtocolPostQQUser() : TBaseProtocolData(PROTOCOL_POSTQQUSER) {}

    QString Date() const { return FDate; }
    void SetDate(const QString &Value) { FDate = Value; }
    QString Reason() const { return FReason; }
    void SetReason(const QString &Value) { FReason = Value; }
    QString QQNum() const { return FQQNum; }
    void SetQQNum(const QString &Value) { FQQNum = Value; }
    QString Nickname() const { return FNickname; }
    void SetNickname(const QString &Value) { FNickname = Value; }

protected:
    QString GetData() const override;

private:
    QString FDate;
    QString FReason;
    QString FQQNum;
    QString FNickname;
};
