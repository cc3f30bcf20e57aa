// Page layout on the page list, in millimetres: columns, pages, fitting,
// stretching, auto-size anchors, suppressed rows, empty data sets, hooks.
#include "Error.h"
#include "ReportFixture.h"
#include "TableView.h"
#include "TextMeasurer.h"

#include <QTest>

using namespace kvilbro;
using namespace kvilbro::test;

namespace {

constexpr double Tolerance = 0.001;

bool near(double a, double b)
{
    return std::abs(a - b) < Tolerance;
}

QString str(const QRectF& r)
{
    return QString("%1 %2 %3 %4").arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height());
}

#define COMPARE_RECT(actual, expected) QCOMPARE(str(actual), str(expected))

} // namespace

class ReportLayoutTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { pinEnvironment(); }

    // 130 rows of 10 mm: 25 to a column, five columns to a page, the rest on page 2.
    void rowsFillDownThenAcross()
    {
        ReportFixture f(130);
        const PageList pages = f.report->produce();
        QCOMPARE(pages.count(), 2);
        QCOMPARE(pages.paperSize(), QSizeF(210, 297));

        const Page& one = *pages.page(0);
        const QList<QRectF> r = frames(one);
        // page header, then per column its header and 25 rows, then the page frame
        QCOMPARE(r.size(), 1 + 5 * (1 + 25) + 1);
        COMPARE_RECT(r.first(), QRectF(10, 10, 190, 20));
        COMPARE_RECT(r.last(), QRectF(10, 10, 190, 277));
        int i = 1;
        for (int column = 0; column < 5; ++column) {
            const double left = 10 + 38 * column;
            COMPARE_RECT(r[i++], QRectF(left, 30, 38, 5));
            for (int row = 0; row < 25; ++row)
                COMPARE_RECT(r[i++], QRectF(left, 35 + 10 * row, 38, 10));
        }
        QStringList expected;
        for (int n = 1; n <= 125; ++n)
            expected << QString::number(n);
        QCOMPARE(rowNumbers(one), expected);

        // Page 2: page header, column 1's header, a partial column of five rows.
        const Page& two = *pages.page(1);
        const QList<QRectF> r2 = frames(two);
        QCOMPARE(r2.size(), 1 + 1 + 5 + 1);
        COMPARE_RECT(r2[0], QRectF(10, 10, 190, 20));
        COMPARE_RECT(r2[1], QRectF(10, 30, 38, 5));
        COMPARE_RECT(r2[6], QRectF(10, 75, 38, 10));
        QCOMPARE(rowNumbers(two), (QStringList{"126", "127", "128", "129", "130"}));
        QVERIFY(textsOf(two).contains("Head"));
        QVERIFY(textsOf(two).contains("Nr."));
    }

    void pageNumberAndDate()
    {
        ReportFixture f(130);
        f.report->definition()
            .band(ReportBand::Kind::PageHeader)
            ->elements.append(ReportElement::date("Date").startingAt(100, 2));
        f.report->setToday(QDate(2026, 12, 24));
        const PageList pages = f.report->produce();
        QCOMPARE(pages.count(), 2);
        for (int p = 0; p < 2; ++p) {
            const QStringList t = textsOf(*pages.page(p));
            QVERIFY(t.contains(QString::number(p + 1)));
            QVERIFY(t.contains("24.12.2026")); // the Danish short date format
            QCOMPARE(pages.page(p)->number, p + 1);
        }
    }

    // Rows of 12.6 mm in a column of 252 mm: 20 fit exactly; 0.01 mm less room and only 19 do.
    void bandFitsAtTheBottomMargin_data()
    {
        QTest::addColumn<double>("rowHeight");
        QTest::addColumn<double>("bottomMargin");
        QTest::addColumn<int>("rowsInFirstColumn");
        QTest::newRow("exactly fits") << 12.6 << 10.0 << 20;
        QTest::newRow("over by a hair") << 12.6 << 10.01 << 19;
        QTest::newRow("a tenth to spare") << 12.6 << 9.9 << 20;
        QTest::newRow("tenths add up") << 0.1 << 251.9 << 101; // 101 rows of 0.1 in 10.1 mm
    }
    void bandFitsAtTheBottomMargin()
    {
        QFETCH(double, rowHeight);
        QFETCH(double, bottomMargin);
        QFETCH(int, rowsInFirstColumn);
        ReportFixture f(150);
        f.report->pageSetup().bottomMargin = bottomMargin;
        ReportBand* detail = f.report->definition().band(ReportBand::Kind::Detail);
        detail->height = rowHeight;
        detail->elements.clear();
        const PageList pages = f.report->produce();
        const QList<QRectF> r = frames(*pages.page(0));
        // The second column header stands right after the first column's last row.
        int rows = 0;
        for (int i = 2; i < r.size() && near(r[i].x(), 10); ++i)
            ++rows;
        QCOMPARE(rows, rowsInFirstColumn);
        COMPARE_RECT(r[2 + rows], QRectF(48, 30, 38, 5));
        QVERIFY(r[1 + rows].bottom() <= 297 - bottomMargin + 1e-4);
    }

    // A wrapping, stretching element makes its row taller; the next row starts below it.
    void stretchedBandGrowsAndPushesTheNext()
    {
        ReportFixture f(3);
        ReportBand* detail = f.report->definition().band(ReportBand::Kind::Detail);
        detail->elements.append(ReportElement::dataField("Remark", ReportElement::View::Numbers, "Bemærkning")
                                    .box(12, 36, 4.5)
                                    .wrapped(true));
        f.collection.exec("UPDATE stm2manc SET \"Bemærkning\" = 'en meget lang bemærkning om dette mærke' "
                          "WHERE Nummer = 2");
        f.report->numberView().refresh();
        const PageList pages = f.report->produce();
        const QList<QRectF> r = frames(*pages.page(0));
        COMPARE_RECT(r[2], QRectF(10, 35, 38, 10));
        const TextMeasurer::Metrics m = TextMeasurer().metrics({"Arial", 10, false});
        int lines = 0;
        for (const PlacedText& t : texts(*pages.page(0))) {
            if (t.x > 21 && t.baseline > r[3].top() && t.baseline < r[3].bottom())
                ++lines;
        }
        QVERIFY2(lines >= 3, qPrintable(QString::number(lines)));
        // Grown by the lines beyond the box's one line.
        QVERIFY(near(r[3].height(), 10 + (lines - 1) * m.lineSpacing));
        QVERIFY(near(r[4].top(), r[3].bottom()));
        QCOMPARE(r[4].height(), 10.0);
    }

    // Without stretch only the lines that fit in the box print, and the band keeps its height.
    void wrapWithoutStretchKeepsTheBox()
    {
        ReportFixture f(1);
        ReportBand* detail = f.report->definition().band(ReportBand::Kind::Detail);
        detail->elements.append(ReportElement::label("Remark", "ord ord ord ord ord ord ord ord ord ord ord")
                                    .box(12, 30, 0)
                                    .wrapped(false)
                                    .withHeight(9));
        const PageList pages = f.report->produce();
        const TextMeasurer::Metrics m = TextMeasurer().metrics({"Arial", 10, false});
        int lines = 0;
        for (const PlacedText& t : texts(*pages.page(0)))
            lines += t.text.startsWith("ord") ? 1 : 0;
        QCOMPARE(lines, 1 + int((9 - m.height) / m.lineSpacing)); // the last line needs no spacing below
        QCOMPARE(frames(*pages.page(0))[2].height(), 10.0);
    }

    // A row taller than a whole column still gets placed, one to a column, and the run ends.
    void bandTallerThanAColumnEnds()
    {
        ReportFixture f(7);
        f.report->definition().band(ReportBand::Kind::Detail)->height = 400;
        const PageList pages = f.report->produce();
        QCOMPARE(pages.count(), 2);
        QCOMPARE(rowNumbers(*pages.page(0)), (QStringList{"1", "2", "3", "4", "5"}));
        QCOMPARE(rowNumbers(*pages.page(1)), (QStringList{"6", "7"}));
        const QList<QRectF> r = frames(*pages.page(1));
        COMPARE_RECT(r[2], QRectF(10, 35, 38, 400));
        COMPARE_RECT(r[3], QRectF(48, 30, 38, 5));
    }

    void autoSizeAnchors_data()
    {
        QTest::addColumn<QString>("caption");
        QTest::newRow("short") << "i";
        QTest::newRow("long") << "Mancoliste over WWW";
    }
    void autoSizeAnchors()
    {
        QFETCH(QString, caption);
        ReportFixture f(1);
        ReportBand* header = f.report->definition().band(ReportBand::Kind::PageHeader);
        header->elements = {
            ReportElement::label("L", caption).startingAt(60, 2),
            ReportElement::label("R", caption).endingAt(60, 8),
            ReportElement::label("C", caption).centredOn(60, 14),
            ReportElement::label("Box", caption).box(100, 180, 2, ReportElement::Align::Right),
            ReportElement::label("Centre", caption).box(100, 180, 8, ReportElement::Align::Center),
        };
        const PageList pages = f.report->produce();
        const QList<PlacedText> t = texts(*pages.page(0));
        const double width = TextMeasurer().width({"Arial", 10, false}, caption);
        // Positions are on the page: the band starts at the margin, 10 mm in.
        QVERIFY(near(t[0].x, 70));
        QVERIFY(near(t[1].x + width, 70));
        QVERIFY(near(t[2].x + width / 2, 70));
        QVERIFY(near(t[3].x + width, 190));
        QVERIFY(near(t[4].x + width / 2, 150));
        QVERIFY(near(t[1].baseline - t[0].baseline, 6));
    }

    // Suppressed rows take no space: the printed ones follow each other without gaps.
    void suppressedRowsTakeNoSpace()
    {
        ReportFixture f(10);
        int calls = 0;
        TableView& numbers = f.report->numberView();
        f.report->setBandBeforePrint("DetailBand1", [&](ReportBand&, bool& print) {
            ++calls;
            QVERIFY(print); // starts true
            print = numbers.asInteger(u"Nummer") % 3 == 0;
        });
        const PageList pages = f.report->produce();
        QCOMPARE(calls, 10);
        QCOMPARE(rowNumbers(*pages.page(0)), (QStringList{"3", "6", "9"}));
        const QList<QRectF> r = frames(*pages.page(0));
        COMPARE_RECT(r[2], QRectF(10, 35, 38, 10));
        COMPARE_RECT(r[3], QRectF(10, 45, 38, 10));
        COMPARE_RECT(r[4], QRectF(10, 55, 38, 10));
    }

    // Every row suppressed: one page with the page header and the first column header.
    void everyRowSuppressed()
    {
        ReportFixture f(400);
        f.report->setBandBeforePrint("DetailBand1", [](ReportBand&, bool& print) { print = false; });
        const PageList pages = f.report->produce();
        QCOMPARE(pages.count(), 1);
        const QList<QRectF> r = frames(*pages.page(0));
        QCOMPARE(r.size(), 3);
        COMPARE_RECT(r[0], QRectF(10, 10, 190, 20));
        COMPARE_RECT(r[1], QRectF(10, 30, 38, 5));
        QCOMPARE(textsOf(*pages.page(0)), (QStringList{"Head", "1", "Nr."}));
    }

    void emptyDataSet_data()
    {
        QTest::addColumn<bool>("printIfEmpty");
        QTest::addColumn<int>("pageCount");
        QTest::addColumn<int>("hookCalls");
        QTest::newRow("nothing") << false << 0 << 0;
        QTest::newRow("print if empty") << true << 1 << 1;
    }
    void emptyDataSet()
    {
        QFETCH(bool, printIfEmpty);
        QFETCH(int, pageCount);
        QFETCH(int, hookCalls);
        ReportFixture f(0);
        f.report->pageSetup().printIfEmpty = printIfEmpty;
        ReportBand* detail = f.report->definition().band(ReportBand::Kind::Detail);
        detail->elements.append(ReportElement::label("Always", "tom"));
        int calls = 0;
        f.report->setBandBeforePrint("DetailBand1", [&](ReportBand&, bool&) { ++calls; });
        const PageList pages = f.report->produce();
        QCOMPARE(pages.count(), pageCount);
        QCOMPARE(calls, hookCalls);
        if (pageCount == 0)
            return;
        // Page header and one detail band with its fields empty; no column header.
        const QList<QRectF> r = frames(*pages.page(0));
        QCOMPARE(r.size(), 3);
        COMPARE_RECT(r[0], QRectF(10, 10, 190, 20));
        COMPARE_RECT(r[1], QRectF(10, 30, 38, 10));
        QCOMPARE(textsOf(*pages.page(0)), (QStringList{"Head", "1", "tom"}));
    }

    // The report hook runs once at the start of each run, before any row; cancelling leaves no page.
    void reportHookOncePerRun()
    {
        ReportFixture f(30);
        int calls = 0;
        int bandCallsAtReportHook = -1;
        int bandCalls = 0;
        bool cancel = false;
        f.report->setBeforePrint([&] {
            ++calls;
            bandCallsAtReportHook = bandCalls;
            return !cancel;
        });
        f.report->setBandBeforePrint("DetailBand1", [&](ReportBand&, bool&) { ++bandCalls; });
        QCOMPARE(f.report->produce().count(), 1);
        QCOMPARE(calls, 1);
        QCOMPARE(bandCallsAtReportHook, 0);
        QCOMPARE(f.report->produce().count(), 1);
        QCOMPARE(calls, 2);
        QCOMPARE(bandCalls, 60);
        cancel = true;
        QCOMPARE(f.report->produce().count(), 0);
        QCOMPARE(calls, 3);
        QCOMPARE(bandCalls, 60);
    }

    // A band hook may change its band's image; the picture is stretched into the box it sets.
    void bandHookSetsImage()
    {
        ReportFixture f(2);
        ReportBand* detail = f.report->definition().band(ReportBand::Kind::Detail);
        detail->elements.append(ReportElement::image("Picture", 20, 1, 0, 0));
        QImage red(40, 20, QImage::Format_RGB32);
        red.fill(Qt::red);
        TableView& numbers = f.report->numberView();
        f.report->setBandBeforePrint("DetailBand1", [&](ReportBand& band, bool&) {
            ReportElement* picture = band.element(u"Picture");
            picture->picture = red;
            picture->width = 4 * numbers.asInteger(u"Nummer");
            picture->height = 2;
        });
        const PageList pages = f.report->produce();
        QList<QRectF> images;
        for (const PageItem& item : pages.page(0)->items) {
            if (item.kind == PageItem::Image)
                images.append(QRectF(item.x, item.y, item.w, item.h));
        }
        QCOMPARE(images.size(), 2);
        COMPARE_RECT(images[0], QRectF(30, 36, 4, 2));
        COMPARE_RECT(images[1], QRectF(30, 46, 8, 2));
        QCOMPARE(pages.page(0)->images.size(), 1); // one picture shared by both rows
    }

    // The area is found by a case-sensitive prefix of Beskrivelse, first in the view's order.
    void locateArea_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("found");
        QTest::addColumn<QString>("area");
        QTest::newRow("prefix") << "Dan" << true << "AA";
        QTest::newRow("whole") << "Danmark B" << true << "DK";
        QTest::newRow("case") << "dan" << false << "";
        QTest::newRow("none") << "Sverige" << false << "";
    }
    void locateArea()
    {
        QFETCH(QString, text);
        QFETCH(bool, found);
        QFETCH(QString, area);
        Collection c;
        c.addArea("DK", "Danmark B");
        c.addArea("AA", "Danmark A");
        c.addArea("FR", "Frankrig");
        Database db(c.path());
        ScriptedDialogs dialogs;
        Report report(db, CollectionWindow::MarkTypeList, dialogs);
        report.areaView().last();
        QCOMPARE(report.locateArea(text), found);
        if (found)
            QCOMPARE(report.areaView().asText(u"National ID"), area);
    }

    void namedElements()
    {
        ReportFixture f(1);
        f.report->setCaption(u"Head", "Ny titel");
        f.report->setDataField(u"Type", "Bemærkning");
        QCOMPARE(f.report->element(u"Type").field, QString("Bemærkning"));
        QVERIFY_THROWS_EXCEPTION(Error, f.report->setDataField(u"Type", "Findes ikke"));
        QCOMPARE(f.report->element(u"Type").field, QString("Bemærkning"));
        QVERIFY_THROWS_EXCEPTION(Error, f.report->setCaption(u"Ingen", "x"));
        QVERIFY(textsOf(*f.report->produce().page(0)).contains("Ny titel"));
    }

    // An error in a hook ends the run and leaves the report free for the next one.
    void hookErrorEndsTheRun()
    {
        ReportFixture f(10);
        bool fail = true;
        f.report->setBandBeforePrint("DetailBand1", [&](ReportBand&, bool&) {
            if (fail)
                throw Error("Billedet kan ikke læses");
        });
        QVERIFY_THROWS_EXCEPTION(Error, f.report->produce());
        QVERIFY(!f.report->isRunning());
        fail = false;
        QCOMPARE(f.report->produce().count(), 1);
    }
};

QTEST_MAIN(ReportLayoutTest)
#include "tst_reportlayout.moc"
