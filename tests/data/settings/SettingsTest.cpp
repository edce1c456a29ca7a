#include "AnsiCodePage.h"
#include "IniFile.h"
#include "TestSupport.h"
#include "uDataManage.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

TEST(IniFileTest, SectionsAndKeysMatchInAnyLetterCase)
{
    TTempProgramDir dir;
    dir.Write(u"a.ini"_s, "; settings\r\n[Server]\r\nHost = example.test \r\nport=8080\r\n[Login]\r\nSavePwd=1\r\nName=\"quoted\"\r\n");
    const IniFile ini(dir.File(u"a.ini"_s));
    EXPECT_EQ(ini.ReadString(u"server"_s, u"HOST"_s), u"example.test"_s);
    EXPECT_EQ(ini.ReadInteger(u"SERVER"_s, u"Port"_s), 8080);
    EXPECT_TRUE(ini.ReadBool(u"login"_s, u"savepwd"_s));
    EXPECT_EQ(ini.ReadString(u"Login"_s, u"Name"_s), u"quoted"_s);
    EXPECT_EQ(ini.ReadString(u"Login"_s, u"Missing"_s, u"dflt"_s), u"dflt"_s);
    EXPECT_EQ(ini.ReadSection(u"server"_s), (QStringList{u"Host"_s, u"port"_s}));
    EXPECT_TRUE(ini.ReadSection(u"Nowhere"_s).isEmpty());
}

TEST(IniFileTest, AWriteChangesOnlyItsLineAndKeepsCommentsAndOrder)
{
    TTempProgramDir dir;
    dir.Write(u"a.ini"_s, "; top comment\r\n[Server]\r\nhost=h\r\n\r\n[Login]\r\n# note\r\nUserName=old\r\n");
    IniFile ini(dir.File(u"a.ini"_s));
    ASSERT_TRUE(ini.WriteString(u"login"_s, u"username"_s, u"张三"_s));
    ASSERT_TRUE(ini.WriteBool(u"Login"_s, u"SavePwd"_s, true));
    ASSERT_TRUE(ini.WriteInteger(u"Extra"_s, u"N"_s, 5));
    EXPECT_EQ(dir.Read(u"a.ini"_s),
              QByteArray("; top comment\r\n[Server]\r\nhost=h\r\n\r\n[Login]\r\n# note\r\nUserName=\xE5\xBC\xA0\xE4\xB8\x89\r\n"
                         "SavePwd=1\r\n\r\n[Extra]\r\nN=5\r\n"));
    EXPECT_EQ(IniFile(dir.File(u"a.ini"_s)).ReadString(u"LOGIN"_s, u"USERNAME"_s), u"张三"_s);
}

TEST(IniFileTest, AValueReadsBackAsWrittenAndALineBreakCannotInjectKeys)
{
    TTempProgramDir dir;
    dir.Write(u"a.ini"_s, "[Server]\r\nhost=h\r\n");
    IniFile ini(dir.File(u"a.ini"_s));
    for (const QString &value : {u" padded "_s, u"\"quoted\""_s, u"'single'"_s, u"plain"_s}) {
        ASSERT_TRUE(ini.WriteString(u"Login"_s, u"PassWord"_s, value));
        EXPECT_EQ(IniFile(dir.File(u"a.ini"_s)).ReadString(u"Login"_s, u"PassWord"_s), value);
    }
    const QByteArray before = dir.Read(u"a.ini"_s);
    EXPECT_FALSE(ini.WriteString(u"Login"_s, u"UserName"_s, u"x\r\n[Server]\r\nhost=elsewhere"_s));
    EXPECT_EQ(dir.Read(u"a.ini"_s), before);
    EXPECT_EQ(IniFile(dir.File(u"a.ini"_s)).ReadString(u"Server"_s, u"host"_s), u"h"_s);
}

TEST(IniFileTest, AWriteCreatesAMissingFile)
{
    TTempProgramDir dir;
    IniFile ini(dir.File(u"new.ini"_s));
    EXPECT_TRUE(ini.ReadString(u"Login"_s, u"UserName"_s).isEmpty());
    ASSERT_TRUE(ini.WriteString(u"Login"_s, u"UserName"_s, u"bob"_s));
    EXPECT_EQ(dir.Read(u"new.ini"_s), QByteArray("[Login]\r\nUserName=bob\r\n"));
}

TEST(IniFileTest, ALegacyFileInTheAnsiCodePageStillReads)
{
    TTempProgramDir dir;
    dir.Write(u"legacy.ini"_s, AnsiCodePage::FromUnicode(u"[Classification]\r\n数据库相关=59\r\n"_s));
    dir.Write(u"bom.ini"_s, "\xEF\xBB\xBF[Classification]\r\n\xE5\x85\xB6\xE4\xBB\x96=65\r\n"); // 其他, UTF-8 with BOM
    EXPECT_EQ(IniFile(dir.File(u"legacy.ini"_s)).ReadInteger(u"Classification"_s, u"数据库相关"_s), 59);
    EXPECT_EQ(IniFile(dir.File(u"bom.ini"_s)).ReadInteger(u"Classification"_s, u"其他"_s), 65);
}

TEST(SetupConfigTest, AMissingFileGivesTheValuesWhenMissing)
{
    TTempProgramDir dir;
    EXPECT_EQ(Config->Host(), QString());
    EXPECT_EQ(Config->Port(), 0);
    EXPECT_EQ(Config->ClassificationList(), QString());
    EXPECT_EQ(Config->IDToClassification(59), u"未知"_s);
}

TEST(SetupConfigTest, ReadsServerAndClassificationsAfreshOnEveryUse)
{
    TTempProgramDir dir;
    dir.Write(u"Config.dat"_s, "[SERVER]\nHOST=10.1.2.3\nport=abc\n");
    EXPECT_EQ(Config->Host(), u"10.1.2.3"_s);
    EXPECT_EQ(Config->Port(), 0) << "a port that is no number reads as 0";

    dir.Write(u"Config.dat"_s, "[Server]\nhost=127.0.0.1\nPort=24680\n[Classification]\n数据库相关=59\n其他=59\n");
    EXPECT_EQ(Config->Port(), 24680);
    EXPECT_EQ(Config->ClassificationList(), u"数据库相关\r\n其他\r\n"_s);
    EXPECT_EQ(Config->IDToClassification(59), u"数据库相关"_s) << "the first of two names with one identifier wins";
    EXPECT_EQ(Config->GetClassification(u"其他"_s), 59);
    EXPECT_EQ(Config->IDToClassification(60), u"未知"_s);
}

TEST(SetupConfigTest, TheShippedSettingsPointAtTheBundledServer)
{
    TTempProgramDir dir;
    QFile shipped(qEnvironmentVariable("TALVIK_BIN_DIR") + u"/Config.dat"_s);
    ASSERT_TRUE(shipped.open(QIODevice::ReadOnly));
    dir.Write(u"Config.dat"_s, shipped.readAll());
    EXPECT_EQ(Config->Host(), u"127.0.0.1"_s);
    EXPECT_EQ(Config->Port(), 24680);
    for (const TReferenceClassification &c : ReferenceClassifications)
        EXPECT_EQ(Config->GetClassification(QString::fromUtf16(c.Name)), c.Id);
}

} // namespace
