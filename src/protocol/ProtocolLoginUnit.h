#pragma once

#include "ProtocolDataUnit.h"

// Login (10001). The password is kept only as its 16-digit digest text.
class TProtocolLogin : public TBaseProtocolData {
public:
    TProtocolLogin() : TBaseProtocolData(PROTOCOL_LOGIN) {}

    QString PassWord() const { return FPassWord; }
    void SetPassWord(const QString &Value);
    QString UserName() const { return FUserName; }
    void SetUserName(const QString &Value) { FUserName = Value; }

protected:
    QString GetData() const override;

private:
    QString FPassWord;
    QString FUserName;
};
