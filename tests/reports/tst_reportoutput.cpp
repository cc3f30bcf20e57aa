// What leaves the program: PDF pages checked with poppler-utils, frame lines
// probed in renderings at two resolutions, printing a range, the report file
// and the plain text rendering.
#include "Error.h"
#include "ErrorGuard.h"
#include "PagePainter.h"
#include "PageText.h"
#include "Progress.h"
#include "ReportFile.h"
#include "ReportFixture.h"
#include "TForm14.h"
#include "TForm4.h"
#include "TQuickReport28.h"
#include "TQuickReport5.h"
#include "TableView.h"
#include "TextMeasurer.h"

#include <QMap>
#include <QPainter>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

using namespace kvilbro;
using namespace kvilbro::test;

namespace {

constexpr double PtPerMm = 72 / 25.4;

QString run(const QString& program, const QStringList& args)
{
    QProcess p;
    p.start(program, args);
    if (!p.waitForFinished(60000) || p.exitCode() != 0)
        qFatal("%s failed: %s", qPrintable(program), p.readAllStandardError().constData());
    return QString::fromUtf8(p.readAllStandardOutput());
}

bool havePoppler()
{
    return !QStandardPaths::findExecutable("pdftotext").isEmpty() &&
           !QStandardPaths::findExecutable("pdftoppm").isEmpty() &&
           !QStandardPaths::findExecutable("pdfinfo").isEmpty();
}

#define REQUIRE_POPPLER()                                                                                              \
    if (!havePoppler())                                                                                                \
    QSKIP("poppler-utils (pdftotext, pdftoppm, pdfinfo) not installed")

int pdfPages(const QString& path)
{
    const auto m = QRegularExpression("Pages:\\s+(\\d+)").match(run("pdfinfo", {path}));
    return m.hasMatch() ? m.captured(1).toInt() : -1;
}

struct Word {
    int page;
    QString text;
    double xMin, yMin, xMax, yMax;
};

QList<Word> pdfWords(const QString& path)
{
    const QString html = run("pdftotext", {"-bbox", path, "-"});
    QList<Word> out;
    int page = 0;
    static const QRegularExpression token(
        "<page |<word xMin=\"([\\d.]+)\" yMin=\"([\\d.]+)\" xMax=\"([\\d.]+)\" yMax=\"([\\d.]+)\">([^<]*)</word>");
    for (auto it = token.globalMatch(html); it.hasNext();) {
        const auto m = it.next();
        if (m.captured(0).startsWith("<page")) {
            ++page;
            continue;
        }
        QString text = m.captured(5);
        text.replace("&amp;", "&").replace("&lt;", "<").replace("&gt;", ">").replace("&quot;", "\"");
        out.append({page, text, m.captured(1).toDouble(), m.captured(2).toDouble(), m.captured(3).toDouble(),
                    m.captured(4).toDouble()});
    }
    return out;
}

// Each single-word text of the page list must be found at its place in the PDF.
void expectWordsInPlace(const PageList& pages, const QList<Word>& words, int pdfPage, int listPage)
{
    int checked = 0;
    for (const PlacedText& t : texts(*pages.page(listPage))) {
        if (t.text.contains(' ') || t.text.isEmpty())
            continue;
        const double x = t.x * PtPerMm;
        const double baseline = t.baseline * PtPerMm;
        const bool found = std::any_of(words.begin(), words.end(), [&](const Word& w) {
            return w.page == pdfPage && w.text == t.text && std::abs(w.xMin - x) < 0.6 && w.yMin < baseline &&
                   baseline < w.yMax;
        });
        QVERIFY2(found, qPrintable(QString("\"%1\" not at %2 / %3 pt").arg(t.text).arg(x).arg(baseline)));
        ++checked;
    }
    QVERIFY(checked >= 5);
}

// Darkest grey value on a short run of pixels across a line, from `from` to `to` (mm).
int darkest(const QImage& image, double dpi, QPointF from, QPointF to)
{
    int best = 255;
    for (int i = 0; i <= 20; ++i) {
        const QPointF mm = from + (to - from) * (i / 20.0);
        const int x = int(mm.x() * dpi / 25.4);
        const int y = int(mm.y() * dpi / 25.4);
        if (image.valid(x, y))
            best = std::min(best, qGray(image.pixel(x, y)));
    }
    return best;
}

// Frame lines of the fixture's page 1 where they must be, and white beside them.
void probeFrames(const QImage& image, double dpi)
{
    QVERIFY(!image.isNull());
    QCOMPARE(image.width(), qRound(210 * dpi / 25.4));
    struct Probe {
        const char* what;
        QPointF from, to;
        bool ink;
    };
    const Probe probes[] = {
        {"page frame left", {9.9, 150}, {10.3, 150}, true},
        {"page frame top", {100, 9.9}, {100, 10.3}, true},
        {"page frame right", {199.7, 150}, {200.1, 150}, true},
        {"page frame bottom", {100, 286.7}, {100, 287.1}, true},
        {"row 1 bottom", {35, 44.7}, {35, 45.1}, true},
        {"column 2 left", {47.9, 100}, {48.3, 100}, true},
        {"inside row 12", {11, 150}, {13, 150}, false},
        {"inside the header", {60, 25}, {140, 25}, false},
        {"below the page frame", {100, 288}, {100, 296}, false},
        {"left of the page frame", {1, 150}, {9.4, 150}, false},
    };
    for (const Probe& p : probes) {
        const int grey = darkest(image, dpi, p.from, p.to);
        if (p.ink)
            QVERIFY2(grey < 200, qPrintable(QString("%1 at %2 dpi: %3").arg(p.what).arg(dpi).arg(grey)));
        else
            QVERIFY2(grey > 240, qPrintable(QString("%1 at %2 dpi: %3").arg(p.what).arg(dpi).arg(grey)));
    }
}

class RecordingProgress : public Progress {
public:
    void show(const QString& text) override { shown << text; }
    void setRange(int, int) override {}
    void setPosition(int) override {}
    void hide() override { shown << "hidden"; }
    QStringList shown;
};

} // namespace

class ReportOutputTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { pinEnvironment(); }

    void pdfPagesAndWords()
    {
        REQUIRE_POPPLER();
        ReportFixture f(130);
        const PageList pages = f.report->produce();
        QTemporaryDir dir;
        const QString pdf = dir.filePath("liste.pdf");
        PagePainter::writePdf(pages, pdf);
        QCOMPARE(pdfPages(pdf), 2);
        const QString boxes = run("pdfinfo", {"-box", pdf});
        // Qt gives A4 in whole points.
        QVERIFY2(
            boxes.contains(QRegularExpression("MediaBox:\\s+0\\.00\\s+0\\.00\\s+595\\.\\d+\\s+(841\\.89|842\\.00)")),
            qPrintable(boxes));
        const QList<Word> words = pdfWords(pdf);
        expectWordsInPlace(pages, words, 1, 0);
        expectWordsInPlace(pages, words, 2, 1);
    }

    void printRange_data()
    {
        QTest::addColumn<int>("first");
        QTest::addColumn<int>("last");
        QTest::addColumn<int>("printed");
        QTest::addColumn<QString>("firstRow");
        QTest::newRow("all") << 0 << 0 << 3 << "1";
        QTest::newRow("1 to 1") << 1 << 1 << 1 << "1";
        QTest::newRow("from 2") << 2 << 0 << 2 << "126";
        QTest::newRow("2 to 999") << 2 << 999 << 2 << "126";
        QTest::newRow("3 to 3") << 3 << 3 << 1 << "251";
    }
    void printRange()
    {
        REQUIRE_POPPLER();
        QFETCH(int, first);
        QFETCH(int, last);
        QFETCH(int, printed);
        QFETCH(QString, firstRow);
        ReportFixture f(260);
        f.report->pageSetup().title = "Mancoliste";
        f.report->pageSetup().firstPage = first;
        f.report->pageSetup().lastPage = last;
        QTemporaryDir dir;
        const QString pdf = dir.filePath("print.pdf");
        QPrinter& printer = f.report->printer();
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf);
        RecordingProgress progress;
        f.report->setPrintProgress(&progress);
        int hookRuns = 0;
        f.report->setBeforePrint([&] { return ++hookRuns > 0; });
        QVERIFY(f.report->print());
        QCOMPARE(hookRuns, 1);
        QCOMPARE(pdfPages(pdf), printed);
        QCOMPARE(progress.shown.size(), printed + 2); // "Udskriver", one per page, hidden
        QCOMPARE(progress.shown.last(), QString("hidden"));
        const QList<Word> words = pdfWords(pdf);
        const auto firstNumber = std::find_if(
            words.begin(), words.end(), [](const Word& w) { return w.yMin > 30 * PtPerMm && w.text.toInt() > 0; });
        QVERIFY(firstNumber != words.end());
        QCOMPARE(firstNumber->text, firstRow);
        QVERIFY(run("pdfinfo", {pdf}).contains(QRegularExpression("Title:\\s+Mancoliste")));
    }

    // The combined, all-information and picture lists on paper: every
    // one-word text of the first page found at its place in the PDF.
    void wantListsOnPaper_data()
    {
        QTest::addColumn<QString>("list");
        QTest::newRow("combined") << "combined";
        QTest::newRow("all information") << "allinformation";
        QTest::newRow("pictures") << "pictures";
    }
    void wantListsOnPaper()
    {
        REQUIRE_POPPLER();
        QFETCH(QString, list);
        Collection c;
        c.setCollector({"Jens Jensen", "Frimærkevej 1", "8000 Aarhus C", "", "", "2026-12-01"});
        c.addArea("DK", "Danmark");
        c.exec("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 300) "
               "INSERT INTO stm2manc (Land, Stamoplysning, Nummer, O, \"***\", \"Bemærkning\") "
               "SELECT 'DK', 'Danmark', i, CASE WHEN i % 2 = 0 THEN 'x' END, CASE WHEN i % 3 = 0 THEN 'x' END, "
               "CASE WHEN i % 5 = 0 THEN 'Tynd' END FROM n");
        QImage placeholder(50, 60, QImage::Format_RGB32);
        placeholder.fill(Qt::gray);
        QVERIFY(placeholder.save(c.file("frim2.bmp"), "BMP"));
        Database db(c.path());
        ScriptedDialogs dialogs;
        const AreaKey area{"DK", "Danmark"};
        PageList pages;
        if (list == "combined") {
            TQuickReport28 report(db, dialogs);
            QVERIFY(report.prepare(area));
            pages = report.report().produce();
        } else if (list == "allinformation") {
            TForm4 report(db, dialogs);
            QVERIFY(report.prepare(area));
            pages = report.QuickRep1().produce();
        } else {
            TForm14 report(
                db, dialogs, [] { return false; }, [&c] { return c.file("frim2.bmp"); });
            QVERIFY(report.prepare(Condition::Mint, area));
            pages = report.QuickRep1().produce();
        }
        QVERIFY(pages.count() >= 1);
        QTemporaryDir dir;
        const QString pdf = dir.filePath("liste.pdf");
        PagePainter::writePdf(pages, pdf);
        QCOMPARE(pdfPages(pdf), pages.count());
        expectWordsInPlace(pages, pdfWords(pdf), 1, 0);
    }

    // The mark-type list on paper: page header on both pages, each number in
    // the box of its column, the mark column's ticks under its caption.
    void markTypeListOnPaper()
    {
        REQUIRE_POPPLER();
        Collection c;
        c.setCollector({"Jens Jensen", "Frimærkevej 1", "8000 Aarhus C", "", "", "2026-12-01"});
        c.addArea("DK", "Danmark");
        c.exec("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 400) "
               "INSERT INTO stm2manc (Land, Stamoplysning, Nummer, O) "
               "SELECT 'DK', 'Danmark', i, CASE WHEN i % 2 = 0 THEN 'x' END FROM n");
        Database db(c.path());
        ScriptedDialogs dialogs;
        TQuickReport5 list(db, dialogs, [] { return false; });
        QVERIFY(list.prepare(Condition::Used, {"DK", "Danmark"}));
        const PageList pages = list.report().produce();
        QCOMPARE(pages.count(), 2);
        QTemporaryDir dir;
        const QString pdf = dir.filePath("liste.pdf");
        PagePainter::writePdf(pages, pdf);
        const QList<Word> words = pdfWords(pdf);

        QList<int> pagesWithLabel;
        QMap<int, double> numberLeft; // by number, page 1 and 2 alike
        QMap<int, int> numberPage;
        int ticks = 0;
        for (qsizetype i = 0; i + 1 < words.size(); ++i) {
            if (words[i].text == "Side" && words[i + 1].text == "nr.")
                pagesWithLabel << words[i].page;
        }
        for (const Word& w : words) {
            bool isNumber = false;
            const int n = w.text.toInt(&isNumber);
            if (isNumber && w.yMin > 31 * PtPerMm) { // below the column header
                numberLeft[n] = w.xMin / PtPerMm;
                numberPage[n] = w.page;
            }
            if (w.text == "x") {
                // Centred in its column's mark box, 32.9 to 36.9 mm from the column's left.
                const double inColumn = std::fmod(w.xMin / PtPerMm - 10.0, 38.1);
                QVERIFY2(inColumn > 32.9 && inColumn < 36.9, qPrintable(QString::number(inColumn)));
                ++ticks;
            }
        }
        QCOMPARE(pagesWithLabel, (QList<int>{1, 2}));
        QCOMPARE(numberLeft.size(), 400);
        QCOMPARE(ticks, 200);
        // Rows fill a column top to bottom, then the next; each number right-aligned in 0.0-8.8 mm.
        const int perColumn = int(std::count_if(numberLeft.keyBegin(), numberLeft.keyEnd(),
                                                [&](int n) { return numberPage[n] == 1 && numberLeft[n] < 48.1; }));
        QVERIFY(perColumn > 60);
        for (auto it = numberLeft.constBegin(); it != numberLeft.constEnd(); ++it) {
            const int index = it.key() - 1 - (numberPage[it.key()] - 1) * 5 * perColumn;
            const double columnLeft = 10.0 + (index / perColumn) * 38.1;
            QVERIFY2(it.value() >= columnLeft && it.value() < columnLeft + 8.8,
                     qPrintable(QString("%1 at %2 mm, column from %3").arg(it.key()).arg(it.value()).arg(columnLeft)));
        }
        QCOMPARE(numberPage[400], 2);
    }

    // A range that starts past the last page prints nothing, and says so
    // instead of reporting a print that did not happen.
    void rangePastTheLastPageSaysSo()
    {
        ReportFixture f(260); // three pages
        ScriptedDialogs& dialogs = f.dialogs;
        ErrorGuard::setDialogs(&dialogs);
        f.report->pageSetup().firstPage = 5;
        QTemporaryDir dir;
        QPrinter& printer = f.report->printer();
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(dir.filePath("print.pdf"));
        RecordingProgress progress;
        f.report->setPrintProgress(&progress);
        const bool printed = f.report->print();
        ErrorGuard::setDialogs(nullptr);
        QVERIFY(!printed);
        QCOMPARE(
            dialogs.messages(),
            QStringList{"Der er intet at udskrive: udskriften skal begynde på side 5, men listen har kun 3 sider."});
        QVERIFY(!QFileInfo(dir.filePath("print.pdf")).exists() || QFileInfo(dir.filePath("print.pdf")).size() == 0);
    }

    // Printing runs the report again; with nothing changed its pages are the preview's.
    void printRunEqualsPreviewRun()
    {
        REQUIRE_POPPLER();
        ReportFixture f(260);
        f.report->setToday(QDate(2026, 12, 24));
        f.report->definition()
            .band(ReportBand::Kind::PageHeader)
            ->elements.append(ReportElement::date("Date").startingAt(100, 2));
        const PageList preview = f.report->produce();
        QTemporaryDir dir;
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(dir.filePath("print.pdf"));
        RecordingProgress progress;
        PageList printed;
        f.report->printTo(printer, progress, &printed);
        QCOMPARE(PageText::dump(printed), PageText::dump(preview));

        // Also on paper: the words of the printout stand where the preview's PDF has them.
        PagePainter::writePdf(preview, dir.filePath("preview.pdf"));
        auto key = [](const QList<Word>& words) {
            QStringList out;
            for (const Word& w : words)
                out << QString("%1 %2 %3 %4").arg(w.page).arg(w.text).arg(w.xMin, 0, 'f', 1).arg(w.yMax, 0, 'f', 1);
            return out;
        };
        QCOMPARE(key(pdfWords(dir.filePath("print.pdf"))), key(pdfWords(dir.filePath("preview.pdf"))));
    }

    // The hooks run again when printing and see the state of that moment.
    void printFollowsTheStateOfTheMoment()
    {
        ReportFixture f(20);
        bool onlyEven = false;
        TableView& numbers = f.report->numberView();
        f.report->setBandBeforePrint("DetailBand1", [&](ReportBand&, bool& print) {
            if (onlyEven)
                print = numbers.asInteger(u"Nummer") % 2 == 0;
        });
        QCOMPARE(rowNumbers(*f.report->produce().page(0)).size(), 20);
        onlyEven = true;
        QTemporaryDir dir;
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(dir.filePath("print.pdf"));
        RecordingProgress progress;
        PageList printed;
        f.report->printTo(printer, progress, &printed);
        QCOMPARE(rowNumbers(*printed.page(0)).size(), 10);
    }

    void framesInPdfRendering_data()
    {
        QTest::addColumn<int>("dpi");
        QTest::newRow("100 dpi") << 100;
        QTest::newRow("300 dpi") << 300;
    }
    void framesInPdfRendering()
    {
        REQUIRE_POPPLER();
        QFETCH(int, dpi);
        ReportFixture f(130);
        QTemporaryDir dir;
        const QString pdf = dir.filePath("liste.pdf");
        PagePainter::writePdf(f.report->produce(), pdf);
        run("pdftoppm",
            {"-r", QString::number(dpi), "-f", "1", "-l", "1", "-png", "-singlefile", pdf, dir.filePath("page")});
        probeFrames(QImage(dir.filePath("page.png")).convertToFormat(QImage::Format_RGB32), dpi);
    }

    // The preview draws with the same code on a raster device at its own scale.
    void framesInRasterRendering_data()
    {
        QTest::addColumn<int>("dpi");
        QTest::newRow("72 dpi") << 72;
        QTest::newRow("200 dpi") << 200;
    }
    void framesInRasterRendering()
    {
        QFETCH(int, dpi);
        ReportFixture f(130);
        const PageList pages = f.report->produce();
        QImage image(qRound(210 * dpi / 25.4), qRound(297 * dpi / 25.4), QImage::Format_RGB32);
        image.setDotsPerMeterX(qRound(96 / 0.0254));
        image.setDotsPerMeterY(qRound(96 / 0.0254));
        image.fill(Qt::white);
        QPainter painter(&image);
        PagePainter::paint(painter, *pages.page(0), dpi / 25.4, 1.0);
        painter.end();
        probeFrames(image, dpi);
        // A 10 pt text is 10 pt on any device: "Head" spans its measured width.
        int left = image.width();
        int right = 0;
        const int baseline = int((10 + 2 + 3) * dpi / 25.4);
        for (int x = int(11 * dpi / 25.4); x < int(40 * dpi / 25.4); ++x) {
            for (int y = int(12 * dpi / 25.4); y < baseline; ++y) {
                if (qGray(image.pixel(x, y)) < 128) {
                    left = std::min(left, x);
                    right = std::max(right, x);
                }
            }
        }
        // The ink is a little narrower than the advance measured for the layout, never wider.
        const double inkMm = (right - left + 1) * 25.4 / dpi;
        const double advance = TextMeasurer().width({"Arial", 10, false}, "Head");
        QVERIFY2(inkMm > advance - 1.2 && inkMm < advance + 0.3,
                 qPrintable(QString("%1 / %2").arg(inkMm).arg(advance)));
    }

    void reportFileRoundTrip()
    {
        ReportFixture f(130);
        QImage picture(30, 20, QImage::Format_RGB32);
        picture.fill(Qt::blue);
        ReportBand* detail = f.report->definition().band(ReportBand::Kind::Detail);
        detail->elements.append(ReportElement::image("Picture", 25, 1, 5, 3));
        detail->elements.last().picture = picture;
        f.report->pageSetup().title = "Mancoliste";
        const PageList pages = f.report->produce();
        QTemporaryDir dir;
        const QString path = dir.filePath("liste.kvr");
        ReportFile::save(pages, path);
        const PageList loaded = ReportFile::load(path);
        QCOMPARE(PageText::dump(loaded), PageText::dump(pages));
        QCOMPARE(loaded.title(), QString("Mancoliste"));
        QCOMPARE(loaded.page(0)->images.size(), 1);
        QCOMPARE(loaded.page(0)->images[0].pixel(5, 5), picture.pixel(5, 5));
    }

    void damagedReportFileRefused_data()
    {
        QTest::addColumn<int>("damage");
        QTest::addColumn<QString>("message");
        const QString damaged = "Filen liste.kvr er ikke en rapportfil, eller den er beskadiget.";
        QTest::newRow("empty") << 0 << damaged;
        QTest::newRow("cut short") << 1 << damaged;
        QTest::newRow("one byte changed") << 2 << damaged;
        QTest::newRow("a PDF") << 3 << damaged;
        QTest::newRow("bytes appended") << 4 << damaged;
        QTest::newRow("newer version") << 5
                                       << "Rapportfilen liste.kvr er gemt af en anden version af programmet og kan "
                                          "ikke vises.";
    }
    void damagedReportFileRefused()
    {
        QFETCH(int, damage);
        QFETCH(QString, message);
        ReportFixture f(30);
        QByteArray bytes = ReportFile::encode(f.report->produce());
        switch (damage) {
        case 0:
            bytes.clear();
            break;
        case 1:
            bytes.truncate(bytes.size() / 2);
            break;
        case 2:
            bytes[bytes.size() * 2 / 3] = char(bytes[bytes.size() * 2 / 3] ^ 0x10);
            break;
        case 3:
            bytes = "%PDF-1.4\n%\xe2\xe3\xcf\xd3\n1 0 obj\n<< /Type /Catalog >>\nendobj\n";
            break;
        case 4:
            bytes.append("xyz");
            break;
        case 5:
            bytes[5] = char(bytes[5] + 1);
            break;
        }
        QTemporaryDir dir;
        QFile file(dir.filePath("liste.kvr"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        file.close();
        try {
            ReportFile::load(file.fileName());
            QFAIL("a damaged file was accepted");
        } catch (const Error& e) {
            QCOMPARE(e.message(), message);
        }
    }

    void plainTextFile()
    {
        ReportFixture f(130);
        f.report->setCaption(u"Head", "Mancoliste for Jens Jensen, Frimærkevej 1");
        const QByteArray bytes = PageText::plainFile(f.report->produce());
        const QList<QByteArray> lines = bytes.split('\n');
        QVERIFY2(lines.first().trimmed().startsWith("Mancoliste for Jens Jensen, Frim\xe6rkevej 1"),
                 lines.first().constData());
        for (qsizetype i = 0; i + 1 < lines.size(); ++i)
            QVERIFY(lines[i].endsWith('\r'));
        QCOMPARE(bytes.count('\f'), 1); // two pages
        // Row 1 and row 26 stand side by side on one line, in their columns.
        const auto row = std::find_if(lines.begin(), lines.end(), [](const QByteArray& l) {
            return l.trimmed().startsWith("1 ") || l.trimmed() == "1";
        });
        QVERIFY(row != lines.end());
        QVERIFY2(row->simplified().startsWith("1 26 51 76 a 101"), row->constData());
    }
};

QTEST_MAIN(ReportOutputTest)
#include "tst_reportoutput.moc"
