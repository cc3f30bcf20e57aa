// A backup of a 500 000-number collection against its floor: the sqlite3
// shell's .backup of the same three files plus sha256sum of the copies.
#include "BenchCollection.h"
#include "CollectionBackup.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QDir>
#include <QProcess>
#include <QTemporaryDir>

using namespace kvilbro;

namespace {

void BM_BackupOfHalfAMillionNumbers(benchmark::State& state)
{
    const QString dir = bench::halfMillionNumbers();
    QTemporaryDir out;
    QDateTime when(QDate(2026, 12, 10), QTime(12, 0));
    for (auto _ : state) {
        const backup::Made made = backup::make(dir, out.path(), 1000, false, when);
        when = when.addSecs(1);
        state.PauseTiming();
        QDir(made.folder).removeRecursively();
        state.ResumeTiming();
    }
}

bool run(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.start(program, arguments);
    return process.waitForFinished(-1) && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

void BM_FloorSqliteShellBackupAndSha256sum(benchmark::State& state)
{
    const QString dir = bench::halfMillionNumbers();
    QTemporaryDir out;
    const QStringList files{QStringLiteral("stm2frim.db"), QStringLiteral("stm2manc.DB"), QStringLiteral("Bruger2.db")};
    for (auto _ : state) {
        QStringList copies;
        for (const QString& file : files) {
            const QString copy = out.filePath(file);
            if (!run(QStringLiteral("sqlite3"), {QDir(dir).filePath(file), QStringLiteral(".backup '%1'").arg(copy)}))
                state.SkipWithError("sqlite3 .backup failed");
            copies << copy;
        }
        if (!run(QStringLiteral("sha256sum"), copies))
            state.SkipWithError("sha256sum failed");
        state.PauseTiming();
        for (const QString& copy : std::as_const(copies))
            QFile::remove(copy);
        state.ResumeTiming();
    }
}

} // namespace

BENCHMARK(BM_BackupOfHalfAMillionNumbers)->Unit(benchmark::kMillisecond)->MinTime(3);
BENCHMARK(BM_FloorSqliteShellBackupAndSha256sum)->Unit(benchmark::kMillisecond)->MinTime(3);

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
