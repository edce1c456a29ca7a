// The question database on a file of 1,000,000 questions: each operation through TQuestionData,
// beside the same statements run straight through the sqlite3 library (the floor).
#include "QuestionDataGenerator.h"
#include "QuestionDataSchema.h"
#include "QuestionDataStatements.h"

#include "ProgramDir.h"
#include "ProtocolPostQuestionUnit.h"
#include "uQuestionData.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <memory>
#include <stdexcept>
#include <vector>

using namespace Qt::StringLiterals;
namespace Sql = QuestionDataStatements;
namespace Gen = QuestionDataGenerator;

namespace {

const QString Author = Gen::AuthorName(42);
constexpr int TypeId = ReferenceClassifications[3].Id;
const QString TypeName = QString::fromUtf16(ReferenceClassifications[3].Name);

// A program directory whose link file names one database file.
struct TProgramDir {
    QTemporaryDir Dir;
    QString DataFile;

    explicit TProgramDir(const QString &dataFile) : DataFile(dataFile)
    {
        QFile link(Dir.path() + u"/QuestionData.udl"_s);
        if (!link.open(QIODevice::WriteOnly))
            throw std::runtime_error("cannot write the link file");
        link.write("[oledb]\r\nProvider=SQLite;Data Source=" + dataFile.toUtf8() + "\r\n");
    }
    void Use() const { ProgramDir::SetOverride(Dir.path()); }
};

std::unique_ptr<TProgramDir> Indexed, Plain, Writable;

// TQuestionData with a handler that keeps the rows, as the main window's list does.
struct TListing {
    TQuestionData Data;
    std::vector<std::unique_ptr<TQuestionDataItem>> Rows;

    TListing()
    {
        Data.SetOnAddDataItem([this](TObject *, std::unique_ptr<TQuestionDataItem> item) { Rows.push_back(std::move(item)); });
    }
};

template <typename Run>
void Listing(benchmark::State &state, const TProgramDir &dir, Run run)
{
    dir.Use();
    TListing listing;
    size_t rows = 0;
    for (auto _ : state) {
        state.PauseTiming();
        listing.Rows.clear();
        state.ResumeTiming();
        run(listing.Data);
        rows = listing.Rows.size();
    }
    state.counters["rows"] = double(rows);
}

// --- the floor: the same statements through sqlite3, one connection per operation -----------------

class TFloor {
public:
    explicit TFloor(const TProgramDir &dir, int flags = SQLITE_OPEN_READONLY)
    {
        if (sqlite3_open_v2(dir.DataFile.toUtf8().constData(), &FDb, flags, nullptr) != SQLITE_OK)
            throw std::runtime_error(sqlite3_errmsg(FDb));
        Run(u"PRAGMA temp_store = MEMORY"_s, {});
    }
    ~TFloor() { sqlite3_close(FDb); }

