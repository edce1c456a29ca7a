#include "ProtocolUploadFileUnit.h"

#include "Json.h"

using namespace Qt::StringLiterals;


QString TProtocolUploadFile::GetData() const
{
    TJsonObject body;
    body.Put(u"nickname"_s, FUser);
    body.Put(u"filesize"_s, FFileSize);
    // Either separator ends a directory part, whichever system wrote the path.
    QString name = FFileName;
    name = name.mid(qMax(name.lastIndexOf(u'/'), name.lastIndexOf(u'\\')) + 1);
    body.Put(u"filename"_s, name);
    body.Put(u"guid"_s, FGuid);
    body.Put(u"classification"_s, FClassification);
    body.Put(u"depict"_s, FDepict);
    return Pack(body);
}
