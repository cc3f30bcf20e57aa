// The combined marks list over 10 000 numbers and the picture want list over
// 1 000 numbers (100 distinct camera-size scans), each from the start of its
// run to the complete page list on a PDF printer, against same-run floors.
#include "BenchCollection.h"
#include "BenchDialogs.h"
#include "Database.h"
#include "JpegWriter.h"
#include "PageBuilder.h"
#include "Progress.h"
#include "TForm14.h"
#include "TQuickReport28.h"
#include "TableFiles.h"
#include "TableView.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>
#include <QProcess>
#include <QTemporaryDir>

#include <malloc.h>
#include <sys/resource.h>

using namespace kvilbro;

namespace {

class NoProgress : public Progress {
public:
    void show(const QString&) override {}
    void setRange(int, int) override {}
    void setPosition(int) override {}
    void hide() override {}
};

size_t heapInUse()
{
    const struct mallinfo2 info = mallinfo2();
    return info.uordblks + info.hblkhd;
}

AreaKey bigArea(Report& report)
{
    report.locateArea(QStringLiteral("Stor"));
    return {report.areaView().asText(u"National ID"), QStringLiteral("Stor")};
}

// The floor of the text: each row's number, type and three marks with its
// frame lines, drawn by hand into a PDF, five columns of 80 rows to a page.
void bareRows(TableView& numbers, const QString& path, int columns, int rowsPerColumn)
{
    QStringList rows;
    for (numbers.first(); !numbers.eof(); numbers.next())
        rows << numbers.asText(u"Nummer") + u'|' + numbers.asText(u"Type") + u'|' + numbers.asText(u"***") + u'|' +
                    numbers.asText(u"*") + u'|' + numbers.asText(u"O");
    QPdfWriter writer(path);
    writer.setResolution(1200);
    writer.setPageSize(QPageSize(QPageSize::A4));
    writer.setPageMargins(QMarginsF(0, 0, 0, 0));
    const double s = 1200 / 25.4;
    const double line = 0.2 * s;
    QPainter p(&writer);
    QFont font(QStringLiteral("Arial"));
    font.setPointSizeF(8);
    p.setFont(font);
    qsizetype i = 0;
    for (int page = 0; i < rows.size(); ++page) {
        if (page > 0)
            writer.newPage();
        p.drawText(QPointF(12 * s, 18 * s), QStringLiteral("Jens Jensen"));
        p.drawText(QPointF(90 * s, 20 * s), QStringLiteral("Mancoliste"));
        for (int c = 0; c < columns && i < rows.size(); ++c) {
            const double x = 10 + c * 190.6 / columns;
            for (int r = 0; r < rowsPerColumn && i < rows.size(); ++r, ++i) {
                const QStringList f = rows[i].split(u'|');
                const double y = 32 + r * 3.2;
                p.drawText(QPointF((x + 5) * s, (y + 2.6) * s), f[0]);
                for (int k = 1; k < 5; ++k) {
                    if (!f[k].isEmpty())
                        p.drawText(QPointF((x + 10 + 5 * k) * s, (y + 2.6) * s), f[k]);
                }
                for (double cell : {25.5, 29.7, 34.0})
                    p.fillRect(QRectF((x + cell) * s, y * s, line, 3.2 * s), Qt::black);
                p.fillRect(QRectF(x * s, (y + 3.2) * s - line, 38.1 * s, line), Qt::black);
                p.fillRect(QRectF(x * s, y * s, line, 3.2 * s), Qt::black);
                p.fillRect(QRectF((x + 38.1) * s - line, y * s, line, 3.2 * s), Qt::black);
            }
        }
    }
}

struct Combined {
    Combined()
    {
        tablefiles::create(dir.path());
        bench::fillLarge(dir.path(), 1, 10000, 10000, 0);
        db = std::make_unique<Database>(dir.path());
        list = std::make_unique<TQuickReport28>(*db, dialogs);
        area = bigArea(list->report());
    }
    QTemporaryDir dir;
    bench::BenchDialogs dialogs;
    std::unique_ptr<Database> db;
    std::unique_ptr<TQuickReport28> list;
    AreaKey area;
};

void BM_CombinedListToPdfPrinter(benchmark::State& state)
{
    Combined c;
    QTemporaryDir out;
    NoProgress progress;
    double listSeconds = 0;
    double floorSeconds = 0;
    int pages = 0;
    for (auto _ : state) {
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(out.filePath(QStringLiteral("list.pdf")));
        QElapsedTimer t;
        t.start();
        if (!c.list->prepare(c.area)) {
            state.SkipWithError("the area is not there");
            return;
        }
        PageList printed;
        c.list->report().printTo(printer, progress, &printed);
        const double listTime = t.nsecsElapsed() / 1e9;
        pages = printed.count();
        t.restart();
        bareRows(c.list->report().numberView(), out.filePath(QStringLiteral("floor.pdf")), 5, 80);
        floorSeconds += t.nsecsElapsed() / 1e9;
        listSeconds += listTime;
        state.SetIterationTime(listTime);
    }
    state.counters["pages"] = pages;
    state.counters["list_ms"] = benchmark::Counter(listSeconds * 1000, benchmark::Counter::kAvgIterations);
    state.counters["floor_ms"] = benchmark::Counter(floorSeconds * 1000, benchmark::Counter::kAvgIterations);
    state.counters["ratio"] = listSeconds / floorSeconds;
}
BENCHMARK(BM_CombinedListToPdfPrinter)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);