    // Runs a statement and reads every column of every row; returns the number of rows.
    int Run(const QString &text, const QVariantMap &values)
    {
        sqlite3_stmt *statement = nullptr;
        if (sqlite3_prepare_v2(FDb, text.toUtf8().constData(), -1, &statement, nullptr) != SQLITE_OK)
            throw std::runtime_error(sqlite3_errmsg(FDb));
        for (auto it = values.cbegin(); it != values.cend(); ++it) {
            const int index = sqlite3_bind_parameter_index(statement, it.key().toUtf8().constData());
            if (it.value().typeId() == QMetaType::QString)
                sqlite3_bind_text(statement, index, it.value().toString().toUtf8().constData(), -1, SQLITE_TRANSIENT);
            else
                sqlite3_bind_int64(statement, index, it.value().toLongLong());
        }
        int rows = 0;
        int rc;
        while ((rc = sqlite3_step(statement)) == SQLITE_ROW) {
            for (int column = 0; column < sqlite3_column_count(statement); ++column)
                benchmark::DoNotOptimize(sqlite3_column_text(statement, column));
            ++rows;
        }
        sqlite3_finalize(statement);
        if (rc != SQLITE_DONE)
            throw std::runtime_error(sqlite3_errmsg(FDb));
        return rows;
    }

private:
    sqlite3 *FDb = nullptr;
};

template <typename Run>
void Floor(benchmark::State &state, const TProgramDir &dir, Run run)
{
    int rows = 0;
    for (auto _ : state) {
        TFloor floor(dir);
        rows = run(floor);
    }
    state.counters["rows"] = double(rows);
}

int FloorPage(TFloor &floor, Sql::TFilter filter, QVariantMap values, int page)
{
    floor.Run(Sql::CountFromTable(filter), values);
    values.insert(u":skip"_s, Sql::Skip(page));
    return floor.Run(Sql::Page(filter), values);
}

int FloorFind(TFloor &floor, const QString &keyword, bool titleIndex)
{
    const QVariantMap scan{{u":pattern"_s, Sql::TitlePattern(keyword)}};
    if (!titleIndex)
        return floor.Run(Sql::FindByScan(), scan);
    floor.Run(u"SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = 'T_LocalQuestionTitle'"_s, {});
    QVariantMap values = scan;
    values.insert(u":phrase"_s, Sql::TitlePhrase(keyword));
    return floor.Run(Sql::FindByTitleIndex(), values);
}

// --- the operations -------------------------------------------------------------------------------

void BM_ShowData_Page1(benchmark::State &state)
{
    Listing(state, *Indexed, [](TQuestionData &d) { d.ShowData(1); });
}
void BM_ShowData_Page1_Floor(benchmark::State &state)
{
    Floor(state, *Indexed, [](TFloor &f) { return FloorPage(f, Sql::TFilter::All, {}, 1); });
}
void BM_ShowData_Page5000(benchmark::State &state)
{
    Listing(state, *Indexed, [](TQuestionData &d) { d.ShowData(5000); });
}
void BM_ShowData_Page5000_Floor(benchmark::State &state)
{
    Floor(state, *Indexed, [](TFloor &f) { return FloorPage(f, Sql::TFilter::All, {}, 5000); });
}
void BM_ShowMyQuestion_Page2(benchmark::State &state)
{
    Listing(state, *Indexed, [](TQuestionData &d) { d.ShowMyQuestion(Author, 2); });
}
void BM_ShowMyQuestion_Page2_Floor(benchmark::State &state)
{
    Floor(state, *Indexed, [](TFloor &f) { return FloorPage(f, Sql::TFilter::User, {{u":user"_s, Author}}, 2); });
}
void BM_ShowTypeQuestion_Page1(benchmark::State &state)
{
    Listing(state, *Indexed, [](TQuestionData &d) { d.ShowTypeQuestion(TypeName, 1); });
}
void BM_ShowTypeQuestion_Page1_Floor(benchmark::State &state)
{
    Floor(state, *Indexed, [](TFloor &f) {
        f.Run(Sql::TypeNameToId(), {{u":name"_s, TypeName}});
        QVariantMap values{{u":typeId"_s, TypeId}};
        f.Run(Sql::CountFromTable(Sql::TFilter::Type), values);
        values.insert(u":typeName"_s, TypeName);
        values.insert(u":skip"_s, 0);
        return f.Run(Sql::Page(Sql::TFilter::Type), values);
    });
}
void BM_FindData_1pct(benchmark::State &state)
{
    Listing(state, *Indexed, [](TQuestionData &d) { d.FindData(Gen::KeywordOnePercent); });
}
void BM_FindData_1pct_Floor(benchmark::State &state)
{
    Floor(state, *Indexed, [](TFloor &f) { return FloorFind(f, Gen::KeywordOnePercent, true); });
}
void BM_FindData_10pct(benchmark::State &state)
{
    Listing(state, *Indexed, [](TQuestionData &d) { d.FindData(Gen::KeywordTenPercent); });
}
void BM_FindData_10pct_Floor(benchmark::State &state)
{
    Floor(state, *Indexed, [](TFloor &f) { return FloorFind(f, Gen::KeywordTenPercent, true); });
}

void FillQuestion(TProtocolPostQuestion &question)
{
    question.SetTitle(u"如何在 Delphi 中使用 TClientDataSet 排序"_s);
    question.SetClassification(TypeId);
    question.SetURL(u"new.html"_s);
    question.SetNickName(Author);
    question.SetDate(u"2030-01-01 00:00:00"_s);
    question.SetQuestionID(1);
}

void BM_AddQuestion(benchmark::State &state)
{
    Writable->Use();
    TQuestionData data;
    TProtocolPostQuestion question;
    FillQuestion(question);
    int id = 0;
    for (auto _ : state)
        if (!data.AddQuestion(question, id, true))
            state.SkipWithError("AddQuestion failed");
}
void BM_AddQuestion_Floor(benchmark::State &state)
{
    TProtocolPostQuestion q;
    FillQuestion(q);
    const QVariantMap values{{u":a"_s, q.Title()}, {u":b"_s, q.Classification()}, {u":c"_s, q.URL()},
                             {u":d"_s, q.NickName()}, {u":e"_s, q.Date()}, {u":f"_s, 1},
                             {u":g"_s, q.QuestionID()}};
    for (auto _ : state) {
        TFloor floor(*Writable, SQLITE_OPEN_READWRITE);
        floor.Run(Sql::Insert(), values);
    }
}

// The same on the two tables alone: slower, still correct.
void BM_NoIndex_ShowData_Page5000(benchmark::State &state)
{
    Listing(state, *Plain, [](TQuestionData &d) { d.ShowData(5000); });
}
void BM_NoIndex_ShowMyQuestion_Page2(benchmark::State &state)
{
    Listing(state, *Plain, [](TQuestionData &d) { d.ShowMyQuestion(Author, 2); });
}
void BM_NoIndex_FindData_1pct(benchmark::State &state)
{
    Listing(state, *Plain, [](TQuestionData &d) { d.FindData(Gen::KeywordOnePercent); });
}
void BM_NoIndex_FindData_1pct_Floor(benchmark::State &state)
{
    Floor(state, *Plain, [](TFloor &f) { return FloorFind(f, Gen::KeywordOnePercent, false); });
}

} // namespace

