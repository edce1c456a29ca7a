#include "ProtocolChagePwdUnit.h"

#include "Json.h"

using namespace Qt::StringLiterals;

QString TProtocolChagePwd::GetData() const
{
    TJsonObject body;
    body.Put(u"username"_s, FUser);
    body.Put(u"newpwd"_s, FNewPwd);
    return Pack(body);
}
