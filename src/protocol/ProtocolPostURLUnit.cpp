#include "ProtocolPostURLUnit.h"

#include "Json.h"

using namespace Qt::StringLiterals;

QString TProtocolPostURL::GetData() const
{
    TJsonObject body;
    body.Put(u"url"_s, FURL);
    body.Put(u"nickname"_s, FUser);
    body.Put(u"title"_s, FTitle);
    body.Put(u"date"_s, Fdate);
    body.Put(u"classification"_s, FClassification);
    return Pack(body);
}
