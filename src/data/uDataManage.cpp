#include "uDataManage.h"

#include "FileInfoUnit.h"
#include "IniFile.h"

using namespace Qt::StringLiterals;

TSetupConfig *Config = nullptr;
TCollectURLDataManage *CollectURLStore = nullptr;

const std::array<TReferenceClassification, 12> ReferenceClassifications = {{
    {54, u"语言基础(pascal)"},
    {56, u"VCL控件开发/使用"},
    {57, u"图形图像处理"},
    {58, u"多媒体/音频视频"},
    {59, u"数据库相关"},
    {60, u"多线程编程"},
    {61, u"网络通讯"},
    {63, u"程序算法"},
    {55, u"函数使用"},
    {62, u"Windows API相关"},
    {64, u"打印与报表技术"},
    {65, u"其他"},
}};

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
