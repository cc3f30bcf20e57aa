// Table engine speed and memory against plain SQLite.
#include "BenchCollection.h"
#include "Error.h"
#include "TableFiles.h"
#include "TableView.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <sqlite3.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>

using namespace kvilbro;

namespace {

constexpr int PostCount = 10000;

const QStringList LinkFields{QStringLiteral("Land"), QStringLiteral("Stamoplysning")};
const QStringList AreaFields{QStringLiteral("National ID"), QStringLiteral("Beskrivelse")};
const QStringList MainOrder{QStringLiteral("Land"), QStringLiteral("Stamoplysning"), QStringLiteral("Nummer"),
                            QStringLiteral("Type"), QStringLiteral("Tæller")};

struct MainViews {
    explicit MainViews(const QString& dir)
        : db(dir), areas(db, TableId::Areas), numbers(db, TableId::Numbers, MainOrder),
          collector(db, TableId::Collector)
    {
        numbers.setMaster(&areas, LinkFields, AreaFields);
        areas.open();
        numbers.open();
        collector.open();
    }
    Database db;
    TableView areas;
    TableView numbers;
    TableView collector;
};

QString emptyCollectionWithOneArea(QTemporaryDir& dir)
{
    tablefiles::create(dir.path());
    sqlite3* db = nullptr;
    sqlite3_open(QFile::encodeName(dir.filePath(QStringLiteral("stm2frim.db"))).constData(), &db);
    sqlite3_exec(db, "INSERT INTO stm2frim (\"National ID\",Beskrivelse) VALUES ('DK','Danmark')", nullptr, nullptr,
                 nullptr);
    sqlite3_close(db);
    return dir.path();
}

// 10 000 new numbers, each posted on its own through the main window's linked view.
void BM_PostThroughLinkedView(benchmark::State& state)
{
    for (auto _ : state) {
        state.PauseTiming();
        QTemporaryDir dir;
        MainViews v(emptyCollectionWithOneArea(dir));
        const int nummer = v.numbers.fieldIndex(u"Nummer");
        const int type = v.numbers.fieldIndex(u"Type");
        state.ResumeTiming();
        for (int i = 1; i <= PostCount; ++i) {
            v.numbers.append();
            v.numbers.setInteger(nummer, i);
            v.numbers.setText(type, QString());
            v.numbers.post();
        }
        state.PauseTiming();
        if (v.numbers.recordCount() != PostCount)
            state.SkipWithError("rows missing");
        state.ResumeTiming();
    }
    state.counters["posts"] = PostCount;
}

// The floor: the same rows by plain prepared INSERTs, one transaction each,
// on a connection set up as the store sets up its own.
void BM_PostPlainSqliteFloor(benchmark::State& state)
{
    for (auto _ : state) {
        state.PauseTiming();
        QTemporaryDir dir;
        emptyCollectionWithOneArea(dir);
        sqlite3* db = bench::openLikeStore(dir.path());
        state.ResumeTiming();
        if (!bench::insertPlainRows(db, "DK", "Danmark", 1, PostCount))
            state.SkipWithError("insert failed");
        state.PauseTiming();
        sqlite3_close(db);
        state.ResumeTiming();
    }
    state.counters["posts"] = PostCount;
}

// Move the areas view from a small area to the one of 5 000 numbers and read its first row.
void BM_MoveToLargeArea(benchmark::State& state)
{
    const auto& big = bench::LargeCollection::get();
    MainViews v(big.path);
    qint64 sum = 0;
    for (auto _ : state) {
        state.PauseTiming();
        v.areas.moveToRow(big.bigAreaIndex + 1);
        state.ResumeTiming();
        v.areas.moveToRow(big.bigAreaIndex);
        for (int f = 0; f < v.numbers.table().fields.size(); ++f)
            sum += v.numbers.asText(f).size();
    }
    benchmark::DoNotOptimize(sum);
    if (v.numbers.recordCount() != big.bigAreaCount)
        state.SkipWithError("wrong area");
}

// Walk the 5 000 numbers first to end, reading every field by name.
void BM_WalkLargeArea(benchmark::State& state)
{
    const auto& big = bench::LargeCollection::get();
    MainViews v(big.path);
    v.areas.moveToRow(big.bigAreaIndex);
    QStringList names;
    for (const FieldDef& f : v.numbers.table().fields)
        names << f.name;
    qint64 sum = 0;
    int rows = 0;
    for (auto _ : state) {
        state.PauseTiming();
        v.numbers.refresh(); // nothing cached from the walk before
        rows = 0;
        state.ResumeTiming();
        for (v.numbers.first(); !v.numbers.eof(); v.numbers.next()) {
            for (const QString& name : std::as_const(names))
                sum += v.numbers.asText(name).size();
            ++rows;
        }
    }
    benchmark::DoNotOptimize(sum);
    if (rows != big.bigAreaCount)
        state.SkipWithError("wrong row count");
    state.counters["rows"] = rows;
}

// Locate a number among the 5 000, as search by number does.
void BM_LocateNumber(benchmark::State& state)
{
    const auto& big = bench::LargeCollection::get();
    MainViews v(big.path);
    v.areas.moveToRow(big.bigAreaIndex);
    QRandomGenerator random(7);
    const QStringList nummer{QStringLiteral("Nummer")};
    for (auto _ : state) {
        const QString wanted = QString::number(random.bounded(1, big.bigAreaCount + 1));
        if (!v.numbers.locate(nummer, {wanted}, true) || v.numbers.asText(u"Nummer") != wanted)
            state.SkipWithError("not found");
    }
}

// Peak memory of a process that opens the main window's three views on the
// large collection and walks the large area; measured in a child process.
int peakMemoryChild(const char* dir)
{
    MainViews v(QString::fromLocal8Bit(dir));
    v.areas.moveToRow(bench::LargeCollection::get().bigAreaIndex);
    qint64 sum = 0;
    for (v.numbers.first(); !v.numbers.eof(); v.numbers.next())
        sum += v.numbers.asText(u"Bemærkning").size();
    for (v.areas.first(); !v.areas.eof(); v.areas.next())
        sum += v.numbers.recordCount();
    return sum > 0 ? 0 : 1;
}

const char* selfPath;

void BM_PeakMemoryThreeViews(benchmark::State& state)
{
    const auto& big = bench::LargeCollection::get();
    long peakKb = 0;
    for (auto _ : state) {
        const pid_t pid = fork();
        if (pid == 0) {
            const QByteArray dir = QFile::encodeName(big.path);
            execl(selfPath, selfPath, "--peak-memory-child", dir.constData(), static_cast<char*>(nullptr));
            _exit(3);
        }
        int status = 0;
        rusage usage{};
        wait4(pid, &status, 0, &usage);
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
            state.SkipWithError("child failed");
        peakKb = usage.ru_maxrss;
    }
    state.counters["peak_MB"] = double(peakKb) / 1024.0;
}

} // namespace

