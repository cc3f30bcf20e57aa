// Picture speed and memory, each against its floor measured in the same run:
// - the panel's refresh (read Billede, test the file, decode at the DCT scale
//   the fitted size needs, smooth down, repaint) of a 24-megapixel JPEG, one
//   detailed and one smooth, against libjpeg decoding the file at the same
//   scale into a buffer, and against djpeg -scale 1/N;
// - an 8000 x 8000 progressive JPEG on the panel, and the peak memory of
//   loading it for the panel in a child process, against djpeg's;
// - a 16000 x 16000 progressive JPEG refused, against libjpeg reading its
//   header;
// - the viewer's load at full size against libjpeg at full size.
// The pictures are drawn and encoded at start, in a temporary folder.
#include "CollectionViews.h"
#include "Database.h"
#include "DemoPictures.h"
#include "Error.h"
#include "FlatJpeg.h"
#include "ImageWidget.h"
#include "JpegWriter.h"
#include "PictureFit.h"
#include "PictureLoader.h"
#include "PicturePanel.h"
#include "TableFiles.h"
#include "TableView.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QFileInfo>
#include <QFrame>
#include <QHBoxLayout>
#include <QMap>
#include <QPainter>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <spawn.h>
#include <sqlite3.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>
#include <vector>

#include <jpeglib.h>

using namespace kvilbro;

extern char** environ;

namespace {

enum class Look { Detailed, Smooth, Flat };

struct BenchPicture {
    const char* name;
    QSize size;
    Look look;
    bool progressive;
};

// Numbered from 1 in the collection, in this order.
const BenchPicture Pictures[] = {
    {"24 MP detailed", {6000, 4000}, Look::Detailed, false},
    {"24 MP smooth", {6000, 4000}, Look::Smooth, false},
    {"8000x8000 progressive smooth", {8000, 8000}, Look::Smooth, true},
    {"8000x8000 progressive flat", {8000, 8000}, Look::Flat, true},
    {"16000x16000 progressive flat", {16000, 16000}, Look::Flat, true},
};
constexpr int Refused = 4;

// Light and shade without much detail, like a photograph of sky and hills.
QImage smoothPicture(QSize size)
{
    QImage image(size, QImage::Format_RGB32);
    QPainter painter(&image);
    QLinearGradient sky(0, 0, 0, size.height());
    sky.setColorAt(0, QColor(60, 100, 180));
    sky.setColorAt(0.6, QColor(220, 200, 160));
    sky.setColorAt(1, QColor(90, 120, 60));
    painter.fillRect(image.rect(), sky);
    painter.setPen(Qt::NoPen);
    for (int i = 0; i < 6; ++i) {
        const QPointF centre(size.width() * (0.1 + 0.16 * i), size.height() * (0.35 + 0.1 * (i % 3)));
        QRadialGradient blob(centre, size.width() * 0.12);
        blob.setColorAt(0, QColor(40 * i, 160, 255 - 30 * i, 160));
        blob.setColorAt(1, QColor(40 * i, 160, 255 - 30 * i, 0));
        painter.setBrush(blob);
        painter.drawEllipse(centre, size.width() * 0.12, size.width() * 0.12);
    }
    return image;
}

// A collection whose area "DK" holds number N with picture N, and a window
// with the picture panel, shown (off screen).
struct Fixture {
    // Made by main before anything is timed, and gone before the application.
    static std::unique_ptr<Fixture>& instance()
    {
        static std::unique_ptr<Fixture> fixture;
        return fixture;
    }
    static Fixture& get() { return *instance(); }

    QString picture(int index) const { return dir.filePath(QStringLiteral("p%1.jpg").arg(index)); }

