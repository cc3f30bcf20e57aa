// Report engine speed and memory: the mark-type want list over 10 000 numbers
// (about 30 pages) laid out and written as PDF, against the floor of a bare
// QPainter loop drawing the same texts and frames into a QPdfWriter; and the
// memory a page list of 1 000 pages holds.
#include "BenchCollection.h"
#include "Database.h"
#include "Dialogs.h"
#include "JpegWriter.h"
#include "PageBuilder.h"
#include "PagePainter.h"
#include "Progress.h"
#include "Report.h"
#include "TQuickReport5.h"
#include "TableFiles.h"
#include "TableView.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>
#include <QTemporaryDir>

#include <malloc.h>

using namespace kvilbro;

namespace {

constexpr int Numbers = 10000;

// Dialogs are never shown here.
class NoDialogs : public Dialogs {
public:
    InputAnswer input(const QString&, const QString&, const QString& d) override { return {d, false}; }
    bool confirm(const QString&) override { return false; }
    void message(const QString&) override {}
    void error(const QString&) override {}
    void stop(const QString&) override {}
    bool okCancel(const QString&) override { return false; }
    QString openFile(const FileDialogOptions&) override { return {}; }
    QString saveFile(const FileDialogOptions&) override { return {}; }
    bool printerSetup(QPrinter&) override { return false; }
    bool print(QPrinter&, PrintDialogOptions&) override { return false; }
};

class NoProgress : public Progress {
public:
    void show(const QString&) override {}
    void setRange(int, int) override {}
    void setPosition(int) override {}
    void hide() override {}
};

struct Setup {
    Setup()
    {
        tablefiles::create(dir.path());
        bench::fillLarge(dir.path(), 1, Numbers, Numbers, 0);
        tablefiles::writeCollector(dir.path(), {QStringLiteral("Jens Jensen"), QStringLiteral("Frimærkevej 1"),
                                                QStringLiteral("8000 Aarhus C"), QString(), QString(),
                                                QStringLiteral("2026-12-01")});
        db = std::make_unique<Database>(dir.path());
        list = std::make_unique<TQuickReport5>(*db, dialogs, [] { return false; });
        report = &list->report();
        report->locateArea(QStringLiteral("Stor"));
        list->prepare(Condition::Used, {report->areaView().asText(u"National ID"), QStringLiteral("Stor")});
    }

