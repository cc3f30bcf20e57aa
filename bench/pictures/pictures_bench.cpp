// Picture refresh speed: one refresh of the panel (read Billede, test the
// file, decode it with libjpeg, fit, repaint) against djpeg decoding the
// same JPEG to a null output, both measured in this run. The pictures are
// drawn and encoded here, at 1, 12 and 24 megapixels.
#include "CollectionViews.h"
#include "Database.h"
#include "DemoPictures.h"
#include "ImageWidget.h"
#include "JpegWriter.h"
#include "PictureLoader.h"
#include "PicturePanel.h"
#include "TableFiles.h"
#include "TableView.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFrame>
#include <QHBoxLayout>
#include <QMap>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <spawn.h>
#include <sqlite3.h>
#include <sys/wait.h>

#include <chrono>
#include <memory>

using namespace kvilbro;

extern char** environ;

namespace {

QSize sizeFor(int megapixels)
{
    switch (megapixels) {
    case 1:
        return {1224, 816};
    case 12:
        return {4240, 2832};
    default:
        return {6000, 4000};
    }
}

// A collection whose area "DK" holds number N with a picture of N megapixels,
// and a window with the picture panel, shown (off screen).
struct Fixture {
    // Made by main before anything is timed, and gone before the application.
    static std::unique_ptr<Fixture>& instance()
    {
        static std::unique_ptr<Fixture> fixture;
        return fixture;
    }
    static Fixture& get() { return *instance(); }

    QString picture(int megapixels) const { return dir.filePath(QStringLiteral("p%1.jpg").arg(megapixels)); }

    Fixture()
    {
        tablefiles::create(dir.path());
        sqlite3* db = nullptr;
        sqlite3_open(QFile::encodeName(dir.filePath(QStringLiteral("stm2frim.db"))).constData(), &db);
        sqlite3_exec(db, "INSERT INTO stm2frim (\"National ID\",Beskrivelse) VALUES ('DK','Danmark')", nullptr, nullptr,
                     nullptr);
        sqlite3_close(db);
        sqlite3_open(QFile::encodeName(dir.filePath(QStringLiteral("stm2manc.DB"))).constData(), &db);
        for (int mp : {1, 12, 24}) {
            QImage image = tablefiles::drawStamp(sizeFor(mp), {mp, QColor(0xb0, 0x30, 0x30), 2, true});
            tablefiles::addGrain(image, quint32(mp)); // photograph-like detail
            tablefiles::writeJpeg(image, picture(mp));
            const QString sql = QStringLiteral("INSERT INTO stm2manc (Land,Stamoplysning,Nummer,Billede) "
                                               "VALUES ('DK','Danmark',%1,'%2')")
                                    .arg(mp)
                                    .arg(picture(mp));
            sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, nullptr);
        }
        sqlite3_close(db);

        database = std::make_unique<Database>(dir.path());
        views = std::make_unique<CollectionViews>(*database, CollectionWindow::MainWindow);
        numbers = &views->numbers();

        window.resize(956, 663);
        auto* layout = new QHBoxLayout(&window);
        layout->addWidget(new QWidget, 1);
        auto* panel5 = new QFrame;
        panel5->setFixedWidth(184);
        layout->addWidget(panel5);
        auto* image1 = new ImageWidget(panel5);
        auto* checkBox2 = new QCheckBox(&window);
        panel = std::make_unique<PicturePanel>(panel5, image1, checkBox2, &window, *numbers,
                                               dir.filePath(QStringLiteral("frim.bmp")));
        window.show();
        QApplication::processEvents();
    }

    QTemporaryDir dir;
    std::unique_ptr<Database> database;
    std::unique_ptr<CollectionViews> views;
    TableView* numbers = nullptr;
    QWidget window;
    std::unique_ptr<PicturePanel> panel;
};

// Mean milliseconds of djpeg per picture size, for the comparison.
QMap<int, double>& djpegMs()
{
    static QMap<int, double> times;
    return times;
}

double elapsedMs(std::chrono::steady_clock::time_point start, benchmark::IterationCount iterations)
{
    const std::chrono::duration<double, std::milli> spent = std::chrono::steady_clock::now() - start;
    return spent.count() / double(iterations);
}

// The floor: libjpeg-turbo's own command-line decoder, writing to /dev/null.
void BM_Djpeg(benchmark::State& state)
{
    const int mp = int(state.range(0));
    const QByteArray djpeg = QFile::encodeName(QStandardPaths::findExecutable(QStringLiteral("djpeg")));
    if (djpeg.isEmpty()) {
        state.SkipWithError("djpeg is not installed (package libjpeg-turbo-progs)");
        return;
    }
    const QByteArray file = QFile::encodeName(Fixture::get().picture(mp));
    char* argv[] = {const_cast<char*>(djpeg.constData()), const_cast<char*>("-outfile"), const_cast<char*>("/dev/null"),
                    const_cast<char*>(file.constData()), nullptr};
    const auto start = std::chrono::steady_clock::now();
    for (auto _ : state) {
        pid_t pid = 0;
        if (posix_spawn(&pid, argv[0], nullptr, nullptr, argv, environ) != 0) {
            state.SkipWithError("djpeg could not be started");
            return;
        }
        int status = 0;
        waitpid(pid, &status, 0);
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
            state.SkipWithError("djpeg failed");
            return;
        }
    }
    djpegMs()[mp] = elapsedMs(start, state.iterations());
    state.counters["megapixels"] = mp;
}

void BM_PictureRefresh(benchmark::State& state)
{
    const int mp = int(state.range(0));
    Fixture& f = Fixture::get();
    if (!f.numbers->locate({QStringLiteral("Nummer")}, {QString::number(mp)}, false)) {
        state.SkipWithError("no such number");
        return;
    }
    // Steady state: the panel has shown a picture of this size before, as when
    // a key is held in the grid. BM_LoadPicture measures a picture in fresh memory.
    f.panel->refresh();
    f.panel->refresh();
    const auto start = std::chrono::steady_clock::now();
    for (auto _ : state)
        f.panel->refresh();
    const double ms = elapsedMs(start, state.iterations());
    state.counters["megapixels"] = mp;
    state.counters["ms_per_refresh"] = ms;
    if (djpegMs().contains(mp))
        state.counters["x_djpeg"] = ms / djpegMs()[mp];
}

// Loading alone, into freshly allocated memory every time.
void BM_LoadPicture(benchmark::State& state)
{
    const QString path = Fixture::get().picture(int(state.range(0)));
    for (auto _ : state)
        benchmark::DoNotOptimize(loadPicture(path));
    state.counters["megapixels"] = double(state.range(0));
}

} // namespace

BENCHMARK(BM_Djpeg)->Arg(1)->Arg(12)->Arg(24)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_LoadPicture)->Arg(1)->Arg(12)->Arg(24)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_PictureRefresh)->Arg(1)->Arg(12)->Arg(24)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(1.0);

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    Fixture::instance() = std::make_unique<Fixture>();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    Fixture::instance().reset();
    return 0;
}