BENCHMARK(BM_ShowData_Page1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ShowData_Page1_Floor)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ShowData_Page5000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ShowData_Page5000_Floor)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ShowMyQuestion_Page2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ShowMyQuestion_Page2_Floor)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ShowTypeQuestion_Page1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ShowTypeQuestion_Page1_Floor)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FindData_1pct)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FindData_1pct_Floor)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FindData_10pct)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FindData_10pct_Floor)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AddQuestion)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AddQuestion_Floor)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_NoIndex_ShowData_Page5000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_NoIndex_ShowMyQuestion_Page2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_NoIndex_FindData_1pct)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_NoIndex_FindData_1pct_Floor)->Unit(benchmark::kMillisecond);

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    // Generated once beside the benchmark and reused; the written copy is made afresh each run.
    const QString dir = QCoreApplication::applicationDirPath() + u"/questiondata/"_s;
    QDir().mkpath(dir);
    Gen::EnsureGenerated(dir + u"indexed.dat"_s, {});
    Gen::EnsureGenerated(dir + u"plain.dat"_s, {.Indexes = false});
    QFile::remove(dir + u"written.dat"_s);
    QFile::copy(dir + u"indexed.dat"_s, dir + u"written.dat"_s);
    Indexed = std::make_unique<TProgramDir>(dir + u"indexed.dat"_s);
    Plain = std::make_unique<TProgramDir>(dir + u"plain.dat"_s);
    Writable = std::make_unique<TProgramDir>(dir + u"written.dat"_s);

    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    Indexed.reset();
    Plain.reset();
    Writable.reset();
    QFile::remove(dir + u"written.dat"_s);
    return 0;
}
