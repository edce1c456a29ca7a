#include "ProtocolAnswerQuestionUnit.h"

#include "Json.h"

using namespace Qt::StringLiterals;

QString TProtocolAnswerQuestion::GetData() const
{
    TJsonObject body;
    body.Put(u"url"_s, FURL);
    body.Put(u"nickname"_s, FNickName);
    body.Put(u"questionid"_s, Fquestionid);
    body.Put(u"content"_s, FContent);
    body.Put(u"reference"_s, Freference);
    return Pack(body);
}
