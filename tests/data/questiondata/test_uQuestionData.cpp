#include "QuestionDataFixture.h"

#include "ProtocolPostQuestionUnit.h"
#include "uQuestionData.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QThread>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

using namespace Qt::StringLiterals;

QT_BEGIN_NAMESPACE
void PrintTo(const QString &text, std::ostream *out)
{
    *out << '"' << text.toStdString() << '"';
}
QT_END_NAMESPACE

namespace {

// What a listing handed out: view events and rows in the order they came.
struct TRecorder {
    QStringList Events; // "begin", "end", or the row's title
    std::vector<TQuestionDataItem> Rows;
    std::function<void(const TQuestionDataItem &)> OnRow;

    void Attach(TQuestionData &data)
    {
        data.SetOnViewBegin([this](TObject *) { Events << u"begin"_s; });
        data.SetOnViewEnd([this](TObject *) { Events << u"end"_s; });
        data.SetOnAddDataItem([this](TObject *, std::unique_ptr<TQuestionDataItem> item) {
            Events << item->Title;
            Rows.push_back(*item);
            if (OnRow)
                OnRow(Rows.back());
        });
    }
    QStringList Titles() const
    {
        QStringList titles;
        for (const TQuestionDataItem &row : Rows)
            titles << row.Title;
        return titles;
    }
    void Clear()
    {
        Events.clear();
        Rows.clear();
    }
};

// Question i (from 0) of a fixture: dates that disagree with insertion order, each date twice.
TFixtureQuestion Question(int i, const QString &user = u"会员"_s, int typeId = 54)
{
    const QString date = QDate(2010, 1, 1).addDays((i * 37) % 125).toString(u"yyyy-MM-dd"_s)
                         + u" 08:00:00"_s;
    return {u"问题 %1"_s.arg(i), typeId, user, date, u"q%1.html"_s.arg(i), 1000 + i};
}

std::vector<TFixtureQuestion> Questions(int count)
{
    std::vector<TFixtureQuestion> questions;
    for (int i = 0; i < count; ++i)
        questions.push_back(Question(i));
    return questions;
}

// The titles in listing order: date newest first, then the later insertion first.
QStringList ListingOrder(const std::vector<TFixtureQuestion> &questions)
{
    std::vector<int> order(questions.size());
    for (size_t i = 0; i < order.size(); ++i)
        order[i] = int(i);
    std::sort(order.begin(), order.end(), [&](int a, int b) {
        return questions[a].Date != questions[b].Date ? questions[a].Date > questions[b].Date : a > b;
    });
    QStringList titles;
    for (int i : order)
        titles << questions[i].Title;
    return titles;
}

class QuestionDataTest : public ::testing::Test {
protected:
    TQuestionDataFixture Fixture;
    TQuestionData Data;
    TRecorder Recorder;

