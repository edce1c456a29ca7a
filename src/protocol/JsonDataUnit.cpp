#include "JsonDataUnit.h"

#include "Json.h"
#include "MeInfoUnit.h"
#include "ProtocolPostQuestionUnit.h"
#include "Trim.h"

using namespace Qt::StringLiterals;

namespace {
// Runs a decoder body that must not let an error escape: any failure reads as False.
template <typename Body>
bool Guarded(Body body)
{
    try {
        return body();
    } catch (...) {
        return false;
    }
}
} // namespace

QString PackProtocol(int AProtocol, const QString &AData)
{
    TJsonObject envelope;
    envelope.Put(u"version"_s, 1);
    envelope.Put(u"protocol"_s, AProtocol);
    envelope.Put(u"data"_s, AData);
    return envelope.ToText();
}

bool UnpackProtocol(const QString &AText, int &AProtocol, QString &AData)
{
    return Guarded([&] {
        const TJsonObject envelope = TJsonObject::Parse(AText);
        AProtocol = int(envelope.GetInt(u"protocol"_s));
        AData = envelope.GetStr(u"data"_s);
        envelope.GetInt(u"version"_s);
        return true;
    });
}

bool ParseLoginResult(const QString &AText, QString &AQuestionDataMd5, QString &AQuestionDataURL, int &AErrorID)
{
    if (Trim(AText).isEmpty())
        return false;
    const TJsonObject body = TJsonObject::Parse(AText);
    AErrorID = int(body.GetInt(u"errorid"_s));
    AQuestionDataMd5 = body.GetStr(u"questiondatamd5"_s);
    AQuestionDataURL = body.GetStr(u"questiondataurl"_s);
    return true;
}

bool ParseUserInfo(const QString &AText, TMeInfo *AMeInfo)
{
    if (!AMeInfo)
        return false;
    const TJsonObject info = TJsonObject::Parse(TJsonObject::Parse(AText).GetStr(u"userinfo"_s));
    // Anything but a record (null, a number) would otherwise blank the whole profile.
    if (!info.IsObject())
        throw EJsonError("userinfo is not a record");
    AMeInfo->SetUsergroup(info.GetStr(u"usergroup"_s));
    AMeInfo->SetID(int(info.GetInt(u"id"_s)));
    AMeInfo->SetLastTime(info.GetStr(u"lasttime"_s));
    AMeInfo->SetSex(info.GetStr(u"sex"_s));
    AMeInfo->SetUserName(info.GetStr(u"username"_s));
    AMeInfo->SetJiFen(int(info.GetInt(u"jifen"_s)));
    AMeInfo->SetPassWord(info.GetStr(u"password"_s));
    AMeInfo->SetNickName(info.GetStr(u"nickname"_s));
    AMeInfo->SetQuestionDataURL(info.GetStr(u"questiondataurl"_s));
    AMeInfo->SetQuestionDataMd5(info.GetStr(u"questiondatamd5"_s));
    AMeInfo->SetMySystemSet(info.GetStr(u"mysystemset"_s));
    AMeInfo->SetIsManage(info.GetBool(u"ismanage"_s));
    AMeInfo->SetUserMail(info.GetStr(u"usermail"_s));
    return true;
}

bool ParseAnswerResult(const QString &AText, QString &AURL)
{
    AURL.clear();
    return Guarded([&] {
        const TJsonObject body = TJsonObject::Parse(AText);
        AURL = body.GetStr(u"url"_s);
        return body.GetBool(u"success"_s);
    });
}

bool ParseSuccess(const QString &AText)
{
    return Guarded([&] { return TJsonObject::Parse(AText).GetBool(u"success"_s); });
}

bool ParsePostQuestionResult(const QString &AText, QString &AURL, int &ALocalID, int &AQuestionID)
{
    AURL.clear();
    ALocalID = 0;
    AQuestionID = 0;
    return Guarded([&] {
        const TJsonObject body = TJsonObject::Parse(AText);
        const bool success = body.GetBool(u"success"_s);
        AURL = body.GetStr(u"url"_s);
        ALocalID = int(body.GetInt(u"localid"_s));
        AQuestionID = int(body.GetInt(u"questionid"_s));
        return success;
    });
}

bool ParseUploadResult(const QString &AText, bool &ASuccess, QString &AGuid, QString &AInfo)
{
    ASuccess = false;
    AGuid.clear();
    AInfo.clear();
    return Guarded([&] {
        const TJsonObject body = TJsonObject::Parse(AText);
        ASuccess = body.GetBool(u"success"_s);
        AGuid = body.GetStr(u"guid"_s);
        AInfo = body.GetStr(u"info"_s);
        return true;
    });
}

bool ParseNotice(const QString &AText, int &ANoticeType, QString &ATitle, QString &AContent)
{
    ANoticeType = 0;
    ATitle.clear();
    AContent.clear();
    return Guarded([&] {
        const TJsonObject body = TJsonObject::Parse(AText);
        ANoticeType = int(body.GetInt(u"type"_s));
        ATitle = body.GetStr(u"title"_s);
        AContent = body.GetStr(u"content"_s);
        return true;
    });
}

bool ParseChagePwdResult(const QString &AText)
{
    if (Trim(AText).isEmpty())
        return false;
    return ParseSuccess(AText);
}

bool ParseQuestionRecord(const QString &AText, TProtocolPostQuestion *ARecord)
{
    if (!ARecord || Trim(AText).isEmpty())
        return false;
    const TJsonObject body = TJsonObject::Parse(AText);
    ARecord->SetTitle(body.GetStr(u"title"_s));
    ARecord->SetClassification(int(body.GetInt(u"classification"_s)));
    ARecord->SetURL(body.GetStr(u"url"_s));
    ARecord->SetNickName(body.GetStr(u"nickname"_s));
    ARecord->SetIsPost(true);
    ARecord->SetQuestionID(int(body.GetInt(u"questionid"_s)));
    ARecord->SetDate(body.GetStr(u"date"_s));
    return true;
}
