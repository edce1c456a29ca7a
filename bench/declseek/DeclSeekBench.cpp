// The unit finder over the Free Pascal source tree (bench/declseek/setup.sh installs it): the
// index build, a search per mode through the declaration index, and the LIKE scan it replaces.

#include "DataLink.h"
#include "UsesIndexUnit.h"

#include <QCoreApplication>
#include <QDirIterator>
#include <QFileInfo>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QVariant>

#include <benchmark/benchmark.h>

#include <memory>

using namespace Qt::StringLiterals;
using UsesIndex::TSearchType;

namespace {

const QString CorpusRoot = u"/usr/share/fpcsrc/3.2.2"_s;
const QStringList KeyWords{u"TStringList"_s, u"IntToStr"_s, u"FreeAndNil"_s,
                           u"TObject"_s,     u"Create"_s,   u"Exec"_s};

bool CorpusMissing(benchmark::State &state)
{
    if (QFileInfo(CorpusRoot).isDir())
        return false;
    state.SkipWithError("the Free Pascal source tree is absent: run bench/declseek/setup.sh");
    return true;
}

qint64 SqlNumber(QSqlDatabase &db, const QString &statement)
{
    QSqlQuery query(db);
    query.exec(statement);
    return query.next() ? query.value(0).toLongLong() : -1;
}

// One index over the whole tree, shared by the searches.
class TCorpusIndex {
public:
    TCorpusIndex()
    {
        QStringList files;
        UsesIndex::CollectFiles(CorpusRoot, u".pas"_s, files);
        Db = DataLink::OpenFile(Dir.filePath(u"Uses.dat"_s), u"bench-corpus"_s, true);
        UsesIndex::AddUnits(Db, files);
    }
    static std::unique_ptr<TCorpusIndex> &Instance()
    {
        static std::unique_ptr<TCorpusIndex> index;
        return index;
    }
    static TCorpusIndex &Get()
    {
        if (!Instance())
            Instance() = std::make_unique<TCorpusIndex>();
        return *Instance();
    }
    QTemporaryDir Dir;
    QSqlDatabase Db;
};

void BM_BuildIndex(benchmark::State &state)
{
    if (CorpusMissing(state))
        return;
    qint64 corpusBytes = 0;
    int units = 0;
    for (auto _ : state) {
        QTemporaryDir dir;
        const QString file = dir.filePath(u"Uses.dat"_s);
        {
            QStringList files;
            UsesIndex::CollectFiles(CorpusRoot, u".pas"_s, files);
            QSqlDatabase db = DataLink::OpenFile(file, u"bench-build"_s, true);
            const UsesIndex::TBuildResult result = UsesIndex::AddUnits(db, files);
            if (!result.Error.isEmpty())
                state.SkipWithError(qPrintable(result.Error));
            units = result.Units;
            state.PauseTiming();
            corpusBytes = 0;
            for (const QString &unit : files)
                corpusBytes += QFileInfo(unit).size();
            state.counters["corpus_MB"] = corpusBytes / 1e6;
            state.counters["index_file_MB"] = QFileInfo(file).size() / 1e6;
            state.counters["names_MB"] =
                SqlNumber(db, u"SELECT sum(pgsize) FROM dbstat WHERE name LIKE 'T_UsesDecl%'"_s) / 1e6;
            state.counters["names"] = SqlNumber(db, u"SELECT count(*) FROM T_UsesDecl"_s);
            state.ResumeTiming();
        }
        DataLink::Close(u"bench-build"_s);
    }
    state.counters["units"] = units;
}
BENCHMARK(BM_BuildIndex)->Unit(benchmark::kSecond)->Iterations(1)->UseRealTime();

using TSearchFunction = QStringList (*)(QSqlDatabase &, TSearchType, const QString &);

// One search per iteration with the mode and keyword the arguments name; the index's answer is
// checked against the scan's first.
template <TSearchFunction Searcher>
void TimeSearch(benchmark::State &state)
{
    static const char *const modes[] = {"全部", "类或记录", "函数", "过程"};
    if (CorpusMissing(state))
        return;
    QSqlDatabase &db = TCorpusIndex::Get().Db;
    const auto type = TSearchType(state.range(0));
    const QString keyWord = KeyWords[state.range(1)];
    const QStringList expected = UsesIndex::SearchByScan(db, type, keyWord);
    if (!UsesIndex::CanUseDeclarations(db, keyWord) || UsesIndex::Search(db, type, keyWord) != expected)
        state.SkipWithError("the index does not answer as the scan does");
    for (auto _ : state)
        benchmark::DoNotOptimize(Searcher(db, type, keyWord));
    state.counters["units"] = expected.size();
    state.SetLabel(std::string(modes[state.range(0)]) + " " + keyWord.toStdString());
}

void BM_Search(benchmark::State &state)
{
    TimeSearch<UsesIndex::Search>(state);
}
BENCHMARK(BM_Search)
    ->ArgsProduct({{0, 1, 2, 3}, {0, 1, 2, 3, 4, 5}})
    ->Unit(benchmark::kMillisecond)
    ->MinTime(0.2)
    ->Repetitions(3)
    ->ReportAggregatesOnly(true);

void BM_Scan(benchmark::State &state)
{
    TimeSearch<UsesIndex::SearchByScan>(state);
}
BENCHMARK(BM_Scan)
    ->ArgsProduct({{0, 1, 2, 3}, {0, 4}})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(3)
    ->ReportAggregatesOnly(true);

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    TCorpusIndex::Instance().reset();
    DataLink::Close(u"bench-corpus"_s);
    return 0;
}
