#pragma once

#include "ProtocolDataUnit.h"

// Change the password (10010); NewPwd is already the 16-digit digest text.
class TProtocolChagePwd : public TBaseProtocolData {
public:
    TProtocolChagePwd() : TBaseProtocolData(PROTOCOL_CHAGEPWD) {}

    QString NewPwd() const { return FNewPwd; }
    void SetNewPwd(const QString &Value) { FNewPwd = Value; }
    QString User() const { return FUser; }
    void SetUser(const QString &Value) { FUser = Value; }

protected:
    QString GetData() const override;

private:
    QString FNewPwd;
    QString FUser;
};
