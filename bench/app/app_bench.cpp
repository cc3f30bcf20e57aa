// Start-up and the numbers grid on large collections.
#include "BenchCollection.h"
#include "BenchDialogs.h"
#include "DBGrid.h"
#include "Dialogs.h"
#include "ErrorGuard.h"
#include "KvilbroApplication.h"
#include "Program.h"
#include "TForm2.h"
#include "TableFiles.h"
#include "TableView.h"

#include <benchmark/benchmark.h>

#include <QAction>
#include <QDir>
#include <QHeaderView>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include <sqlite3.h>

using namespace kvilbro;

namespace {

// From nothing to the main window shown on 1 000 areas and 200 000 numbers.
void BM_StartUpToWindowShown(benchmark::State& state)
{
    const auto& big = bench::LargeCollection::get();
    const QString before = QDir::currentPath();
    QDir::setCurrent(big.path);
    bench::BenchDialogs dialogs;
    ErrorGuard::setDialogs(&dialogs);
    for (auto _ : state) {
        Program program(dialogs);
        if (!program.start() || !QTest::qWaitForWindowExposed(program.mainWindow()))
            state.SkipWithError("did not start");
        state.PauseTiming();
        program.mainWindow()->hide();
        state.ResumeTiming();
    }
    // The large collection has no start picture: one message per start, nothing else.
    if (dialogs.shownMessages.size() > state.iterations())
        state.SkipWithError("a dialog was shown");
    ErrorGuard::setDialogs(nullptr);
    QDir::setCurrent(before);
}

struct HugeArea {
    HugeArea()
    {
        tablefiles::create(dir.path());
        bench::fillLarge(dir.path(), 2, 101000, 100000, 0);
    }
    QTemporaryDir dir;
};

// Jump to the middle of an area of 100 000 numbers and read what one screen of
// the numbers grid shows.
void BM_ScreenOfNumbersAfterJump(benchmark::State& state)
{
    static HugeArea huge;
    const QString before = QDir::currentPath();
    QDir::setCurrent(huge.dir.path());
    bench::BenchDialogs dialogs;
    ErrorGuard::setDialogs(&dialogs);
    Program program(dialogs);
    program.start();
    TForm2& w = *program.mainWindow();
    if (!QTest::qWaitForWindowExposed(&w))
        state.SkipWithError("not shown");
    dialogs.shownMessages.clear(); // this collection has no start picture
    const int rows = w.Table2->rowCount();
    const int screen = w.DBGrid2->viewport()->height() / w.DBGrid2->verticalHeader()->defaultSectionSize() + 1;
    QAbstractItemModel* model = w.DBGrid2->model();
    QRandomGenerator random(3);
    qint64 chars = 0;
    for (auto _ : state) {
        // A different place each time, so nothing read before is reused.
        const int target = rows / 4 + int(random.bounded(rows / 2));
        w.Table2->moveToRow(target);
        for (int r = target; r < target + screen; ++r) {
            for (int c = 0; c < model->columnCount(); ++c)
                chars += model->data(model->index(r, c), Qt::DisplayRole).toString().size();
        }
    }
    benchmark::DoNotOptimize(chars);
    state.counters["rows"] = rows;
    state.counters["screen_rows"] = screen;
    if (rows != 100000 || !dialogs.shownMessages.isEmpty())
        state.SkipWithError("wrong area");
    ErrorGuard::setDialogs(nullptr);
    QDir::setCurrent(before);
}

// A collection whose first area holds 10 000 numbers, for the long commands.
QString tenThousand(QTemporaryDir& dir)
{
    tablefiles::create(dir.path());
    bench::fillLarge(dir.path(), 3, 12000, 10000, 0);
    return dir.path();
}

// Runs one menu command, answered by `answer`, in the real main window (grid,
// gauge and all) on a fresh copy of that collection; only the command is timed.
void runInMainWindow(benchmark::State& state, const char* handler, const QString& answer,
                     const std::function<bool(TForm2&)>& done)
{
    const QString before = QDir::currentPath();
    for (auto _ : state) {
        state.PauseTiming();
        QTemporaryDir dir;
        QDir::setCurrent(tenThousand(dir));
        bench::BenchDialogs dialogs;
        ErrorGuard::setDialogs(&dialogs);
        auto program = std::make_unique<Program>(dialogs);
        program->start();
        TForm2& w = *program->mainWindow();
        if (!QTest::qWaitForWindowExposed(&w))
            state.SkipWithError("not shown");
        dialogs.answerInput(answer);
        dialogs.shownMessages.clear(); // this collection has no start picture
        state.ResumeTiming();
        w.menuAction(QString::fromLatin1(handler))->trigger();
        state.PauseTiming();
        if (!done(w) || !dialogs.shownMessages.isEmpty())
            state.SkipWithError("wrong result");
        program.reset();
        ErrorGuard::setDialogs(nullptr);
        QDir::setCurrent(before);
        state.ResumeTiming();
    }
}

// "&Numre" with 10 000 on that area.
void BM_AddNumbersInMainWindow(benchmark::State& state)
{
    runInMainWindow(state, "Numre1Click", QStringLiteral("10000"),
                    [](TForm2& w) { return w.Table2->recordCount() == 20000; });
}

// The floor for the two above, in the same run: the same 10 000 rows into the
// same collection by plain prepared INSERTs, one transaction each.
void BM_AddPlainSqliteFloor(benchmark::State& state)
{
    for (auto _ : state) {
        state.PauseTiming();
        QTemporaryDir dir;
        sqlite3* db = bench::openLikeStore(tenThousand(dir));
        state.ResumeTiming();
        if (!bench::insertPlainRows(db, "A0", "Stor", 10001, 10000))
            state.SkipWithError("insert failed");
        state.PauseTiming();
        sqlite3_close(db);
        state.ResumeTiming();
    }
}

// "&Slet samleområde" on the area of 10 000 numbers.
void BM_DeleteAreaInMainWindow(benchmark::State& state)
{
    runInMainWindow(state, "Sletsamleomrde1Click", QStringLiteral("SLET"),
                    [](TForm2& w) { return w.Table1->recordCount() == 2; });
}

} // namespace

BENCHMARK(BM_AddNumbersInMainWindow)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_AddPlainSqliteFloor)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_DeleteAreaInMainWindow)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_StartUpToWindowShown)->Unit(benchmark::kMillisecond)->Iterations(10);
BENCHMARK(BM_ScreenOfNumbersAfterJump)->Unit(benchmark::kMicrosecond);

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM",
            qgetenv("QT_QPA_PLATFORM").isEmpty() ? QByteArray("offscreen") : qgetenv("QT_QPA_PLATFORM"));
    KvilbroApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
