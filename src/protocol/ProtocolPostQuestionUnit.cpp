#include "ProtocolPostQuestionUnit.h"

#include "Json.h"

using namespace Qt::StringLiterals;

QString TProtocolPostQuestion::GetData() const
{
    TJsonObject body;
    body.Put(u"nickname"_s, FNickName);
    body.Put(u"marks"_s, FMarks);
    body.Put(u"content"_s, FContent);
    body.Put(u"title"_s, FTitle);
    body.Put(u"classification"_s, FClassification);
    return Pack(body);
}
