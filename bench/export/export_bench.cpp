// The CSV export of a large area against the floor of reading the same rows
// with one SELECT and writing the same bytes with fwrite.
#include "BenchCollection.h"
#include "BenchDialogs.h"
#include "CollectionViews.h"
#include "CsvExport.h"
#include "TableFiles.h"
#include "TableView.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <sqlite3.h>

#include <cstdio>
#include <cstring>

using namespace kvilbro;

namespace {

constexpr int AreaRows = 100000;

// 100 areas of 500 numbers around one of 100 000, their rows interleaved in the file.
struct ExportCollection {
    ExportCollection()
    {
        path = dir.path();
        tablefiles::create(path);
        tablefiles::writeCollector(path,
                                   {QStringLiteral("Samleren"), QStringLiteral("Vejen 1"), QStringLiteral("1234 Byen"),
                                    QStringLiteral("12345678"), QString(), QStringLiteral("2026-12-10")});
        bench::fillLarge(path, 101, AreaRows + 100 * 500, AreaRows, 50);
    }
    static const ExportCollection& get()
    {
        static const ExportCollection collection;
        return collection;
    }
    QTemporaryDir dir;
    QString path;
    QString output() const { return QDir(path).filePath(QStringLiteral("liste.csv")); }
};

class SaveTo : public bench::BenchDialogs {
public:
    explicit SaveTo(QString path) : path_(std::move(path)) {}
    QString saveFile(const FileDialogOptions&) override { return path_; }

private:
    QString path_;
};

// The main window's views on the big area, as the command finds them.
struct Window {
    explicit Window(const QString& dir)
        : db(dir), views(db, CollectionWindow::MainWindow), dialogs(ExportCollection::get().output()),
          csv(views.areas(), views.numbers(), views.collector(), dialogs, [] { return false; })
    {
        views.areas().moveToRow(50);
    }
    Database db;
    CollectionViews views;
    SaveTo dialogs;
    CsvExport csv;
};

void BM_ExportCommand(benchmark::State& state)
{
    const ExportCollection& c = ExportCollection::get();
    qint64 bytes = 0;
    for (auto _ : state) {
        state.PauseTiming();
        Window w(c.path);
        w.dialogs.answerInput(QStringLiteral(";"));
        w.dialogs.answerInput(QStringLiteral("8"));
        state.ResumeTiming();

        w.csv.run(Condition::Used);

        state.PauseTiming();
        bytes = QFileInfo(c.output()).size();
        if (w.dialogs.shownMessages != QStringList{QStringLiteral("Finish exporting to file")} ||
            w.views.numbers().currentRow() != AreaRows - 1)
            state.SkipWithError("export failed");
        state.ResumeTiming();
    }
    state.counters["bytes"] = double(bytes);
}

// One SELECT of the area's rows in the view's order, the same bytes by fwrite.
void BM_SelectAndFwriteFloor(benchmark::State& state)
{
    const ExportCollection& c = ExportCollection::get();
    qint64 bytes = 0;
    for (auto _ : state) {
        state.PauseTiming();
        sqlite3* db = bench::openLikeStore(c.path);
        state.ResumeTiming();

        FILE* out = std::fopen(QFile::encodeName(c.output()).constData(), "wb");
        std::fputs("Samleren\r\nVejen 1\r\n1234 Byen\r\n12345678\r\n\r\n--\r\nStor brugte m\xe6rker\r\n", out);
        for (int i = 0; i < 8; ++i)
            std::fputs("Nummer;Type;Afkryds;", out);
        std::fputs("\r\n", out);
        sqlite3_stmt* stmt = nullptr;
        sqlite3_prepare_v2(db,
                           "SELECT Nummer, Type, O FROM main.stm2manc WHERE Land='A50' AND Stamoplysning='Stor' "
                           "ORDER BY Land, Stamoplysning, Nummer, Type, \"Tæller\"",
                           -1, &stmt, nullptr);
        int counter = 1;
        char line[256];
        while (sqlite3_step(stmt) == SQLITE_ROW) {
            const char* type = reinterpret_cast<const char*>(sqlite3_column_text(stmt, 1));
            const char* mark = reinterpret_cast<const char*>(sqlite3_column_text(stmt, 2));
            const int n = std::snprintf(line, sizeof line, "%d;%s;%s;", sqlite3_column_int(stmt, 0), type ? type : "",
                                        mark ? mark : "");
            std::fwrite(line, 1, size_t(n), out);
            if (++counter == 9) {
                std::fwrite("\r\n", 1, 2, out);
                counter = 1;
            }
        }
        sqlite3_finalize(stmt);
        std::fclose(out);

        state.PauseTiming();
        sqlite3_close(db);
        bytes = QFileInfo(c.output()).size();
        state.ResumeTiming();
    }
    state.counters["bytes"] = double(bytes);
}

} // namespace

BENCHMARK(BM_ExportCommand)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_SelectAndFwriteFloor)->Unit(benchmark::kMillisecond)->Iterations(5);

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
