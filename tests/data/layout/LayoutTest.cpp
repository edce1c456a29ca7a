#include "FileInfoUnit.h"
#include "ProgramDir.h"
#include "TestSupport.h"
#include "uPathInfo.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>

using namespace Qt::StringLiterals;

namespace {

struct TPathCase {
    const char *Name;
    std::function<QString()> Get;
    QString Relative;
};

TEST(FileLayout, EveryPathLiesInTheProgramDirectoryWithItsExactName)
{
    TTempProgramDir dir;
    const TPathCase cases[] = {
        {"BinPath", [] { return PathInfo->BinPath(); }, u""_s},
        {"ImagePath", [] { return PathInfo->ImagePath(); }, u"Images/"_s},
        {"DataPath", [] { return PathInfo->DataPath(); }, u"Data/"_s},
        {"DownLoadDataFile", [] { return PathInfo->DownLoadDataFile(); }, u"Data/TempDataFile.dat"_s},
        {"QuestionDataFile", [] { return PathInfo->QuestionDataFile(); }, u"Data/DataFile.dat"_s},
        {"ConfigFile", [] { return PathInfo->ConfigFile(); }, u"Config.dat"_s},
        {"MessageDataFile", [] { return PathInfo->MessageDataFile(); }, u"Data/Message.dat"_s},
        {"AppPath", [] { return FileInfo->AppPath(); }, u""_s},
        {"Log", [] { return FileInfo->Log(); }, u"Log.Txt"_s},
        {"HtmlPath", [] { return FileInfo->HtmlPath(); }, u"Html/"_s},
        {"NoticeHtml", [] { return FileInfo->NoticeHtml(); }, u"Html/Notice.html"_s},
        {"LeftFootHtml", [] { return FileInfo->LeftFootHtml(); }, u"Html/LeftFoot.html"_s},
        {"CenterHtml", [] { return FileInfo->CenterHtml(); }, u"Html/Center.Html"_s},
        {"SetupConfig", [] { return FileInfo->SetupConfig(); }, u"Config.dat"_s},
        {"CollectURLData", [] { return FileInfo->CollectURLData(); }, u"Data/CollectURL.dat"_s},
        {"ImgAskQquestion", [] { return FileInfo->ImgAskQquestion(); }, u"Images/AskQquestion.bmp"_s},
        {"ImgFileShare", [] { return FileInfo->ImgFileShare(); }, u"Images/ImgFileShare.bmp"_s},
        {"ImgQuestionYes", [] { return FileInfo->ImgQuestionYes(); }, u"Images/QuestionYes.gif"_s},
        {"ImgQuestionNo", [] { return FileInfo->ImgQuestionNo(); }, u"Images/QuestionNo.bmp"_s},
    };
    for (const TPathCase &c : cases)
        EXPECT_EQ(c.Get(), dir.Path() + c.Relative) << c.Name;
}

TEST(FileLayout, OnlyThePathProviderCreatesTheDataDirectory)
{
    TTempProgramDir dir;
    const QString data = dir.File(u"Data"_s);
    FileInfo->DataPath();
    FileInfo->CollectURLData();
    EXPECT_FALSE(QFileInfo::exists(data));

    EXPECT_EQ(PathInfo->QuestionDataFile(), data + u"/DataFile.dat"_s);
    EXPECT_TRUE(QFileInfo(data).isDir());
    EXPECT_FALSE(QFileInfo::exists(dir.File(u"Images"_s)));
    PathInfo->ImagePath();
    EXPECT_TRUE(QFileInfo(dir.File(u"Images"_s)).isDir());
}

TEST(FileLayout, TheProgramDirectoryIsTheExecutablesWhateverTheWorkingDirectory)
{
    QTemporaryDir elsewhere;
    const QString previous = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(elsewhere.path()));
    const QString expected = QCoreApplication::applicationDirPath() + u'/';
    EXPECT_EQ(ProgramDir::Path(), expected);
    TProgramObjects objects;
    EXPECT_EQ(PathInfo->ConfigFile(), expected + u"Config.dat"_s);
    EXPECT_EQ(FileInfo->SetupConfig(), PathInfo->ConfigFile());
    QDir::setCurrent(previous);
}

} // namespace
