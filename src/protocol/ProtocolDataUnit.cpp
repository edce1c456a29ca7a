#include "ProtocolDataUnit.h"

#include "JsonDataUnit.h"
#include "Json.h"

using namespace Qt::StringLiterals;

QString TBaseProtocolData::Pack(const TJsonObject &body) const
{
    return PackProtocol(FProtocol, body.ToText());
}

QString TProtocolUserNameData::GetData() const
{
    TJsonObject body;
    body.Put(u"username"_s, FUserName);
    return Pack(body);
}