    Fixture()
    {
        tablefiles::create(dir.path());
        sqlite3* db = nullptr;
        sqlite3_open(QFile::encodeName(dir.filePath(QStringLiteral("stm2frim.db"))).constData(), &db);
        sqlite3_exec(db, "INSERT INTO stm2frim (\"National ID\",Beskrivelse) VALUES ('DK','Danmark')", nullptr, nullptr,
                     nullptr);
        sqlite3_close(db);
        sqlite3_open(QFile::encodeName(dir.filePath(QStringLiteral("stm2manc.DB"))).constData(), &db);
        for (int i = 0; i < int(std::size(Pictures)); ++i) {
            write(Pictures[i], picture(i));
            const QString sql = QStringLiteral("INSERT INTO stm2manc (Land,Stamoplysning,Nummer,Billede) "
                                               "VALUES ('DK','Danmark',%1,'%2')")
                                    .arg(i + 1)
                                    .arg(picture(i));
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

    static void write(const BenchPicture& p, const QString& path)
    {
        if (p.look == Look::Flat) {
            QFile file(path);
            if (!file.open(QIODevice::WriteOnly) ||
                file.write(test::flatProgressiveJpeg(p.size.width(), p.size.height())) < 0)
                qFatal("cannot write %s", qPrintable(path));
            return;
        }
        QImage image = p.look == Look::Smooth ? smoothPicture(p.size)
                                              : tablefiles::drawStamp(p.size, {24, QColor(0xb0, 0x30, 0x30), 2, true});
        if (p.look == Look::Detailed)
            tablefiles::addGrain(image, 24); // photograph-like detail
        tablefiles::JpegOptions options;
        options.progressive = p.progressive;
        tablefiles::writeJpeg(image, path, options);
    }

    QTemporaryDir dir;
    std::unique_ptr<Database> database;
    std::unique_ptr<CollectionViews> views;
    TableView* numbers = nullptr;
    QWidget window;
    std::unique_ptr<PicturePanel> panel;
};

// The panel's DCT scale for a picture: the one decodeJpeg chooses for the fit.
unsigned panelDenominator(QSize natural)
{
    const QSize box = fitPicture(natural);
    for (unsigned denom : {8u, 4u, 2u}) {
        if ((natural.width() + int(denom) - 1) / int(denom) >= box.width() &&
            (natural.height() + int(denom) - 1) / int(denom) >= box.height())
            return denom;
    }
    return 1;
}

// The floor: libjpeg alone, the file read whole and decoded at 1/denom into
// a buffer made once, in the colours the panel asks for; with denom 0 only
// its header read.
void libjpegDecode(const QString& path, unsigned denom, std::vector<JSAMPLE>& buffer)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        qFatal("cannot open %s", qPrintable(path));
    const QByteArray bytes = file.readAll();
    jpeg_decompress_struct cinfo;
    jpeg_error_mgr error;
    cinfo.err = jpeg_std_error(&error);
    jpeg_create_decompress(&cinfo);
    jpeg_mem_src(&cinfo, reinterpret_cast<const unsigned char*>(bytes.constData()), (unsigned long)bytes.size());
    jpeg_read_header(&cinfo, TRUE);
    if (denom > 0) {
        cinfo.scale_num = 1;
        cinfo.scale_denom = denom;
        cinfo.out_color_space = JCS_EXT_BGRX;
        jpeg_start_decompress(&cinfo);
        const size_t stride = size_t(cinfo.output_width) * 4;
        buffer.resize(stride * cinfo.output_height);
        while (cinfo.output_scanline < cinfo.output_height) {
            JSAMPROW rows[16];
            const JDIMENSION count = std::min<JDIMENSION>(
                {JDIMENSION(cinfo.rec_outbuf_height), cinfo.output_height - cinfo.output_scanline, 16u});
            for (JDIMENSION i = 0; i < count; ++i)
                rows[i] = buffer.data() + (cinfo.output_scanline + i) * stride;
            jpeg_read_scanlines(&cinfo, rows, count);
        }
        jpeg_finish_decompress(&cinfo);
    }
    jpeg_destroy_decompress(&cinfo);
}

QByteArray djpegPath()
{
    return QFile::encodeName(QStandardPaths::findExecutable(QStringLiteral("djpeg")));
}

QStringList djpegArguments(int index)
{
    const unsigned denom = panelDenominator(Pictures[index].size);
    return {QStringLiteral("-scale"), QStringLiteral("1/%1").arg(denom), QStringLiteral("-outfile"),
            QStringLiteral("/dev/null"), Fixture::get().picture(index)};
}

// Mean milliseconds of djpeg by picture, for the ratios.
QMap<int, double>& djpegMs()
{
    static QMap<int, double> times;
    return times;
}

double msSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

double elapsedMs(std::chrono::steady_clock::time_point start, benchmark::IterationCount iterations)
{
    return msSince(start) / double(iterations);
}

void BM_Floor_Djpeg(benchmark::State& state)
{
    const int index = int(state.range(0));
    const QByteArray djpeg = djpegPath();
    if (djpeg.isEmpty()) {
        state.SkipWithError("djpeg is not installed (package libjpeg-turbo-progs)");
        return;
    }
    QList<QByteArray> args{djpeg};
    for (const QString& arg : djpegArguments(index))
        args << QFile::encodeName(arg);
    std::vector<char*> argv;
    for (QByteArray& arg : args)
        argv.push_back(arg.data());
    argv.push_back(nullptr);
    const auto start = std::chrono::steady_clock::now();
    for (auto _ : state) {
        pid_t pid = 0;
        int status = 0;
        if (posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0 || waitpid(pid, &status, 0) < 0 ||
            !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
            state.SkipWithError("djpeg failed");
            return;
        }
    }
    djpegMs()[index] = elapsedMs(start, state.iterations());
    state.SetLabel(Pictures[index].name);
}

// Each refresh right after its floor, so that both meet the same machine:
// this one's page faults, above all, cost more from one second to the next.
void BM_PanelRefresh(benchmark::State& state)
{
    const int index = int(state.range(0));
    Fixture& f = Fixture::get();
    if (!f.numbers->locate({QStringLiteral("Nummer")}, {QString::number(index + 1)}, false)) {
        state.SkipWithError("no such number");
        return;
    }
    const unsigned denom = index == Refused ? 0 : panelDenominator(Pictures[index].size);
    int refusals = 0;
    const auto refresh = [&] {
        try {
            f.panel->refresh();
        } catch (const Error&) {
            ++refusals;
        }
    };
    std::vector<JSAMPLE> buffer;
    libjpegDecode(f.picture(index), denom, buffer);
    refresh();
    refusals = 0;
    double ours = 0, floor = 0;
    for (auto _ : state) {
        auto start = std::chrono::steady_clock::now();
        libjpegDecode(f.picture(index), denom, buffer);
        floor += msSince(start);
        start = std::chrono::steady_clock::now();
        refresh();
        const double ms = msSince(start);
        ours += ms;
        state.SetIterationTime(ms / 1000);
    }
    const double n = double(state.iterations());
    state.SetLabel(Pictures[index].name);
    state.counters["ms_per_refresh"] = ours / n;
    state.counters["libjpeg_ms"] = floor / n;
    state.counters["x_libjpeg"] = ours / floor;
    state.counters["scale_1_of"] = denom;
    state.counters["file_MB"] = double(QFileInfo(f.picture(index)).size()) / 1e6;
    state.counters["refused"] = refusals == int(state.iterations()) ? 1 : 0;
    if (djpegMs().contains(index))
        state.counters["x_djpeg"] = ours / n / djpegMs()[index];
}

// Runs `command` under `self --peak-of` and gives its peak memory in MB.
double peakMb(const QStringList& command)
{
    QProcess process;
    process.start(QCoreApplication::applicationFilePath(), QStringList{QStringLiteral("--peak-of")} + command);
    if (!process.waitForFinished(120000) || process.exitCode() != 0)
        return -1;
    const QList<QByteArray> lines = process.readAllStandardOutput().trimmed().split('\n');
    return lines.last().toDouble() * 1024 / 1e6;
}

// Peak memory, once: loading for the panel in a child, against djpeg.
void BM_PanelPeakMemory(benchmark::State& state)
{
    const int index = int(state.range(0));
    const QString file = Fixture::get().picture(index);
    double ours = 0;
    for (auto _ : state)
        ours = peakMb({QCoreApplication::applicationFilePath(), QStringLiteral("--for-the-panel"), file});
    state.SetLabel(Pictures[index].name);
    state.counters["peak_MB"] = ours;
    if (!djpegPath().isEmpty())
        state.counters["djpeg_peak_MB"] = peakMb(QStringList{QFile::decodeName(djpegPath())} + djpegArguments(index));
}

// The viewer: the picture at full size, each load right after libjpeg's.
void BM_ViewerLoad(benchmark::State& state)
{
    const int index = int(state.range(0));
    const QString path = Fixture::get().picture(index);
    std::vector<JSAMPLE> buffer;
    libjpegDecode(path, 1, buffer);
    double ours = 0, floor = 0;
    for (auto _ : state) {
        auto start = std::chrono::steady_clock::now();
        libjpegDecode(path, 1, buffer);
        floor += msSince(start);
        start = std::chrono::steady_clock::now();
        benchmark::DoNotOptimize(loadPicture(path));
        const double ms = msSince(start);
        ours += ms;
        state.SetIterationTime(ms / 1000);
    }
    const double n = double(state.iterations());
    state.SetLabel(Pictures[index].name);
    state.counters["ms_per_load"] = ours / n;
    state.counters["libjpeg_ms"] = floor / n;
    state.counters["x_libjpeg"] = ours / floor;
}

// Child modes. --peak-of COMMAND...: runs COMMAND from this fresh, small
// process and prints its peak resident memory in KiB (RUSAGE_CHILDREN), so
// that nothing of the benchmark's own memory is counted. --for-the-panel
// FILE: loads FILE as the panel does.
int childMode(char** argv)
{
    if (qstrcmp(argv[1], "--for-the-panel") == 0) {
        try {
            return loadFittedPicture(QString::fromLocal8Bit(argv[2])).isNull() ? 1 : 0;
        } catch (const Error&) {
            return 1;
        }
    }
    const pid_t child = ::fork();
    if (child == 0) {
        ::execvp(argv[2], argv + 2);
        ::_exit(127);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    rusage usage{};
    ::getrusage(RUSAGE_CHILDREN, &usage);
    std::printf("%ld\n", usage.ru_maxrss);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 1;
}

} // namespace

BENCHMARK(BM_Floor_Djpeg)->DenseRange(0, 3)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_PanelRefresh)->DenseRange(0, 4)->Unit(benchmark::kMillisecond)->UseManualTime()->MinTime(2.0);
BENCHMARK(BM_PanelPeakMemory)->Arg(2)->Arg(3)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ViewerLoad)->Arg(0)->Unit(benchmark::kMillisecond)->UseManualTime()->MinTime(2.0);

int main(int argc, char** argv)
{
    if (argc >= 3 && (qstrcmp(argv[1], "--peak-of") == 0 || qstrcmp(argv[1], "--for-the-panel") == 0))
        return childMode(argv);
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
