#include "AnsiCodePage.h"
#include "LogUnit.h"
#include "ProgramDir.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <thread>

using namespace Qt::StringLiterals;

// Each test gets an empty program directory of its own.
class TLogTest : public ::testing::Test {
protected:
    void SetUp() override { ProgramDir::SetOverride(FDir.path()); }
    void TearDown() override { ProgramDir::SetOverride({}); }

    QString Content() const
    {
        QFile file(FDir.filePath(u"Log.txt"_s));
        return file.open(QIODevice::ReadOnly) ? AnsiCodePage::ToUnicode(file.readAll()) : QString();
    }

    // The file's lines, each of which must end in CR LF.
    QStringList Lines() const
    {
        QString content = Content();
        EXPECT_TRUE(content.endsWith(u"\r\n"_s));
        content.chop(2);
        const QStringList lines = content.split(u"\r\n"_s);
        for (const QString &line : lines) {
            EXPECT_FALSE(line.contains(u'\r') || line.contains(u'\n')) << line.toStdString();
        }
        return lines;
    }

    static bool IsTimestampLine(const QString &line)
    {
        static const QRegularExpression pattern(u"^\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d-{30}$"_s);
        return pattern.match(line).hasMatch();
    }

    QTemporaryDir FDir;
};

TEST_F(TLogTest, FirstEntryCreatesTheFileWithTwoLines)
{
    WriteLog(u"TProtocolMagege.Connect"_s, u"connection refused"_s);
    EXPECT_EQ(LogFileName(), FDir.filePath(u"Log.txt"_s));
    const QStringList lines = Lines();
    ASSERT_EQ(lines.size(), 2);
    EXPECT_TRUE(IsTimestampLine(lines[0])) << lines[0].toStdString();
    EXPECT_EQ(lines[1], u"[TProtocolMagege.Connect]:connection refused"_s);
}

TEST_F(TLogTest, SecondEntryIsAppendedAfterTheFirst)
{
    WriteLog(u"TQuestionData.ShowData"_s, u"first"_s);
    WriteLog(u"TQuestionData.LoadQType"_s, u"second"_s);
    const QStringList lines = Lines();
    ASSERT_EQ(lines.size(), 4);
    EXPECT_TRUE(IsTimestampLine(lines[0]));
    EXPECT_EQ(lines[1], u"[TQuestionData.ShowData]:first"_s);
    EXPECT_TRUE(IsTimestampLine(lines[2]));
    EXPECT_EQ(lines[3], u"[TQuestionData.LoadQType]:second"_s);
}

struct TMessageCase {
    const char *Name;
    QString Message;
    QStringList MessageLines;
};

class TLogMessageTest : public TLogTest, public ::testing::WithParamInterface<TMessageCase> {};

TEST_P(TLogMessageTest, MessageLinesFollowTheLabel)
{
    WriteLog(u"L.Op"_s, GetParam().Message);
    QStringList expected = GetParam().MessageLines;
    expected[0].prepend(u"[L.Op]:"_s);
    EXPECT_EQ(Lines().mid(1), expected);
}

INSTANTIATE_TEST_SUITE_P(
    Messages, TLogMessageTest,
    ::testing::Values(TMessageCase{"Empty", QString(), {QString()}},
                      TMessageCase{"LineFeed", u"one\ntwo"_s, {u"one"_s, u"two"_s}},
                      TMessageCase{"CarriageReturnLineFeed", u"one\r\ntwo"_s, {u"one"_s, u"two"_s}},
                      TMessageCase{"CarriageReturn", u"one\rtwo"_s, {u"one"_s, u"two"_s}},
                      TMessageCase{"ChineseInTheAnsiCodePage", u"数据库打不开"_s, {u"数据库打不开"_s}}),
    [](const auto &info) { return std::string(info.param.Name); });

TEST_F(TLogTest, ConcurrentWritersLoseNoEntry)
{
    constexpr int perWriter = 300;
    auto writer = [](const QString &label) {
        for (int i = 0; i < perWriter; ++i)
            WriteLog(label, QString::number(i));
    };
    std::thread download(writer, u"THttpDownThread.DoExecute"_s);
    writer(u"TQuestionData.AddQuestion"_s);
    download.join();

    const QStringList lines = Lines();
    ASSERT_EQ(lines.size(), 4 * perWriter);
    QMap<QString, int> next; // each writer's entries arrive whole and in its own order
    for (int i = 0; i < lines.size(); i += 2) {
        EXPECT_TRUE(IsTimestampLine(lines[i])) << lines[i].toStdString();
        static const QRegularExpression entry(u"^\\[(.+)\\]:(\\d+)$"_s);
        const auto match = entry.match(lines[i + 1]);
        ASSERT_TRUE(match.hasMatch()) << lines[i + 1].toStdString();
        EXPECT_EQ(match.captured(2).toInt(), next[match.captured(1)]++);
    }
    EXPECT_EQ(next.value(u"THttpDownThread.DoExecute"_s), perWriter);
    EXPECT_EQ(next.value(u"TQuestionData.AddQuestion"_s), perWriter);
}

TEST_F(TLogTest, UnwritableLogDoesNotRaise)
{
    ASSERT_TRUE(QDir(FDir.path()).mkdir(u"Log.txt"_s)); // a directory where the file should be
    EXPECT_NO_THROW(WriteLog(u"L.Op"_s, u"lost"_s));
    ProgramDir::SetOverride(FDir.filePath(u"no/such/dir"_s));
    EXPECT_NO_THROW(WriteLog(u"L.Op"_s, u"lost"_s));
}
