#include "ProtocolPostQQUserUnit.h"

#include "Json.h"

using namespace Qt::StringLiterals;

QString TProtocolPostQQUser::GetData() const
{
    TJsonObject body;
    body.Put(u"nickname"_s, FNickname);
    body.Put(u"reason"_s, FReason);
    body.Put(u"date"_s, FDate);
    body.Put(u"qqnum"_s, FQQNum);
    return Pack(body);
}