    QTemporaryDir dir;
    NoDialogs dialogs;
    std::unique_ptr<Database> db;
    std::unique_ptr<TQuickReport5> list;
    Report* report = nullptr;
};

Setup& setup()
{
    static Setup s;
    return s;
}

struct Row {
    QString number;
    QString type;
    QString mark;
};

QList<Row> readRows(TableView& numbers)
{
    QList<Row> rows;
    for (numbers.first(); !numbers.eof(); numbers.next())
        rows.append({numbers.asText(u"Nummer"), numbers.asText(u"Type"), numbers.asText(u"O")});
    return rows;
}

// The floor: the same pages drawn by hand with fixed arithmetic, no layout engine.
void barePdf(const QList<Row>& rows, const QString& path)
{
    QPdfWriter writer(path);
    writer.setResolution(1200);
    writer.setPageSize(QPageSize(QPageSize::A4));
    writer.setPageMargins(QMarginsF(0, 0, 0, 0));
    const double s = 1200 / 25.4;
    QPainter p(&writer);
    QFont plain(QStringLiteral("Arial"));
    plain.setPointSizeF(9);
    QFont bold = plain;
    bold.setBold(true);
    QFont header(QStringLiteral("Arial"));
    header.setPointSizeF(10);
    QFont title = header;
    title.setPointSizeF(18);
    const double line = 0.2 * s;
    auto frame = [&](double x, double y, double w, double h) {
        p.fillRect(QRectF(x * s, (y + h) * s - line, w * s, line), Qt::black);
        p.fillRect(QRectF(x * s, y * s, line, h * s), Qt::black);
        p.fillRect(QRectF((x + w) * s - line, y * s, line, h * s), Qt::black);
    };
    const double columnWidth = 190.7 / 5;
    qsizetype i = 0;
    int page = 0;
    while (i < rows.size()) {
        if (page++ > 0)
            writer.newPage();
        p.setFont(header);
        for (const auto& [text, x, y] : {std::tuple{QStringLiteral("Jens Jensen"), 12.4, 19.4},
                                         {QStringLiteral("Frimærkevej 1"), 12.3, 23.6},
                                         {QStringLiteral("8000 Aarhus C"), 12.3, 27.6},
                                         {QStringLiteral("Stemplede mærker"), 90.0, 27.6},
                                         {QStringLiteral("Stor"), 187.0, 19.9},
                                         {QStringLiteral("Side nr. "), 171.4, 23.6},
                                         {QString::number(page), 193.6, 23.8},
                                         {QStringLiteral("Dato"), 171.4, 27.9},
                                         {QStringLiteral("24.12.2026"), 179.7, 27.6}})
            p.drawText(QPointF(x * s, y * s), text);
        p.setFont(title);
        p.drawText(QPointF(90.8 * s, 23.8 * s), QStringLiteral("Mancoliste"));
        p.fillRect(QRectF(10 * s, 13.8 * s, 190.7 * s, line), Qt::black);
        frame(10, 13.8, 190.7, 15.8);
        for (int c = 0; c < 5 && i < rows.size(); ++c) {
            const double x = 10 + c * columnWidth;
            double y = 13.8 + 15.8;
            p.setFont(bold);
            p.drawText(QPointF((x + 1.6) * s, (y + 3.2) * s), QStringLiteral("Nr."));
            p.drawText(QPointF((x + 10.6) * s, (y + 3.2) * s), QStringLiteral("type"));
            p.drawText(QPointF((x + 34.6) * s, (y + 3.2) * s), QStringLiteral("O"));
            frame(x, y, columnWidth, 4.1);
            y += 4.1;
            p.setFont(plain);
            for (; y + 3.6 <= 297 - 14.3 && i < rows.size(); y += 3.6, ++i) {
                const Row& r = rows[i];
                p.drawText(QPointF((x + 8.8 - 1.9 * r.number.size()) * s, (y + 3.0) * s), r.number);
                if (!r.type.isEmpty())
                    p.drawText(QPointF((x + 10.6) * s, (y + 3.0) * s), r.type);
                if (!r.mark.isEmpty())
                    p.drawText(QPointF((x + 34.3) * s, (y + 3.0) * s), r.mark);
                p.fillRect(QRectF((x + 32.9) * s, y * s, line, 3.6 * s), Qt::black);
                frame(x, y, columnWidth, 3.6);
            }
        }
        p.fillRect(QRectF(10 * s, 13.8 * s, 190.7 * s, line), Qt::black);
        frame(10, 13.8, 190.7, 297 - 14.3 - 13.8);
    }
}

// Engine (layout and PDF) and floor timed side by side in every iteration.
void BM_LayoutAndPdfAgainstBarePainter(benchmark::State& state)
{
    Setup& s = setup();
    QTemporaryDir out;
    const QList<Row> rows = readRows(s.report->numberView());
    double engineSeconds = 0;
    double floorSeconds = 0;
    int pages = 0;
    for (auto _ : state) {
        QElapsedTimer t;
        t.start();
        const PageList list = s.report->produce();
        PagePainter::writePdf(list, out.filePath(QStringLiteral("engine.pdf")));
        const double engine = t.nsecsElapsed() / 1e9;
        pages = list.count();
        t.restart();
        barePdf(rows, out.filePath(QStringLiteral("floor.pdf")));
        const double floor = t.nsecsElapsed() / 1e9;
        engineSeconds += engine;
        floorSeconds += floor;
        state.SetIterationTime(engine);
    }
    state.counters["pages"] = pages;
    state.counters["engine_ms"] = benchmark::Counter(engineSeconds * 1000, benchmark::Counter::kAvgIterations);
    state.counters["floor_ms"] = benchmark::Counter(floorSeconds * 1000, benchmark::Counter::kAvgIterations);
    state.counters["ratio"] = engineSeconds / floorSeconds;
    if (engineSeconds > 2 * floorSeconds)
        state.SkipWithError("laying out and rendering took more than twice the bare painter loop");
}
BENCHMARK(BM_LayoutAndPdfAgainstBarePainter)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);

// The mark-type want list itself (used marks, 10 000 numbers): from the start
// of the run to the complete page list rendered to a PDF printer, against the
// same-run floor. The list must stay within 1.5 times the floor.
void BM_MarkTypeListToPdfPrinter(benchmark::State& state)
{
    Setup& s = setup();
    TQuickReport5& list = *s.list;
    const AreaKey area{list.report().areaView().asText(u"National ID"), QStringLiteral("Stor")};
    QTemporaryDir out;
    const QList<Row> rows = readRows(s.report->numberView());
    NoProgress progress;
    double engineSeconds = 0;
    double floorSeconds = 0;
    int pages = 0;
    for (auto _ : state) {
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(out.filePath(QStringLiteral("list.pdf")));
        QElapsedTimer t;
        t.start();
        if (!list.prepare(Condition::Used, area)) {
            state.SkipWithError("the area is not there");
            return;
        }
        PageList printed;
        list.report().printTo(printer, progress, &printed);
        const double engine = t.nsecsElapsed() / 1e9;
        pages = printed.count();
        t.restart();
        barePdf(rows, out.filePath(QStringLiteral("floor.pdf")));
        floorSeconds += t.nsecsElapsed() / 1e9;
        engineSeconds += engine;
        state.SetIterationTime(engine);
    }
    state.counters["pages"] = pages;
    state.counters["list_ms"] = benchmark::Counter(engineSeconds * 1000, benchmark::Counter::kAvgIterations);
    state.counters["floor_ms"] = benchmark::Counter(floorSeconds * 1000, benchmark::Counter::kAvgIterations);
    state.counters["ratio"] = engineSeconds / floorSeconds;
    if (engineSeconds > 1.5 * floorSeconds)
        state.SkipWithError("the mark-type list took more than 1.5 times the bare painter loop");
}
BENCHMARK(BM_MarkTypeListToPdfPrinter)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);

