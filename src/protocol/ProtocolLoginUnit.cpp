#include "ProtocolLoginUnit.h"

#include "Json.h"

using namespace Qt::StringLiterals;

#include "md5.h"

void TProtocolLogin::SetPassWord(const QString &Value)
{
    FPassWord = Md5Text(Value, 16);
}

QString TProtocolLogin::GetData() const
{
    TJsonObject body;
    body.Put(u"userpass"_s, FPassWord);
    body.Put(u"username"_s, FUserName);
    return Pack(body);
}