// 1 000 numbers; their Billede names 100 scans of 1 200 x 1 500 pixels, ten rows each.
struct PictureCollection {
    PictureCollection()
    {
        tablefiles::create(dir.path());
        bench::fillLarge(dir.path(), 1, 1000, 1000, 0);
        QDir(dir.path()).mkpath(QStringLiteral("scans"));
        for (int i = 0; i < 100; ++i) {
            QImage scan(1200, 1500, QImage::Format_RGB32);
            scan.fill(QColor::fromHsv(i * 3, 180, 200));
            QPainter p(&scan);
            p.drawEllipse(QRect(100, 100, 1000, 1300));
            p.end();
            scans << dir.filePath(QStringLiteral("scans/%1.jpg").arg(i));
            tablefiles::writeJpeg(scan, scans.last());
        }
        tablefiles::writeJpeg(QImage(50, 60, QImage::Format_RGB32), dir.filePath(QStringLiteral("frim2.jpg")));
        {
            Database db(dir.path());
            TableView numbers(db, TableId::Numbers);
            numbers.open();
            int i = 0;
            for (numbers.first(); !numbers.eof(); numbers.next(), ++i) {
                numbers.edit();
                numbers.setText(u"Billede", scans[(i / 10) % 100]);
                numbers.post();
            }
        }
        db = std::make_unique<Database>(dir.path());
        list = std::make_unique<TForm14>(
            *db, dialogs, [] { return false; }, [this] { return dir.filePath(QStringLiteral("frim2.jpg")); });
        area = bigArea(list->QuickRep1());
    }
    QTemporaryDir dir;
    QStringList scans;
    bench::BenchDialogs dialogs;
    std::unique_ptr<Database> db;
    std::unique_ptr<TForm14> list;
    AreaKey area;
};

void BM_PictureListToPdfPrinter(benchmark::State& state)
{
    PictureCollection c;
    QTemporaryDir out;
    NoProgress progress;
    double listSeconds = 0;
    double floorSeconds = 0;
    int pages = 0;
    for (auto _ : state) {
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(out.filePath(QStringLiteral("list.pdf")));
        QElapsedTimer t;
        t.start();
        c.list->prepare(Condition::Used, c.area);
        PageList printed;
        c.list->QuickRep1().printTo(printer, progress, &printed);
        const double listTime = t.nsecsElapsed() / 1e9;
        pages = printed.count();
        // The floor: each scan decoded once at full size by djpeg, and the rows' text by hand.
        t.restart();
        for (const QString& scan : std::as_const(c.scans))
            QProcess::execute(QStringLiteral("djpeg"), {QStringLiteral("-outfile"), QStringLiteral("/dev/null"), scan});
        bareRows(c.list->QuickRep1().numberView(), out.filePath(QStringLiteral("floor.pdf")), 6, 14);
        floorSeconds += t.nsecsElapsed() / 1e9;
        listSeconds += listTime;
        state.SetIterationTime(listTime);
    }

    // The preview's view of the same run: memory of the page list and the longest step.
    const size_t before = heapInUse();
    size_t peak = before;
    double longestStepMs = 0;
    {
        PageList list;
        Report& report = c.list->QuickRep1();
        c.list->prepare(Condition::Used, c.area);
        // The list's own hook, in the preview's steps, its pictures read afresh.
        PageBuilder::Source source = report.source();
        PageBuilder builder(source, [&](PagePtr page) { list.append(std::move(page)); });
        builder.begin();
        bool done = false;
        while (!done) {
            QElapsedTimer step;
            step.start();
            done = Report::stepFor(builder, 50);
            longestStepMs = std::max(longestStepMs, step.nsecsElapsed() / 1e6);
            peak = std::max(peak, heapInUse());
        }
    }
    state.counters["pages"] = pages;
    state.counters["list_ms"] = benchmark::Counter(listSeconds * 1000, benchmark::Counter::kAvgIterations);
    state.counters["floor_ms"] = benchmark::Counter(floorSeconds * 1000, benchmark::Counter::kAvgIterations);
    state.counters["ratio"] = listSeconds / floorSeconds;
    state.counters["page_list_heap_MB"] = double(peak - before) / (1024 * 1024);
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    state.counters["peak_rss_MB"] = double(usage.ru_maxrss) / 1024;
    state.counters["longest_step_ms"] = longestStepMs;
}
BENCHMARK(BM_PictureListToPdfPrinter)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(2);

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
