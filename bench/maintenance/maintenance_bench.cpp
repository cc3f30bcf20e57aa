// Adding and deleting runs of numbers through the commands, with the real
// label and gauge in a shown window, against plain SQLite doing the same rows.
#include "BenchCollection.h"
#include "BenchDialogs.h"
#include "CollectionCommands.h"
#include "Gauge.h"
#include "LabelGaugeProgress.h"
#include "TableFiles.h"
#include "TableView.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QEvent>
#include <QFile>
#include <QLabel>
#include <QTemporaryDir>

#include <sqlite3.h>

#include <functional>
#include <memory>

using namespace kvilbro;

namespace {

constexpr int AreaRows = 10000; // numbers 1 to 10 000 in the area "Stor"
constexpr int Added = 10000;
constexpr int BigArea = 1; // "Stor" is the second of three areas

const QStringList NumberOrder{QStringLiteral("Land"), QStringLiteral("Stamoplysning"), QStringLiteral("Nummer"),
                              QStringLiteral("Type"), QStringLiteral("Tæller")};

// Three areas: "Stor" with 10 000 numbers, two others with 1 000 each, their rows interleaved in the file.
void makeCollection(const QTemporaryDir& dir, int areaRows = AreaRows)
{
    tablefiles::create(dir.path());
    bench::fillLarge(dir.path(), 3, areaRows + 2000, areaRows, BigArea);
}

constexpr int ClearedRows = 50000;

class PaintCounter : public QObject {
public:
    int paints = 0;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            ++paints;
        return QObject::eventFilter(watched, event);
    }
};

// What the commands see of the main window: Table1 on "Stor", Table2 following
// it, and Label2 and Gauge1 in a shown window.
struct MainWindowStandIn {
    explicit MainWindowStandIn(const QString& dir)
        : db(dir), areas(db, TableId::Areas), numbers(db, TableId::Numbers, NumberOrder), label(&window),
          gauge(&window), progress(&window, &label, &gauge), commands(areas, numbers, dialogs, progress, {})
    {
        numbers.setMaster(&areas, {QStringLiteral("Land"), QStringLiteral("Stamoplysning")},
                          {QStringLiteral("National ID"), QStringLiteral("Beskrivelse")});
        areas.open();
        numbers.open();
        areas.moveToRow(BigArea);

        window.resize(950, 300);
        label.setObjectName(QStringLiteral("Label2"));
        label.move(265, 112);
        gauge.setObjectName(QStringLiteral("Gauge1"));
        gauge.setGeometry(265, 0, 669, 24);
        label.hide();
        gauge.hide();
        window.show();
        QCoreApplication::processEvents();
        gauge.installEventFilter(&counter);
    }

    Database db;
    TableView areas;
    TableView numbers;
    QWidget window;
    QLabel label;
    Gauge gauge;
    LabelGaugeProgress progress;
    bench::BenchDialogs dialogs;
    CollectionCommands commands;
    PaintCounter counter;
};

// Runs one command, answered by `answer`, on a fresh copy of the collection;
// only the command is timed. Gives the number of gauge repaints.
int runCommand(benchmark::State& state, void (CollectionCommands::*command)(), const QString& answer,
               const std::function<bool(MainWindowStandIn&)>& done, int areaRows = AreaRows)
{
    int paints = 0;
    for (auto _ : state) {
        state.PauseTiming();
        QTemporaryDir dir;
        makeCollection(dir, areaRows);
        auto w = std::make_unique<MainWindowStandIn>(dir.path());
        w->dialogs.answerInput(answer);
        state.ResumeTiming();

        (w->commands.*command)();

        state.PauseTiming();
        if (!done(*w) || w->gauge.isVisible())
            state.SkipWithError("wrong result");
        paints = w->counter.paints;
        w.reset();
        state.ResumeTiming();
    }
    return paints;
}

// "&Numre" with the answer 10000 on an area of 10 000 numbers.
void BM_AddNumbersCommand(benchmark::State& state)
{
    const int paints =
        runCommand(state, &CollectionCommands::addNumbers, QString::number(Added), [](MainWindowStandIn& w) {
            return w.numbers.recordCount() == AreaRows + Added && w.numbers.asInteger(u"Nummer") == AreaRows + Added &&
                   w.gauge.percent() == 100;
        });
    state.counters["posts"] = Added;
    state.counters["gauge_paints"] = paints;
}

// The floor: the same 10 000 rows into the same file by plain prepared INSERTs, one transaction each.
void BM_AddPlainSqliteFloor(benchmark::State& state)
{
    for (auto _ : state) {
        state.PauseTiming();
        QTemporaryDir dir;
        makeCollection(dir);
        sqlite3* db = bench::openLikeStore(dir.path());
        state.ResumeTiming();
        if (!bench::insertPlainRows(db, "A1", "Stor", AreaRows + 1, Added))
            state.SkipWithError("insert failed");
        state.PauseTiming();
        sqlite3_close(db);
        state.ResumeTiming();
    }
    state.counters["posts"] = Added;
}

