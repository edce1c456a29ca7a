#include "uDataManage.h"

#include "FileInfoUnit.h"
#include "IniFile.h"

using namespace Qt::StringLiterals;

TSetupConfig *Config = nullptr;
TCollectURLDataManage *CollectURLStore = nullptr;

int TDataManage::ReadIntValue(const QString &Section, const QString &Ident) const
{
    return IniFile(FFileName).ReadInteger(Section, Ident, 0);
}

QString TDataManage::ReadSectionKeys(const QString &Section) const
{
    QString keys;
    for (const QString &key : IniFile(FFileName).ReadSection(Section))
        keys += key + u"\r\n"_s;
    return keys;
}

QString TDataManage::ReadStrValue(const QString &Section, const QString &Ident) const
{
    return IniFile(FFileName).ReadString(Section, Ident);
}

QString TSetupConfig::Host() const { return ReadStrValue(u"Server"_s, u"host"_s); }
int TSetupConfig::Port() const { return ReadIntValue(u"Server"_s, u"Port"_s); }
QString TSetupConfig::ClassificationList() const { return ReadSectionKeys(u"Classification"_s); }

int TSetupConfig::GetClassification(const QString &AClassification) const
{
    return ReadIntValue(u"Classification"_s, AClassification);
}

QString TSetupConfig::IDToClassification(int AClassification) const
{
    // The first name in the file with that identifier wins.
    const IniFile file(FileName());
    for (const QString &name : file.ReadSection(u"Classification"_s))
        if (file.ReadInteger(u"Classification"_s, name, 0) == AClassification)
            return name;
    return u"未知"_s;
}

TCollectURLDataManage::TCollectURLDataManage() : List(std::make_unique<TCollectURLList>()) {}
TCollectURLDataManage::~TCollectURLDataManage() = default;

QString TCollectURLDataManage::DataFileName() const
{
    return FileInfo ? FileInfo->CollectURLData() : QString();
}

bool TCollectURLDataManage::LoadData() { return false; }
bool TCollectURLDataManage::InsertData(TCollectURLItem *) { return false; }