// Layout alone, for reference.
void BM_LayoutOnly(benchmark::State& state)
{
    Setup& s = setup();
    int pages = 0;
    for (auto _ : state)
        pages = s.report->produce().count();
    state.counters["pages"] = pages;
}
BENCHMARK(BM_LayoutOnly)->Unit(benchmark::kMillisecond)->Iterations(3);

// Rendering a laid-out page list alone, for reference.
void BM_PdfOnly(benchmark::State& state)
{
    Setup& s = setup();
    QTemporaryDir out;
    const PageList list = s.report->produce();
    for (auto _ : state)
        PagePainter::writePdf(list, out.filePath(QStringLiteral("engine.pdf")));
    state.counters["pages"] = list.count();
}
BENCHMARK(BM_PdfOnly)->Unit(benchmark::kMillisecond)->Iterations(3);

size_t heapInUse()
{
    const struct mallinfo2 info = mallinfo2();
    return info.uordblks + info.hblkhd;
}

// A page list of 1 000 pages from repeated runs, each page its own data.
void BM_PageListMemory1000Pages(benchmark::State& state)
{
    Setup& s = setup();
    double megabytes = 0;
    for (auto _ : state) {
        malloc_trim(0);
        const size_t before = heapInUse();
        PageList list;
        while (list.count() < 1000) {
            const PageList run = s.report->produce();
            for (const PagePtr& page : run.pages()) {
                if (list.count() < 1000)
                    list.append(page);
            }
        }
        megabytes = double(heapInUse() - before) / (1024 * 1024);
        benchmark::DoNotOptimize(list);
    }
    state.counters["pages"] = 1000;
    state.counters["heap_MB"] = megabytes;
    if (megabytes > 200)
        state.SkipWithError("a page list of 1 000 pages holds more than 200 MB");
}
BENCHMARK(BM_PageListMemory1000Pages)->Unit(benchmark::kMillisecond)->Iterations(1);

// 400 rows, each with a scan of its own (1 200 x 1 500 pixels) in the
// largest box the picture list gives one (100 report pixels high, 8.8 x 11.0
// mm), produced in the preview's steps: the page list must hold at most 300 MB and no step may
// keep the window waiting more than 100 ms.
void BM_PicturePageList400(benchmark::State& state)
{
    constexpr int Rows = 400;
    QTemporaryDir dir;
    tablefiles::create(dir.path());
    bench::fillLarge(dir.path(), 1, Rows, Rows, 0);
    QDir(dir.path()).mkpath(QStringLiteral("scans"));
    for (int i = 0; i < Rows; ++i) {
        QImage scan(1200, 1500, QImage::Format_RGB32);
        scan.fill(QColor::fromHsv(i * 360 / Rows, 200, 200));
        tablefiles::writeJpeg(scan, dir.filePath(QStringLiteral("scans/%1.jpg").arg(i + 1)), {});
    }
    Database db(dir.path());
    NoDialogs dialogs;
    Report report(db, CollectionWindow::PictureList, dialogs);
    report.pageSetup().columns = 5;
    ReportBand detail;
    detail.kind = ReportBand::Kind::Detail;
    detail.name = QStringLiteral("DetailBand1");
    detail.height = 17.2;
    detail.elements = {ReportElement::image(QStringLiteral("Picture"), 4, 1, 8.8, 11.0)};
    report.definition().bands = {detail};
    report.areaView().first();
    const QString scans = dir.filePath(QStringLiteral("scans/"));
    double megabytes = 0;
    double longestStepMs = 0;
    int pages = 0;
    for (auto _ : state) {
        const size_t before = heapInUse();
        {
            PageList list;
            PageBuilder::Source source;
            source.definition = &report.definition();
            source.views = {&report.areaView(), &report.numberView(), &report.collectorView()};
            source.hookedBand = QStringLiteral("DetailBand1");
            source.bandHook = [&](ReportBand& band, bool&) {
                ReportElement* picture = band.element(u"Picture");
                picture->picture =
                    report.picture(scans + report.numberView().asText(u"Nummer") + QStringLiteral(".jpg"), *picture);
            };
            PageBuilder builder(source, [&](PagePtr page) { list.append(std::move(page)); });
            builder.begin();
            bool done = false;
            while (!done) {
                QElapsedTimer step;
                step.start();
                done = Report::stepFor(builder, 50);
                longestStepMs = std::max(longestStepMs, step.nsecsElapsed() / 1e6);
            }
            pages = list.count();
            megabytes = double(heapInUse() - before) / (1024 * 1024);
            benchmark::DoNotOptimize(list);
        }
    }
    state.counters["pages"] = pages;
    state.counters["heap_MB"] = megabytes;
    state.counters["longest_step_ms"] = longestStepMs;
    if (megabytes > 300)
        state.SkipWithError("the picture page list holds more than 300 MB");
    else if (longestStepMs > 100)
        state.SkipWithError("a step kept the window waiting more than 100 ms");
}
BENCHMARK(BM_PicturePageList400)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QLocale::setDefault(QLocale(QLocale::Danish, QLocale::Denmark));
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
