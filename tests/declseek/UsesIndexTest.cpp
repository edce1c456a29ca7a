#include "DeclSeekFixture.h"

#include "AnsiCodePage.h"
#include "Trim.h"

#include <QFile>
#include <QRegularExpression>
#include <QSet>
#include <QSqlQuery>

using namespace Qt::StringLiterals;
using UsesIndex::TSearchType;

namespace {

QString ConnectionName()
{
    return u"test-uses-index"_s;
}

class UsesIndexTest : public ::testing::Test {
protected:
    void TearDown() override { DataLink::Close(ConnectionName()); }
    TDeclSeekFixture Fixture;
};

QSet<QString> Names(const QStringList &paths)
{
    QSet<QString> names;
    for (const QString &path : paths)
        names.insert(QFileInfo(path).fileName());
    return names;
}

TEST_F(UsesIndexTest, CollectFilesWalksRootFirstThenLevelByLevel)
{
    QDir root(Fixture.Dir.filePath(u"tree"_s));
    root.mkpath(u"sub1/deep"_s);
    root.mkpath(u"sub2/deeper"_s);
    for (const QString &name : {u"tree/sub1/deep/e.pas"_s, u"tree/sub2/deeper/f.pas"_s, u"tree/sub1/c.pas"_s,
                                u"tree/sub2/d.Pas"_s, u"tree/a.pas"_s, u"tree/B.PAS"_s, u"tree/x.pas.bak"_s,
                                u"tree/readme.txt"_s, u"tree/pas"_s})
        Fixture.WriteFile(name, "x");
    // A link back up the tree must not make the walk endless.
    QFile::link(root.path(), root.filePath(u"sub1/loop"_s));

    QStringList list;
    UsesIndex::CollectFiles(root.path(), u".pas"_s, list);
    ASSERT_EQ(list.size(), 6) << list.join(u' ').toStdString();
    EXPECT_EQ(Names(list.mid(0, 2)), (QSet<QString>{u"a.pas"_s, u"B.PAS"_s}));
    EXPECT_EQ(Names(list.mid(2, 2)), (QSet<QString>{u"c.pas"_s, u"d.Pas"_s}));
    EXPECT_EQ(Names(list.mid(4, 2)), (QSet<QString>{u"e.pas"_s, u"f.pas"_s}));
    EXPECT_TRUE(list.first().startsWith(root.path() + u'/'));

    QStringList everything;
    UsesIndex::CollectFiles(root.path(), u".*"_s, everything);
    EXPECT_EQ(everything.size(), 9);
}

TEST_F(UsesIndexTest, ReadUnitTextEndsEveryLineWithCrLf)
{
    AnsiCodePage::SetName("GBK");
    const struct {
        QByteArray Bytes;
        QString Text;
    } cases[] = {
        {"a\r\nb", u"a\r\nb\r\n"_s},
        {"a\nb\n", u"a\r\nb\r\n"_s},
        {"a\rb\r\n\r\nc", u"a\r\nb\r\n\r\nc\r\n"_s},
        {"", QString()},
        {"\xD6\xD0 x", u"中 x\r\n"_s},                       // the ANSI code page
        {"\xEF\xBB\xBF\xE4\xB8\xAD", u"中\r\n"_s},           // UTF-8 with its mark
        {QByteArray("\xFF\xFE-N\n\0", 6), u"中\r\n"_s},      // UTF-16LE with its mark
    };
    for (const auto &c : cases) {
        const QString file = Fixture.WriteFile(u"read.pas"_s, c.Bytes);
        EXPECT_EQ(UsesIndex::ReadUnitText(file), c.Text) << c.Bytes.toHex().constData();
    }
    EXPECT_THROW(UsesIndex::ReadUnitText(Fixture.Dir.filePath(u"missing.pas"_s)), EUsesIndexError);
    AnsiCodePage::SetName({});
}

TEST_F(UsesIndexTest, UnitNameDropsDirectoryAndExtension)
{
    EXPECT_EQ(UsesIndex::UnitName(u"/src/rtl/SysUtils.pas"_s), u"SysUtils"_s);
    EXPECT_EQ(UsesIndex::UnitName(u"/src/System.Generics.pas"_s), u"System.Generics"_s);
}

struct TSearchCase {
    TSearchType Type;
    QString KeyWord;
    QStringList Units;
};

TEST_F(UsesIndexTest, StatementsListTheUnitsThatMatch)
{
    QSqlDatabase db = Fixture.Build(ConnectionName());
    const TSearchCase cases[] = {
        {TSearchType::ClassOrRecord, u"TAlpha"_s, {u"Alpha"_s, u"Beta"_s}}, // " talpha = " in Beta
        {TSearchType::ClassOrRecord, u"TALPHA"_s, {u"Alpha"_s, u"Beta"_s}},
        {TSearchType::Function, u"GetValue"_s, {u"Gamma"_s}}, // Alpha's has no parameter list
        {TSearchType::All, u"Compute"_s, {u"Alpha"_s, u"Gamma"_s}}, // Gamma matches twice, listed once
        {TSearchType::Procedure, u"Reset"_s, {u"Alpha"_s}},
        {TSearchType::Function, u"Reset"_s, {}},
        {TSearchType::Procedure, u"_AddRef"_s, {u"Alpha"_s}}, // "_" is no wildcard: not XAddRef
        {TSearchType::All, u"_AddRef"_s, {u"Alpha"_s}},
        {TSearchType::ClassOrRecord, u"T1%"_s, {}}, // "%" is no wildcard: not T100
        {TSearchType::ClassOrRecord, u"T100"_s, {u"Delta"_s}},
        {TSearchType::ClassOrRecord, u"O'Brien"_s, {u"Beta"_s}}, // a quote is only a character
        {TSearchType::ClassOrRecord, u"TBeta = (bOne,"_s, {}},
        {TSearchType::All, u"Nothing"_s, {}},
    };
    for (const TSearchCase &c : cases) {
        EXPECT_EQ(UsesIndex::Search(db, c.Type, c.KeyWord), c.Units) << c.KeyWord.toStdString();
        EXPECT_EQ(UsesIndex::SearchByScan(db, c.Type, c.KeyWord), c.Units) << c.KeyWord.toStdString();
    }
}

TEST_F(UsesIndexTest, AUnitStoredTwiceIsListedTwice)
{
    QSqlDatabase db = Fixture.Build(ConnectionName(), 2);
    EXPECT_EQ(UsesIndex::Search(db, TSearchType::All, u"TBeta"_s), (QStringList{u"Beta"_s, u"Beta"_s}));
    EXPECT_EQ(UsesIndex::Search(db, TSearchType::All, u"Compute"_s),
              (QStringList{u"Alpha"_s, u"Gamma"_s, u"Alpha"_s, u"Gamma"_s}));
}

// Every run of non-blank characters of the texts, cut at each "(", in several letter cases, and
// keywords made to trip the lookup up: the index must answer exactly as the LIKE scan does.
TEST_F(UsesIndexTest, DeclarationLookupAgreesWithTheScan)
{
    const char tail[] = " TBefore = 1\0 TAfterNul = 2\r\nfunction Hidden(";
    Fixture.WriteFile(u"units/Tricky.pas"_s,
                      u"TStart = class\r\n\tTTab = class\r\n  TDone = class;\r\n  TÄrger = class\r\n"
                      u"function  Double(A: Integer);\r\nmyfunction Inner(x)\r\nFUNCTION Upper(\r\n"
                      u"procedure Multi(a)(b)\r\nfunction \u212Aelvin(K: Integer);\r\nfunction (\r\n"
                      u" A = B = C \r\n  TAfterMark = x;\r\n procedure Tail("_s.toUtf8()
                          + QByteArray(tail, sizeof(tail) - 1));
    QStringList files = Fixture.UnitFiles;
    files.append(Fixture.Dir.filePath(u"units/Tricky.pas"_s));
    QSqlDatabase db = DataLink::OpenFile(Fixture.DatabaseFile(), ConnectionName(), true);
    ASSERT_TRUE(UsesIndex::AddUnits(db, files).Error.isEmpty());

    QSet<QString> keyWords{u"Kelvin"_s, u"tärger"_s, u"TAfterNul"_s, u"Hidden"_s, u"%"_s, u"_"_s, u"\\"_s,
                           u"T_AL%A"_s, u"'"_s, u"Multi(a)"_s, u"A = B"_s, u"="_s, u"(bOne,"_s};
    for (const QString &file : files) {
        const QString text = UsesIndex::ReadUnitText(file);
        for (const QString &run : text.split(QRegularExpression(u"[ \\x00]"_s), Qt::SkipEmptyParts)) {
            for (const QString &word : {run, run.section(u'(', 0, 0), run.toUpper(), run.toLower()}) {
                const QString keyWord = Trim(word);
                if (!keyWord.isEmpty())
                    keyWords.insert(keyWord);
            }
        }
    }
    int found = 0;
    for (const QString &keyWord : keyWords) {
        EXPECT_EQ(UsesIndex::CanUseDeclarations(db, keyWord), !keyWord.contains(u' ')) << keyWord.toStdString();
        for (const TSearchType type :
             {TSearchType::All, TSearchType::ClassOrRecord, TSearchType::Function, TSearchType::Procedure}) {
            const QStringList expected = UsesIndex::SearchByScan(db, type, keyWord);
            EXPECT_EQ(UsesIndex::Search(db, type, keyWord), expected)
                << keyWord.toStdString() << " type " << int(type);
            found += expected.isEmpty() ? 0 : 1;
        }
    }
    EXPECT_GT(found, 40); // the comparison is not only of empty lists
}

TEST_F(UsesIndexTest, RowsOfAnotherToolAreScannedUntilTheirNamesAreCollected)
{
    QSqlDatabase db = DataLink::OpenFile(Fixture.DatabaseFile(), ConnectionName(), true);
    QSqlQuery plain(db);
    ASSERT_TRUE(plain.exec(u"CREATE TABLE T_Uses(FileName TEXT, content TEXT)"_s));
    ASSERT_TRUE(plain.exec(u"INSERT INTO T_Uses VALUES('Old', ' TOld = class')"_s));
    EXPECT_FALSE(UsesIndex::CanUseDeclarations(db, u"TOld"_s));
    EXPECT_EQ(UsesIndex::Search(db, TSearchType::All, u"TOld"_s), QStringList{u"Old"_s});

    UsesIndex::CollectPending(db);
    EXPECT_TRUE(UsesIndex::CanUseDeclarations(db, u"TOld"_s));
    EXPECT_EQ(UsesIndex::Search(db, TSearchType::All, u"TOld"_s), QStringList{u"Old"_s});

    ASSERT_TRUE(plain.exec(u"INSERT INTO T_Uses VALUES('New', ' TOld = record')"_s));
    EXPECT_FALSE(UsesIndex::CanUseDeclarations(db, u"TOld"_s));
    EXPECT_EQ(UsesIndex::Search(db, TSearchType::All, u"TOld"_s), (QStringList{u"Old"_s, u"New"_s}));

    ASSERT_TRUE(plain.exec(u"UPDATE T_Uses SET content = ' TNew = class' WHERE FileName = 'New'"_s));
    ASSERT_TRUE(plain.exec(u"DELETE FROM T_Uses WHERE FileName = 'Old'"_s));
    UsesIndex::CollectPending(db);
    EXPECT_TRUE(UsesIndex::CanUseDeclarations(db, u"TOld"_s));
    EXPECT_EQ(UsesIndex::Search(db, TSearchType::All, u"TOld"_s), QStringList{});
    EXPECT_EQ(UsesIndex::Search(db, TSearchType::All, u"TNew"_s), QStringList{u"New"_s});
}

TEST_F(UsesIndexTest, AnUnreadableFileStopsTheBuildAndKeepsTheUnitsBefore)
{
    QSqlDatabase db = DataLink::OpenFile(Fixture.DatabaseFile(), ConnectionName(), true);
    const QString missing = Fixture.Dir.filePath(u"units/Missing.pas"_s);
    const QStringList files{Fixture.UnitFiles[0], missing, Fixture.UnitFiles[1]};
    QList<int> progress;
    const UsesIndex::TBuildResult result =
        UsesIndex::AddUnits(db, files, [&progress](int Done, int, const QString &) { progress.append(Done); });
    EXPECT_EQ(result.Units, 1);
    EXPECT_EQ(result.FailedFile, missing);
    EXPECT_FALSE(result.Error.isEmpty());
    EXPECT_EQ(progress, (QList<int>{0, 1}));
    EXPECT_EQ(UsesIndex::Search(db, TSearchType::ClassOrRecord, u"TAlpha"_s), QStringList{u"Alpha"_s});
}

TEST_F(UsesIndexTest, AMissingTableIsAnError)
{
    QSqlDatabase db = DataLink::OpenFile(Fixture.DatabaseFile(), ConnectionName(), true);
    EXPECT_THROW(UsesIndex::Search(db, TSearchType::All, u"TAlpha"_s), EUsesIndexError);
}

} // namespace
