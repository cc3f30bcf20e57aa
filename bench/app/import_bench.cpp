// The mass picture import in the running program (main grid shown) against
// plain SQLite doing the same 10 000 single-row updates, and how soon the
// file list of a folder of 10 000 pictures is filled.
#include "BenchCollection.h"
#include "BenchDialogs.h"
#include "CollectionViews.h"
#include "Database.h"
#include "ErrorGuard.h"
#include "KvilbroApplication.h"
#include "PictureImport.h"
#include "Program.h"
#include "TForm2.h"
#include "TForm8.h"
#include "TableFiles.h"
#include "TableView.h"

#include <benchmark/benchmark.h>

#include <QDir>
#include <QFile>
#include <QListView>
#include <QTemporaryDir>
#include <QTest>
#include <QTextEdit>

#include <sqlite3.h>

#include <functional>

using namespace kvilbro;

namespace {

constexpr int Files = 10000;

// The large collection gives every tenth number the variant "a".
QString pictureName(int n)
{
    return n % 10 == 0 ? QStringLiteral("%1a.jpg").arg(n) : QStringLiteral("%1.jpg").arg(n);
}

// Two folders of the same 10 000 names, so that every run stores new paths.
struct PictureFolders {
    PictureFolders()
    {
        for (const char* name : {"a", "b"}) {
            const QString folder = dir.filePath(QString::fromLatin1(name));
            QDir().mkpath(folder);
            for (int n = 1; n <= Files; ++n) {
                QFile f(folder + u'/' + pictureName(n));
                if (!f.open(QIODevice::WriteOnly))
                    qFatal("cannot create pictures");
            }
            folders << folder;
        }
    }
    QTemporaryDir dir;
    QStringList folders;
};

const PictureFolders& pictureFolders()
{
    static const PictureFolders folders;
    return folders;
}

// A collection whose first area holds numbers 1 to 10 000.
void tenThousand(const QString& dir)
{
    tablefiles::create(dir);
    bench::fillLarge(dir, 3, Files + 2000, Files, 0);
}

// The real program on a collection of 10 000 numbers, its import window shown.
void inProgram(benchmark::State& state, const std::function<void(Program&, bench::BenchDialogs&)>& body)
{
    const QString before = QDir::currentPath();
    QTemporaryDir dir;
    tenThousand(dir.path());
    QDir::setCurrent(dir.path());
    bench::BenchDialogs dialogs;
    ErrorGuard::setDialogs(&dialogs);
    {
        Program program(dialogs);
        program.start();
        program.importWindow()->showImport();
        if (!QTest::qWaitForWindowExposed(program.mainWindow()) ||
            !QTest::qWaitForWindowExposed(program.importWindow()))
            state.SkipWithError("not shown");
        body(program, dialogs);
    }
    ErrorGuard::setDialogs(nullptr);
    QDir::setCurrent(before);
}

void BM_ImportTenThousandInProgram(benchmark::State& state)
{
    const PictureFolders& pictures = pictureFolders();
    inProgram(state, [&](Program& program, bench::BenchDialogs& dialogs) {
        TForm8& w = *program.importWindow();
        int run = 0;
        for (auto _ : state) {
            state.PauseTiming();
            w.openFolder(pictures.folders[run++ % 2]);
            w.FileListBox1->selectAll();
            dialogs.shownMessages.clear();
            state.ResumeTiming();
            w.Button1Click();
            state.PauseTiming();
            if (!dialogs.shownMessages.isEmpty() || !w.RichEdit1->toPlainText().contains(u"Alle billeder")) {
                state.SkipWithError("not all attached");
                break;
            }
            QCoreApplication::processEvents(); // the grid repaints between runs, not inside them
            state.ResumeTiming();
        }
        state.counters["files"] = Files;
    });
}

// The same import on the main window's views alone, no grid.
void BM_ImportTenThousandOnViews(benchmark::State& state)
{
    const PictureFolders& pictures = pictureFolders();
    QTemporaryDir dir;
    tenThousand(dir.path());
    Database db(dir.path());
    CollectionViews views(db, CollectionWindow::MainWindow);
    QStringList names;
    for (int n = 1; n <= Files; ++n)
        names << pictureName(n);
    int run = 0;
    for (auto _ : state) {
        const auto result =
            PictureImport::run(views.numbers(), pictures.folders[run++ % 2], names, dir.path(), QDate::currentDate());
        if (result.attached != Files)
            state.SkipWithError("not all attached");
    }
}

// The floor: the same 10 000 rows updated by plain prepared statements, one
// transaction each, on a connection set up as the store's.
void BM_FloorTenThousandSingleRowUpdates(benchmark::State& state)
{
    const PictureFolders& pictures = pictureFolders();
    QTemporaryDir dir;
    tenThousand(dir.path());
    sqlite3* db = bench::openLikeStore(dir.path());
    QList<qint64> rows;
    sqlite3_stmt* select = nullptr;
    sqlite3_prepare_v2(db, "SELECT \"Tæller\" FROM stm2manc WHERE Land='A0' ORDER BY Nummer", -1, &select, nullptr);
    while (sqlite3_step(select) == SQLITE_ROW)
        rows << sqlite3_column_int64(select, 0);
    sqlite3_finalize(select);
    sqlite3_stmt* update = nullptr;
    sqlite3_prepare_v3(db, "UPDATE stm2manc SET Billede=?1 WHERE \"Tæller\"=?2", -1, SQLITE_PREPARE_PERSISTENT, &update,
                       nullptr);
    int run = 0;
    for (auto _ : state) {
        const QString folder = pictures.folders[run++ % 2];
        for (int i = 0; i < rows.size(); ++i) {
            const QByteArray path = (folder + u'/' + pictureName(i + 1)).toUtf8();
            sqlite3_bind_text(update, 1, path.constData(), int(path.size()), SQLITE_TRANSIENT);
            sqlite3_bind_int64(update, 2, rows[i]);
            if (sqlite3_step(update) != SQLITE_DONE)
                state.SkipWithError("update failed");
            sqlite3_reset(update);
        }
    }
    sqlite3_finalize(update);
    sqlite3_close(db);
    if (rows.size() != Files)
        state.SkipWithError("wrong area");
}

// Opening the folder until the file list holds every name.
void BM_FileListOfTenThousandPictures(benchmark::State& state)
{
    const PictureFolders& pictures = pictureFolders();
    inProgram(state, [&](Program& program, bench::BenchDialogs&) {
        TForm8& w = *program.importWindow();
        int run = 0;
        for (auto _ : state) {
            w.openFolder(pictures.folders[run++ % 2]);
            if (w.FileListBox1->model()->rowCount() != Files)
                state.SkipWithError("not all listed");
            QCoreApplication::processEvents(); // shown on screen
        }
    });
}

} // namespace

BENCHMARK(BM_ImportTenThousandInProgram)->Unit(benchmark::kMillisecond)->MinTime(2);
BENCHMARK(BM_ImportTenThousandOnViews)->Unit(benchmark::kMillisecond)->MinTime(2);
BENCHMARK(BM_FloorTenThousandSingleRowUpdates)->Unit(benchmark::kMillisecond)->MinTime(2);
BENCHMARK(BM_FileListOfTenThousandPictures)->Unit(benchmark::kMillisecond)->MinTime(1);

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
