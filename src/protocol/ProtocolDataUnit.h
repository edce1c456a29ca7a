#pragma once

#include "TObject.h"

#include <QString>

class TJsonObject;

// The protocol codes of the message catalogue.
enum TProtocolCode : int {
    PROTOCOL_HEARTBEAT = 10000,
    PROTOCOL_LOGIN = 10001,
    PROTOCOL_DOWNUSERINFO = 10002,
    PROTOCOL_POSTQUESTION = 10003,
    PROTOCOL_POSTQQUSER = 10004,
    PROTOCOL_POSTURL = 10005,
    PROTOCOL_NOTICE = 10006,
    PROTOCOL_ANSWERQUESTION = 10007,
    PROTOCOL_UPLOADFILE = 10008,
    PROTOCOL_MESSAGES = 10009,
    PROTOCOL_CHAGEPWD = 10010,
};

// The error identifiers of a login result; every value but LOGIN_OK is a refusal.
enum TLoginError : int {
    LOGIN_OK = 1000000,
    LOGIN_WRONG_NAME = 1000001,
    LOGIN_WRONG_PASSWORD = 1000002,
    LOGIN_ALREADY_IN = 1000003,
    LOGIN_LOCKED = 1000004,
    LOGIN_MAINTENANCE = 1000005,
    LOGIN_VERSION_TOO_OLD = 1000006,
};

// A request to the server. Each request class sets its own code; Data is the complete message
// text, the body built from the fields and wrapped in the envelope.
class TBaseProtocolData : public TObject {
public:
    int Protocol() const { return FProtocol; }
    QString Data() const { return GetData(); }

protected:
    explicit TBaseProtocolData(int protocol) : FProtocol(protocol) {}
    virtual QString GetData() const = 0;
    QString Pack(const TJsonObject &body) const; // envelope around the serialised body

private:
    int FProtocol;
};

// The requests whose body is only the member's user name: heartbeat, profile and notices.
class TProtocolUserNameData : public TBaseProtocolData {
public:
    QString UserName() const { return FUserName; }
    void SetUserName(const QString &Value) { FUserName = Value; }

protected:
    using TBaseProtocolData::TBaseProtocolData;
    QString GetData() const override;

private:
    QString FUserName;
};
