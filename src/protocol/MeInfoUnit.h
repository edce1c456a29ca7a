#pragma once

#include "TObject.h"

#include <QDateTime>
#include <QString>

// The logged-in member's profile, filled by the login result and the profile reply.
class TMeInfo : public TObject {
public:
    QString Usergroup() const { return FUsergroup; }
    void SetUsergroup(const QString &Value) { FUsergroup = Value; }
    int ID() const { return FID; }
    void SetID(int Value) { FID = Value; }
    QString LastTime() const { return FLastTime; }
    void SetLastTime(const QString &Value) { FLastTime = Value; }
    QString Sex() const { return FSex; }
    void SetSex(const QString &Value) { FSex = Value; }
    QString UserName() const { return FUserName; }
    void SetUserName(const QString &Value) { FUserName = Value; }
    int JiFen() const { return FJiFen; }
    void SetJiFen(int Value) { FJiFen = Value; }
    QString PassWord() const { return FPassWord; }
    void SetPassWord(const QString &Value) { FPassWord = Value; }
    QString NickName() const { return FNickName; }
    void SetNickName(const QString &Value) { FNickName = Value; }
    QString QuestionDataURL() const { return FQuestionDataURL; }
    void SetQuestionDataURL(const QString &Value) { FQuestionDataURL = Value; }
    QString QuestionDataMd5() const { return FQuestionDataMd5; }
    void SetQuestionDataMd5(const QString &Value) { FQuestionDataMd5 = Value; }
    QDateTime HeartbeatDate() const { return FHeartbeatDate; }
    void SetHeartbeatDate(const QDateTime &Value) { FHeartbeatDate = Value; }
    QString MySystemSet() const { return FMySystemSet; }
    void SetMySystemSet(const QString &Value) { FMySystemSet = Value; }
    bool IsManage() const { return FIsManage; }
    void SetIsManage(bool Value) { FIsManage = Value; }
    QString UserMail() const { return FUserMail; }
    void SetUserMail(const QString &Value) { FUserMail = Value; }

private:
    QString FUsergroup;
    int FID = 0;
    QString FLastTime;
    QString FSex;
    QString FUserName;
    int FJiFen = 0;
    QString FPassWord;
    QString FNickName;
    QString FQuestionDataURL;
    QString FQuestionDataMd5;
    QDateTime FHeartbeatDate;
    QString FMySystemSet;
    bool FIsManage = false;
    QString FUserMail;
};