// "&Slet samleområde" on the area of 10 000 numbers.
void BM_DeleteAreaCommand(benchmark::State& state)
{
    const int paints =
        runCommand(state, &CollectionCommands::deleteArea, QStringLiteral("SLET"),
                   [](MainWindowStandIn& w) { return w.areas.recordCount() == 2 && w.numbers.recordCount() == 1000; });
    state.counters["deletes"] = AreaRows;
    state.counters["gauge_paints"] = paints;
}

// The floor: the same rows deleted by plain prepared DELETEs by row id, one transaction each.
void BM_DeletePlainSqliteFloor(benchmark::State& state)
{
    for (auto _ : state) {
        state.PauseTiming();
        QTemporaryDir dir;
        makeCollection(dir);
        sqlite3* db = bench::openLikeStore(dir.path());
        QList<qint64> ids;
        sqlite3_stmt* stmt = nullptr;
        sqlite3_prepare_v2(db, "SELECT \"Tæller\" FROM main.stm2manc WHERE Land='A1' AND Stamoplysning='Stor'", -1,
                           &stmt, nullptr);
        while (sqlite3_step(stmt) == SQLITE_ROW)
            ids << sqlite3_column_int64(stmt, 0);
        sqlite3_finalize(stmt);
        sqlite3_prepare_v3(db, "DELETE FROM main.stm2manc WHERE \"Tæller\"=?1", -1, SQLITE_PREPARE_PERSISTENT, &stmt,
                           nullptr);
        state.ResumeTiming();
        for (qint64 id : std::as_const(ids)) {
            sqlite3_bind_int64(stmt, 1, id);
            if (sqlite3_step(stmt) != SQLITE_DONE)
                state.SkipWithError("delete failed");
            sqlite3_reset(stmt);
        }
        state.PauseTiming();
        sqlite3_finalize(stmt);
        sqlite3_close(db);
        state.ResumeTiming();
    }
    state.counters["deletes"] = AreaRows;
}

// "Slet afkr&ydsning" on an area of 50 000 numbers: each row edited and posted on its own.
void BM_ClearMarksCommand(benchmark::State& state)
{
    runCommand(
        state, &CollectionCommands::clearMarks, QStringLiteral("SLET"),
        [](MainWindowStandIn& w) { return w.numbers.recordCount() == ClearedRows && w.numbers.asText(u"O").isEmpty(); },
        ClearedRows);
    state.counters["posts"] = ClearedRows;
}

// The floor: the same rows by single-row UPDATEs by row id, one transaction each.
void BM_ClearMarksPlainSqliteFloor(benchmark::State& state)
{
    for (auto _ : state) {
        state.PauseTiming();
        QTemporaryDir dir;
        makeCollection(dir, ClearedRows);
        sqlite3* db = bench::openLikeStore(dir.path());
        QList<qint64> ids;
        sqlite3_stmt* stmt = nullptr;
        sqlite3_prepare_v2(db,
                           "SELECT \"Tæller\" FROM main.stm2manc WHERE Land='A1' AND Stamoplysning='Stor' "
                           "ORDER BY Nummer, Type, \"Tæller\"",
                           -1, &stmt, nullptr);
        while (sqlite3_step(stmt) == SQLITE_ROW)
            ids << sqlite3_column_int64(stmt, 0);
        sqlite3_finalize(stmt);
        sqlite3_prepare_v3(db, "UPDATE main.stm2manc SET O=NULL, \"***\"=NULL, \"*\"=NULL WHERE \"Tæller\"=?1", -1,
                           SQLITE_PREPARE_PERSISTENT, &stmt, nullptr);
        state.ResumeTiming();
        for (qint64 id : std::as_const(ids)) {
            sqlite3_bind_int64(stmt, 1, id);
            if (sqlite3_step(stmt) != SQLITE_DONE)
                state.SkipWithError("update failed");
            sqlite3_reset(stmt);
        }
        state.PauseTiming();
        sqlite3_finalize(stmt);
        sqlite3_close(db);
        state.ResumeTiming();
    }
    state.counters["posts"] = ClearedRows;
}

} // namespace

BENCHMARK(BM_ClearMarksCommand)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(BM_ClearMarksPlainSqliteFloor)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(BM_AddNumbersCommand)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_AddPlainSqliteFloor)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_DeleteAreaCommand)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_DeletePlainSqliteFloor)->Unit(benchmark::kMillisecond)->Iterations(3);

int main(int argc, char** argv)
{
    // The gauge needs a window; without a display, draw off screen.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY") &&
        qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