    void SetUp() override { Recorder.Attach(Data); }
};

// Every listing must read the same rows from the published file and from the bare tables.
class QuestionDataLayoutTest : public QuestionDataTest, public ::testing::WithParamInterface<TFixtureLayout> {};

INSTANTIATE_TEST_SUITE_P(Layouts, QuestionDataLayoutTest,
                         ::testing::Values(TFixtureLayout::Published, TFixtureLayout::TablesOnly),
                         [](const auto &info) {
                             return info.param == TFixtureLayout::Published ? "Published" : "TablesOnly";
                         });

TEST_P(QuestionDataLayoutTest, EmptyTableGivesNoPagesAndBothViewEvents)
{
    Fixture.Build(GetParam(), {});
    const std::vector<std::function<void()>> listings = {
        [&] { Data.ShowData(1); },
        [&] { Data.ShowMyQuestion(u"会员"_s, 1); },
        [&] { Data.ShowTypeQuestion(TQuestionDataFixture::TypeName(54), 1); },
    };
    for (const auto &listing : listings) {
        Recorder.Clear();
        listing();
        EXPECT_EQ(Recorder.Events, QStringList({u"begin"_s, u"end"_s}));
        EXPECT_EQ(Data.DataCount(), 0);
        EXPECT_EQ(Data.PageCount(), 0);
    }
    EXPECT_TRUE(Fixture.LogLabels().isEmpty());
}

TEST_P(QuestionDataLayoutTest, PagesTogetherHoldEveryRowOnceInDateOrder)
{
    const std::vector<TFixtureQuestion> questions = Questions(250);
    Fixture.Build(GetParam(), questions);
    const QStringList expected = ListingOrder(questions);

    QStringList all;
    const std::vector<int> sizes = {100, 100, 50, 0};
    for (int page = 1; page <= 4; ++page) {
        Recorder.Clear();
        Data.ShowData(page);
        EXPECT_EQ(Recorder.Rows.size(), size_t(sizes[page - 1])) << "page " << page;
        all += Recorder.Titles();
    }
    EXPECT_EQ(all, expected);
    EXPECT_EQ(Data.DataCount(), 250);
    EXPECT_EQ(Data.PageCount(), 3);

    Recorder.Clear();
    Data.ShowData(1);
    ASSERT_FALSE(Recorder.Rows.empty());
    const TQuestionDataItem &row = Recorder.Rows.front();
    const int i = row.Title.mid(3).toInt();
    EXPECT_EQ(row.User, questions[i].User);
    EXPECT_EQ(row.QTypeId, 54);
    EXPECT_EQ(row.QTypeName, TQuestionDataFixture::TypeName(54));
    EXPECT_EQ(row.URL, questions[i].URL);
    EXPECT_EQ(row.Date, questions[i].Date);
    EXPECT_EQ(row.QuestionID, questions[i].QuestionID);
    EXPECT_FALSE(row.IsPost);
}

TEST_P(QuestionDataLayoutTest, OwnQuestionsSecondPageHoldsOnlyThatMembersLast20)
{
    std::vector<TFixtureQuestion> questions;
    std::vector<TFixtureQuestion> mine;
    for (int i = 0; i < 300; ++i) {
        questions.push_back(Question(i, i % 5 < 2 ? u"O'Brien"_s : u"会员%1"_s.arg(i % 7)));
        if (questions.back().User == u"O'Brien"_s)
            mine.push_back(questions.back());
    }
    ASSERT_EQ(mine.size(), 120u);
    Fixture.Build(GetParam(), questions);

    Data.ShowMyQuestion(u"O'Brien"_s, 2);
    EXPECT_EQ(Data.DataCount(), 120);
    EXPECT_EQ(Data.PageCount(), 2);
    EXPECT_EQ(Recorder.Titles(), ListingOrder(mine).mid(100));
    for (const TQuestionDataItem &row : Recorder.Rows)
        EXPECT_EQ(row.User, u"O'Brien"_s);
}

TEST_P(QuestionDataLayoutTest, ClassificationListingNamesItsRowsAndAnUnknownNameListsNothing)
{
    std::vector<TFixtureQuestion> questions;
    for (int i = 0; i < 40; ++i)
        questions.push_back(Question(i, u"会员"_s, i < 3 ? 0 : 54 + i % 2));
    Fixture.Build(GetParam(), questions);

    Data.ShowTypeQuestion(TQuestionDataFixture::TypeName(55), 1);
    EXPECT_EQ(Data.DataCount(), 19);
    ASSERT_EQ(Recorder.Rows.size(), 19u);
    for (const TQuestionDataItem &row : Recorder.Rows) {
        EXPECT_EQ(row.QTypeId, 55);
        EXPECT_EQ(row.QTypeName, TQuestionDataFixture::TypeName(55));
    }

    Recorder.Clear();
    Data.ShowTypeQuestion(u"没有这个分类'"_s, 1);
    EXPECT_EQ(Data.DataCount(), 3); // the rows of classification 0
    EXPECT_TRUE(Recorder.Events.isEmpty());
    EXPECT_TRUE(Fixture.LogLabels().isEmpty());
}

struct TSearchCase {
    const char *Keyword;
    QStringList Expected; // in identifier order
};

TEST_P(QuestionDataLayoutTest, TitleSearchFindsExactlyTheTitlesContainingTheKeyword)
{
    const QStringList titles = {
        u"It's a trap"_s,     u"Its a trap"_s,          u"100% sure"_s,      u"1000 sure"_s,
        u"a_b in names"_s,    u"axb in names"_s,        u"path C:\\dir"_s,   u"Qt 线程同步"_s,
        u"QT 多线程同步问题"_s, u"say \"hi\" twice"_s,
    };
    std::vector<TFixtureQuestion> questions;
    for (int i = 0; i < titles.size(); ++i)
        questions.push_back({titles[i], 54, u"会员"_s, u"2020-01-01 00:00:00"_s, u"u.html"_s, i});
    Fixture.Build(GetParam(), questions);
    Data.ShowData(1);
    ASSERT_EQ(Data.DataCount(), 10);

    const std::vector<TSearchCase> cases = {
        {"It's", {u"It's a trap"_s}},
        {"'", {u"It's a trap"_s}},
        {"100%", {u"100% sure"_s}},
        {"%", {u"100% sure"_s}},
        {"a_b", {u"a_b in names"_s}},
        {"C:\\dir", {u"path C:\\dir"_s}},
        {"\\", {u"path C:\\dir"_s}},
        {"\"hi\"", {u"say \"hi\" twice"_s}},
        {"qt", {u"Qt 线程同步"_s, u"QT 多线程同步问题"_s}},
        {"线程同步", {u"Qt 线程同步"_s, u"QT 多线程同步问题"_s}},
        {"t 多线程", {u"QT 多线程同步问题"_s}},
        {"没有的词", {}},
    };
    for (const TSearchCase &c : cases) {
        Recorder.Clear();
        int countAtFirstRow = -1;
        Recorder.OnRow = [&](const TQuestionDataItem &) {
            if (countAtFirstRow < 0)
                countAtFirstRow = Data.SearchDataCount();
        };
        Data.FindData(QString::fromUtf8(c.Keyword));
        EXPECT_EQ(Recorder.Titles(), c.Expected) << c.Keyword;
        EXPECT_EQ(Data.SearchDataCount(), c.Expected.size()) << c.Keyword;
        EXPECT_EQ(Recorder.Events.front(), u"begin"_s);
        EXPECT_EQ(Recorder.Events.back(), u"end"_s);
        if (!c.Expected.isEmpty()) {
            EXPECT_EQ(countAtFirstRow, c.Expected.size()) << c.Keyword;
        }
    }
    EXPECT_EQ(Data.DataCount(), 10);
    EXPECT_TRUE(Fixture.LogLabels().isEmpty());
}

// Whoever changes the table, the counts and the title search follow.
TEST_P(QuestionDataLayoutTest, CountsAndSearchFollowDeletesAndUpdates)
{
    Fixture.Build(GetParam(), Questions(10));
    Fixture.Exec(u"DELETE FROM T_LocalQuestion WHERE F_Id <= 2"_s);
    Fixture.Exec(u"UPDATE T_LocalQuestion SET F_User = 'B', F_TypeId = 55, F_Title = 'renamed' WHERE F_Id = 3"_s);

    const std::vector<std::pair<std::function<void()>, int>> counts = {
        {[&] { Data.ShowData(1); }, 8},
        {[&] { Data.ShowMyQuestion(u"会员"_s, 1); }, 7},
        {[&] { Data.ShowMyQuestion(u"B"_s, 1); }, 1},
        {[&] { Data.ShowTypeQuestion(TQuestionDataFixture::TypeName(54), 1); }, 7},
        {[&] { Data.ShowTypeQuestion(TQuestionDataFixture::TypeName(55), 1); }, 1},
    };
    for (const auto &[listing, count] : counts) {
        Recorder.Clear();
        listing();
        EXPECT_EQ(Data.DataCount(), count);
        EXPECT_EQ(Recorder.Rows.size(), size_t(count));
    }
    const std::vector<std::pair<QString, int>> searches = {{u"renamed"_s, 1}, {u"问题 2"_s, 0}, {u"问题 1"_s, 0}, {u"问题 4"_s, 1}};
    for (const auto &[keyword, count] : searches) {
        Data.FindData(keyword);
        EXPECT_EQ(Data.SearchDataCount(), count) << keyword.toStdString();
    }
}

// Emptying the title index shows which searches go through it: those of three characters or more.
TEST_F(QuestionDataTest, TitleSearchUsesTheTitleIndexForKeywordsOfThreeCharacters)
{
    Fixture.Build(TFixtureLayout::Published, {{u"Qt 线程"_s, 54, u"u"_s, u"2020"_s, u"u"_s, 1}});
    Fixture.Exec(u"INSERT INTO T_LocalQuestionTitle(T_LocalQuestionTitle) VALUES ('delete-all')"_s);
    Data.FindData(u"Qt 线"_s);
    EXPECT_EQ(Data.SearchDataCount(), 0);
    Data.FindData(u"线程"_s);
    EXPECT_EQ(Data.SearchDataCount(), 1);
}

TEST_P(QuestionDataLayoutTest, AddedQuestionIsListedAndFound)
{
    Fixture.Build(GetParam(), Questions(5));
    TProtocolPostQuestion question;
    question.SetTitle(u"新问题 O'Neil 100%"_s);
    question.SetClassification(60);
    question.SetURL(u"new.html"_s);
    question.SetNickName(u"提问者"_s);
    question.SetDate(u"2030-01-01 00:00:00"_s);
    question.SetQuestionID(777);

    int id = 99;
    EXPECT_TRUE(Data.AddQuestion(question, id, true));
    EXPECT_EQ(id, 6);
    EXPECT_TRUE(Data.AddQuestion(question, id, false));
    EXPECT_EQ(id, 0);

    Data.ShowData(1);
    EXPECT_EQ(Data.DataCount(), 7);
    ASSERT_FALSE(Recorder.Rows.empty());
    const TQuestionDataItem &row = Recorder.Rows.front();
    EXPECT_EQ(row.Title, question.Title());
    EXPECT_EQ(row.QTypeId, 60);
    EXPECT_EQ(row.QTypeName, TQuestionDataFixture::TypeName(60));
    EXPECT_EQ(row.URL, u"new.html"_s);
    EXPECT_EQ(row.User, u"提问者"_s);
    EXPECT_EQ(row.QuestionID, 777);

    Data.ShowMyQuestion(u"提问者"_s, 1);
    EXPECT_EQ(Data.DataCount(), 2);
    Data.ShowTypeQuestion(TQuestionDataFixture::TypeName(60), 1);
    EXPECT_EQ(Data.DataCount(), 2);
    Recorder.Clear();
    Data.FindData(u"O'Neil 100%"_s);
    EXPECT_EQ(Data.SearchDataCount(), 2);

    EXPECT_TRUE(Data.UpdateQuestionState(6, 888, u"it's.html"_s));
    Recorder.Clear();
    Data.FindData(u"O'Neil"_s);
    ASSERT_EQ(Recorder.Rows.size(), 2u);
    EXPECT_EQ(Recorder.Rows[0].URL, u"it's.html"_s);
    EXPECT_EQ(Recorder.Rows[0].QuestionID, 888);
    EXPECT_TRUE(Fixture.LogLabels().isEmpty());
}

TEST_F(QuestionDataTest, FailingInsertReportsMinusOne)
{
    Fixture.Build(TFixtureLayout::Published, Questions(1));
    Fixture.Exec(u"CREATE TRIGGER Refuse BEFORE INSERT ON T_LocalQuestion BEGIN SELECT RAISE(ABORT, 'refused'); END"_s);
    TProtocolPostQuestion question;
    question.SetTitle(u"x"_s);
    int id = 5;
    EXPECT_FALSE(Data.AddQuestion(question, id, true));
    EXPECT_EQ(id, -1);
    EXPECT_EQ(Fixture.LogLabels(), QStringList({u"TQuestionData.AddQuestion"_s}));
}

TEST_F(QuestionDataTest, ClassificationsLoadAndMapBothWays)
{
    Fixture.Build(TFixtureLayout::Published, {});
    QList<QPair<int, QString>> types;
    Data.SetOnAddQTypeList([&](TObject *, int id, const QString &name) { types.append({id, name}); });
    Data.LoadQType();
    ASSERT_EQ(types.size(), 12);
    EXPECT_EQ(types.front(), qMakePair(54, TQuestionDataFixture::TypeName(54)));
    EXPECT_EQ(types.back(), qMakePair(65, u"其他"_s));

    EXPECT_EQ(Data.QTypeIdToName(59), u"数据库相关"_s);
    EXPECT_EQ(Data.QTypeIdToName(1), QString());
    EXPECT_EQ(Data.QTypeNameToId(u"数据库相关"_s), 59);
    EXPECT_EQ(Data.QTypeNameToId(u"数据库"_s), 0);
    EXPECT_EQ(Data.QTypeNameToId(u"' OR 1=1 --"_s), 0);
    EXPECT_TRUE(Recorder.Events.isEmpty());
}

// The file is closed between operations: it can be replaced, and the next operation reads the new one.
TEST_F(QuestionDataTest, ReplacedFileIsReadByTheNextOperation)
{
    Fixture.Build(TFixtureLayout::Published, Questions(250));
    Data.ShowData(1);
    EXPECT_EQ(Data.DataCount(), 250);

    const QString canonical = QFileInfo(Fixture.DataFile()).canonicalFilePath();
    for (const QFileInfo &fd : QDir(u"/proc/self/fd"_s).entryInfoList(QDir::System | QDir::NoDotAndDotDot))
        EXPECT_NE(fd.symLinkTarget(), canonical) << "the database file is still open";

    const QString replacement = Fixture.Dir() + u"Data/TempDataFile.dat"_s;
    Fixture.BuildAt(replacement, TFixtureLayout::TablesOnly, Questions(5));
    ASSERT_TRUE(QFile::remove(Fixture.DataFile()));
    ASSERT_TRUE(QFile::copy(replacement, Fixture.DataFile()));

    Recorder.Clear();
    Data.ShowData(1);
    EXPECT_EQ(Data.DataCount(), 5);
    EXPECT_EQ(Recorder.Rows.size(), 5u);
}

// Calls a function from the event loop, as a click processed between two rows would.
void Post(QObject *context, std::function<void()> call)
{
    QMetaObject::invokeMethod(context, std::move(call), Qt::QueuedConnection);
}

TEST_F(QuestionDataTest, ListingStartedWhileRowsArriveTakesOverTheList)
{
    const std::vector<TFixtureQuestion> questions = Questions(250);
    Fixture.Build(TFixtureLayout::Published, questions);
    QObject context;
    int outerRows = 0;
    bool nested = false;
    Recorder.OnRow = [&](const TQuestionDataItem &) {
        if (nested || ++outerRows != 10)
            return;
        Post(&context, [&] {
            nested = true;
            Recorder.Rows.clear(); // the main window clears the list before it asks for a page
            Data.ShowData(2);
        });
        QThread::msleep(20); // let the next pause between rows process it
    };
    Data.ShowData(1);

    EXPECT_EQ(outerRows, 10);
    EXPECT_EQ(Recorder.Titles(), ListingOrder(questions).mid(100, 100));
    ASSERT_EQ(Recorder.Events.size(), 10 + 100 + 4);
    EXPECT_EQ(Recorder.Events.count(u"begin"_s), 2);
    EXPECT_EQ(Recorder.Events.at(11), u"begin"_s);
    EXPECT_EQ(Recorder.Events.mid(Recorder.Events.size() - 2), QStringList({u"end"_s, u"end"_s}));
}

TEST_F(QuestionDataTest, PendingMessagesRunBeforeTheStatementAndBetweenRows)
{
    Fixture.Build(TFixtureLayout::Published, Questions(3));
    QObject context;
    Data.SetOnViewBegin([&](TObject *) { Post(&context, [&] { Recorder.Events << u"message"_s; }); });
    Recorder.OnRow = [&](const TQuestionDataItem &) {
        if (Recorder.Rows.size() == 1) {
            Post(&context, [&] { Recorder.Events << u"click"_s; });
            QThread::msleep(20);
        }
    };
    Data.ShowData(1);
    ASSERT_EQ(Recorder.Events.size(), 6);
    EXPECT_EQ(Recorder.Events.at(0), u"message"_s);
    EXPECT_EQ(Recorder.Events.at(2), u"click"_s);
}

TEST_F(QuestionDataTest, MissingTableFailsTheListingButBothViewEventsFire)
{
    Fixture.Exec(u"CREATE TABLE Other (x)"_s);
    Data.FindData(u"abc"_s);
    EXPECT_EQ(Recorder.Events, QStringList({u"begin"_s, u"end"_s}));
    EXPECT_EQ(Fixture.LogLabels(), QStringList({u"TQuestionData.ShowData"_s}));
}

// Each operation with its failure value, and the labels it logs when the database cannot be reached.
struct TOperationCase {
    const char *Name;
    std::function<bool(TQuestionData &)> RunAndCheck; // true when the failure value came back
    QStringList Labels;
    bool Listing = false; // raises both view events all the same
};

const QString Connect = u"TQuestionData.GetConnectAdo"_s;

std::vector<TOperationCase> OperationCases()
{
    return {
        {"ShowData", [](TQuestionData &d) { d.ShowData(1); return d.DataCount() == 0; },
         {Connect, u"TQuestionData.GetNowDataCount"_s, Connect, u"TQuestionData.ShowData"_s}, true},
        {"ShowMyQuestion", [](TQuestionData &d) { d.ShowMyQuestion(u"a"_s, 2); return d.DataCount() == 0; },
         {Connect, u"TQuestionData.GetNowDataCount"_s, Connect, u"TQuestionData.ShowData"_s}, true},
        {"ShowTypeQuestion", [](TQuestionData &d) { d.ShowTypeQuestion(u"其他"_s, 1); return d.DataCount() == 0; },
         {Connect, u"TQuestionData.QTypeNameToId"_s, Connect, u"TQuestionData.GetNowDataCount"_s}},
        {"FindData", [](TQuestionData &d) { d.FindData(u"abc"_s); return d.SearchDataCount() == 0; },
         {Connect, u"TQuestionData.ShowData"_s}, true},
        {"LoadQType", [](TQuestionData &d) { d.LoadQType(); return true; }, {Connect, u"TQuestionData.LoadQType"_s}},
        {"QTypeIdToName", [](TQuestionData &d) { return d.QTypeIdToName(54) == u"未知分类"_s; },
         {Connect, u"TQuestionData.QTypeIdToName"_s}},
        {"QTypeNameToId", [](TQuestionData &d) { return d.QTypeNameToId(u"其他"_s) == 0; },
         {Connect, u"TQuestionData.QTypeNameToId"_s}},
        {"AddQuestion",
         [](TQuestionData &d) {
             int id = 3;
             return !d.AddQuestion(TProtocolPostQuestion(), id, false) && id == -1;
         },
         {Connect, u"TQuestionData.AddQuestion"_s}},
        {"UpdateQuestionState", [](TQuestionData &d) { return !d.UpdateQuestionState(1, 2, u"u"_s); },
         {Connect, u"TQuestionData.UpdateQuestionState"_s}},
    };
}

struct TBrokenLink {
    const char *Name;
    std::function<void(const TQuestionDataFixture &)> Break;
};

class QuestionDataBrokenLinkTest : public QuestionDataTest, public ::testing::WithParamInterface<TBrokenLink> {};

INSTANTIATE_TEST_SUITE_P(
    Links, QuestionDataBrokenLinkTest,
    ::testing::Values(
        TBrokenLink{"LinkFileMissing", [](const TQuestionDataFixture &f) { f.RemoveLink(); }},
        TBrokenLink{"ProviderNotSupported",
                    [](const TQuestionDataFixture &f) {
                        f.WriteLink("[oledb]\r\nProvider=Microsoft.Jet.OLEDB.4.0;Data Source=Data/DataFile.dat\r\n");
                    }},
        TBrokenLink{"DatabaseFileMissing", [](const TQuestionDataFixture &f) { QFile::remove(f.DataFile()); }}),
    [](const auto &info) { return std::string(info.param.Name); });

TEST_P(QuestionDataBrokenLinkTest, EveryOperationLogsTwiceAndReturnsItsFailureValue)
{
    for (const TOperationCase &operation : OperationCases()) {
        TQuestionDataFixture fixture; // a fresh log for each operation
        fixture.Build(TFixtureLayout::Published, Questions(3));
        GetParam().Break(fixture);
        TQuestionData data;
        TRecorder recorder;
        recorder.Attach(data);
        EXPECT_TRUE(operation.RunAndCheck(data)) << operation.Name;
        EXPECT_EQ(fixture.LogLabels(), operation.Labels) << operation.Name;
        const QStringList events = operation.Listing ? QStringList({u"begin"_s, u"end"_s}) : QStringList();
        EXPECT_EQ(recorder.Events, events) << operation.Name;
    }
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