// Opening a collection of 500 000 numbers, warm: every file checked for
// damage (quick_check) and for anything that could run, before use.
struct HalfMillion {
    HalfMillion()
    {
        tablefiles::create(dir.path());
        bench::fillLarge(dir.path(), 1000, 500000, 5000, 500);
    }
    static const HalfMillion& get()
    {
        static const HalfMillion collection;
        return collection;
    }
    QTemporaryDir dir;
};

void BM_OpenCheckedHalfMillion(benchmark::State& state)
{
    const QString path = HalfMillion::get().dir.path();
    {
        Database warm(path);
    }
    for (auto _ : state) {
        Database db(path);
        benchmark::DoNotOptimize(db.isReadOnly());
    }
}

// The check alone, as the table tool's plain connection runs it.
void BM_QuickCheckHalfMillion(benchmark::State& state)
{
    const QString path = HalfMillion::get().dir.path();
    sqlite3* db = bench::openLikeStore(path);
    for (auto _ : state) {
        for (const char* schema : {"main", "frim", "bruger"}) {
            const QByteArray sql = QByteArray("PRAGMA ") + schema + ".quick_check";
            sqlite3_exec(db, sql.constData(), nullptr, nullptr, nullptr);
        }
    }
    sqlite3_close(db);
}

BENCHMARK(BM_OpenCheckedHalfMillion)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_QuickCheckHalfMillion)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_PostThroughLinkedView)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_PostPlainSqliteFloor)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_MoveToLargeArea)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WalkLargeArea)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LocateNumber)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PeakMemoryThreeViews)->Unit(benchmark::kMillisecond)->Iterations(1);

int main(int argc, char** argv)
{
    if (argc == 3 && std::strcmp(argv[1], "--peak-memory-child") == 0) {
        QCoreApplication app(argc, argv);
        return peakMemoryChild(argv[2]);
    }
    selfPath = argv[0];
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
