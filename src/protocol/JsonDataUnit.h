#pragma once

#include <QString>

class TMeInfo;
class TProtocolPostQuestion;

// The envelope: {"version":1,"protocol":code,"data":"<body JSON text>"}.
QString PackProtocol(int AProtocol, const QString &AData);
bool UnpackProtocol(const QString &AText, int &AProtocol, QString &AData);

// Decoders of the server's reply bodies. Each catches its own errors and returns False, except
// ParseLoginResult, ParseUserInfo and ParseQuestionRecord, which let EJsonError escape for a body
// that is not JSON, or a "userinfo" that is no record (the message is then dropped without an
// event).
bool ParseLoginResult(const QString &AText, QString &AQuestionDataMd5, QString &AQuestionDataURL, int &AErrorID);
bool ParseUserInfo(const QString &AText, TMeInfo *AMeInfo);
bool ParseAnswerResult(const QString &AText, QString &AURL);
bool ParseSuccess(const QString &AText);
bool ParsePostQuestionResult(const QString &AText, QString &AURL, int &ALocalID, int &AQuestionID);
bool ParseUploadResult(const QString &AText, bool &ASuccess, QString &AGuid, QString &AInfo);
bool ParseNotice(const QString &AText, int &ANoticeType, QString &ATitle, QString &AContent);
bool ParseChagePwdResult(const QString &AText);
bool ParseQuestionRecord(const QString &AText, TProtocolPostQuestion *ARecord);
