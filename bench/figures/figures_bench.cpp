// kvilbro-tables stats, wants and match on a 500 000-number collection of
// 1 000 areas, against the floor of the same grouped query in plain SQLite.
#include "BenchCollection.h"
#include "CollectionFigures.h"
#include "Database.h"
#include "FigureCommands.h"

#include <benchmark/benchmark.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTextStream>

#include <sqlite3.h>

using namespace kvilbro;

namespace {

// An offer of 10 000 lines over the numbers of every area, made once.
QString offerFile()
{
    static QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("offer.csv"));
    if (!QFile::exists(path)) {
        QFile offer(path);
        offer.open(QIODevice::WriteOnly);
        offer.write("Nr;Type;Stand;Pris\n");
        for (int i = 0; i < 10000; ++i)
            offer.write(QByteArray::number(i % 600 + 1) + (i % 10 == 0 ? ";a;" : ";;") + (i % 3 ? "O" : "**") +
                        ";2,50\n");
    }
    return path;
}

void runCommand(benchmark::State& state, int (*command)(const QStringList&, QTextStream&, QTextStream&),
                const QStringList& arguments)
{
    for (auto _ : state) {
        QString out, err;
        QTextStream outStream(&out), errStream(&err);
        if (command(arguments, outStream, errStream) != 0)
            state.SkipWithError(qPrintable(err));
        outStream.flush();
        benchmark::DoNotOptimize(out.size());
    }
}

// The whole command: the read-only open with the store's checks of the files,
// the grouped query and the table.
void BM_StatsCommand(benchmark::State& state)
{
    runCommand(state, figures::runStatsCommand, {bench::halfMillionNumbers()});
}

void BM_StatsOnOpenCollection(benchmark::State& state)
{
    Database db(bench::halfMillionNumbers(), Database::Access::ReadOnly);
    for (auto _ : state) {
        const figures::Snapshot snapshot(db);
        benchmark::DoNotOptimize(figures::tally(db).total.numbers);
    }
}

// Plain SQLite on the numbers file alone, with the store's page cache.
void runPlain(benchmark::State& state, const char* sql)
{
    sqlite3* db = nullptr;
    sqlite3_open_v2(
        QFile::encodeName(QDir(bench::halfMillionNumbers()).filePath(QStringLiteral("stm2manc.DB"))).constData(), &db,
        SQLITE_OPEN_READONLY, nullptr);
    sqlite3_exec(db, "PRAGMA cache_size=-32768", nullptr, nullptr, nullptr);
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(db, sql, -1, &stmt, nullptr) != SQLITE_OK)
        state.SkipWithError(sqlite3_errmsg(db));
    for (auto _ : state) {
        qint64 total = 0;
        while (sqlite3_step(stmt) == SQLITE_ROW)
            total += sqlite3_column_int64(stmt, 0);
        sqlite3_reset(stmt);
        benchmark::DoNotOptimize(total);
    }
    sqlite3_finalize(stmt);
    sqlite3_close(db);
}

// The same figures as one GROUP BY, as the engine plans it.
void BM_FloorGroupByInSqlite(benchmark::State& state)
{
    runPlain(state, "SELECT count(*), Land, Stamoplysning, sum(coalesce(O,'')<>''), sum(coalesce(\"***\",'')<>''), "
                    "sum(coalesce(\"*\",'')<>'') FROM stm2manc GROUP BY 2, 3");
}

// Below any grouping: the three marks summed over the whole table.
void BM_FloorBareScan(benchmark::State& state)
{
    runPlain(state, "SELECT sum(coalesce(O,'')<>''), sum(coalesce(\"***\",'')<>''), sum(coalesce(\"*\",'')<>'') "
                    "FROM stm2manc");
}

void BM_WantsCommandEveryArea(benchmark::State& state)
{
    runCommand(state, figures::runWantsCommand,
               {bench::halfMillionNumbers(), QStringLiteral("--condition"), QStringLiteral("used")});
}

void BM_WantsCommandOneArea(benchmark::State& state)
{
    runCommand(state, figures::runWantsCommand,
               {bench::halfMillionNumbers(), QStringLiteral("--condition"), QStringLiteral("used"),
                QStringLiteral("--area-name"), QStringLiteral("Stor")});
}

void BM_MatchCommandTenThousandLines(benchmark::State& state)
{
    runCommand(state, figures::runMatchCommand,
               {offerFile(), bench::halfMillionNumbers(), QStringLiteral("--condition"), QStringLiteral("used")});
}

} // namespace

BENCHMARK(BM_StatsCommand)->Unit(benchmark::kMillisecond)->MinTime(2);
BENCHMARK(BM_StatsOnOpenCollection)->Unit(benchmark::kMillisecond)->MinTime(2);
BENCHMARK(BM_FloorGroupByInSqlite)->Unit(benchmark::kMillisecond)->MinTime(2);
BENCHMARK(BM_FloorBareScan)->Unit(benchmark::kMillisecond)->MinTime(2);
BENCHMARK(BM_WantsCommandEveryArea)->Unit(benchmark::kMillisecond)->MinTime(2);
BENCHMARK(BM_WantsCommandOneArea)->Unit(benchmark::kMillisecond)->MinTime(2);
BENCHMARK(BM_MatchCommandTenThousandLines)->Unit(benchmark::kMillisecond)->MinTime(2);

BENCHMARK_MAIN();
