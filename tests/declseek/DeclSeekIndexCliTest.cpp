#include "DeclSeekFixture.h"

#include <QProcess>

using namespace Qt::StringLiterals;

namespace {

struct TRun {
    int ExitCode = -1;
    QString Out;
    QString Err;
};

TRun RunIndexTool(const QStringList &arguments)
{
    QProcess process;
    process.start(qEnvironmentVariable("TALVIK_BIN_DIR") + u"/declseek-index"_s, arguments);
    EXPECT_TRUE(process.waitForFinished(60000)) << arguments.join(u' ').toStdString();
    // The build stores the units in the order the file system lists them: compare lines as a set.
    QStringList lines = QString::fromUtf8(process.readAllStandardOutput()).split(u'\n');
    std::sort(lines.begin(), lines.end() - 1);
    return {process.exitCode(), lines.join(u'\n'), QString::fromUtf8(process.readAllStandardError())};
}

class DeclSeekIndexCliTest : public ::testing::Test {
protected:
    TDeclSeekFixture Fixture;
    QString Db = Fixture.DatabaseFile();
    QString Units = Fixture.Dir.filePath(u"units"_s);
};

TEST_F(DeclSeekIndexCliTest, BuildCountsTheUnitsAndSearchPrintsOnePerLine)
{
    const TRun build = RunIndexTool({u"build"_s, u"--root"_s, Units, u"--db"_s, Db});
    EXPECT_EQ(build.ExitCode, 0) << build.Err.toStdString();
    EXPECT_TRUE(build.Out.startsWith(u"indexed 4 of 4 units from "_s)) << build.Out.toStdString();
    EXPECT_TRUE(build.Out.trimmed().endsWith(u" s"_s)) << build.Out.toStdString();
    EXPECT_TRUE(build.Err.contains(u"4/4"_s)) << build.Err.toStdString();

    const struct {
        QStringList Arguments;
        int ExitCode;
        QString Out;
        QString ErrPart;
    } cases[] = {
        {{u"search"_s, u"TAlpha"_s, u"--db"_s, Db}, 0, u"Alpha\nBeta\n"_s, {}},
        {{u"search"_s, u"--type"_s, u"function"_s, u" Compute "_s, u"--db"_s, Db}, 0, u"Alpha\nGamma\n"_s, {}},
        {{u"search"_s, u"GetValue"_s, u"--type"_s, u"class"_s, u"--db"_s, Db}, 1, u"没有找到！可能是自定义的！\n"_s, {}},
        {{u"search"_s, u"   "_s, u"--db"_s, Db}, 2, {}, u"请输入搜索的关键词！"_s},
        {{u"search"_s, u"TAlpha"_s, u"--type"_s, u"record"_s, u"--db"_s, Db}, 2, {}, u"unknown --type record"_s},
        {{u"search"_s, u"TAlpha"_s, u"--db"_s, Db + u".none"_s}, 2, {}, u"database file not found"_s},
        {{u"search"_s}, 2, {}, u"usage:"_s},
        {{u"build"_s, u"--root"_s, Units + u"/none"_s, u"--db"_s, Db}, 2, {}, u"no such directory"_s},
        {{u"frob"_s}, 2, {}, u"unknown command: frob"_s},
        {{}, 2, {}, u"usage:"_s},
    };
    for (const auto &c : cases) {
        const TRun run = RunIndexTool(c.Arguments);
        EXPECT_EQ(run.ExitCode, c.ExitCode) << c.Arguments.join(u' ').toStdString() << run.Err.toStdString();
        EXPECT_EQ(run.Out, c.Out) << c.Arguments.join(u' ').toStdString();
        EXPECT_TRUE(run.Err.contains(c.ErrPart)) << run.Err.toStdString();
    }
}

TEST_F(DeclSeekIndexCliTest, BuildNamesTheFileThatStoppedIt)
{
    const QString broken = Fixture.Dir.filePath(u"units/Broken.pas"_s);
    ASSERT_TRUE(QFile::link(Fixture.Dir.filePath(u"nowhere"_s), broken)); // listed, but cannot be read
    const TRun build = RunIndexTool({u"build"_s, u"--root"_s, Units, u"--db"_s, Db});
    EXPECT_EQ(build.ExitCode, 2);
    EXPECT_TRUE(build.Err.contains(u"stopped at "_s + broken)) << build.Err.toStdString();
}

TEST_F(DeclSeekIndexCliTest, WithoutDbTheLinkFileBesideTheProgramIsUsed)
{
    const TRun run = RunIndexTool({u"search"_s, u"TCircle"_s, u"--type"_s, u"class"_s});
    EXPECT_EQ(run.ExitCode, 0) << run.Err.toStdString();
    EXPECT_EQ(run.Out, u"Shapes\n"_s);
}

} // namespace
