// The combined, all-information and picture want lists over a fixed
// collection: their pages as text against checked-in references, the picture
// boxes, and the edge cases of each list. Set KVILBRO_UPDATE_GOLDEN=1 to write
// the references anew after a deliberate change, and review the diff.
#include "Collection.h"
#include "Database.h"
#include "Error.h"
#include "ErrorGuard.h"
#include "JpegWriter.h"
#include "PageText.h"
#include "PreviewWindow.h"
#include "ReportFixture.h"
#include "ScriptedDialogs.h"
#include "TForm14.h"
#include "TForm4.h"
#include "TQuickReport28.h"
#include "TableView.h"

#include <QFontMetricsF>
#include <QImage>
#include <QTest>
#include <QTimer>

using namespace kvilbro;
using namespace kvilbro::test;

namespace {

const AreaKey Danmark{"DK", "Danmark"};

void writePicture(const QString& path, int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(QColor(40, 90, 160));
    if (path.endsWith(".bmp"))
        QVERIFY(image.save(path, "BMP"));
    else
        tablefiles::writeJpeg(image, path);
}

// Danmark: numbers 1..n, marks as in the mark-type list, a remark on every
// sixth; pictures of known sizes on 1 to 4, a missing file on 5. Beside it an
// area that begins with the same text and one of another country.
void fill(Collection& c, int numbers)
{
    c.setCollector({"Jens Jensen", "Frimærkevej 1", "8000 Aarhus C", "12 34 56 78", "jens@example.dk", "2026-12-01"});
    c.addArea("AA", "Danmark");
    c.addArea("DK", "Danmark 1851");
    c.addArea("DK", "Danmark");
    c.addArea("IS", "Island");
    c.addNumber("AA", "Danmark", 999);
    c.addNumber("DK", "Danmark 1851", 888);
    writePicture(c.file("bred.jpg"), 600, 400);
    writePicture(c.file("lille.jpg"), 100, 80);
    writePicture(c.file("frimærke.bmp"), 20, 20);
    writePicture(c.file("strimmel.jpg"), 12000, 300);
    writePicture(c.file("frim2.jpg"), 50, 60);
    const QStringList pictures{"bred.jpg", "lille.jpg", "frimærke.bmp", "strimmel.jpg", "mangler.jpg"};
    for (int n = 1; n <= numbers; ++n) {
        const QString picture = n <= pictures.size() ? c.file(pictures[n - 1]) : QString();
        c.addNumber("DK", "Danmark", n, n % 7 == 0 ? "a" : "",
                    {n % 4 == 0 ? "x" : "", n % 5 == 0 ? "x" : "", n % 3 == 0 ? "x" : ""}, picture,
                    n % 6 == 0
                        ? QString("Bemærkning til nummer %1, som er lang nok til at løbe ud over kolonnen").arg(n)
                        : QString());
    }
}

struct Lists {
    explicit Lists(int numbers)
    {
        fill(collection, numbers);
        db = std::make_unique<Database>(collection.path());
        combined = std::make_unique<TQuickReport28>(*db, dialogs);
        allInformation = std::make_unique<TForm4>(*db, dialogs);
        pictures = std::make_unique<TForm14>(
            *db, dialogs, [this] { return shortfallsOnly; }, [this] { return collection.file("frim2.jpg"); });
        for (Report* r : {&combined->report(), &allInformation->QuickRep1(), &pictures->QuickRep1()})
            r->setToday(QDate(2026, 12, 24));
    }
    PageList combinedPages(const AreaKey& area = Danmark)
    {
        return combined->prepare(area) ? combined->report().produce() : PageList();
    }
    PageList allInformationPages(const AreaKey& area = Danmark)
    {
        return allInformation->prepare(area) ? allInformation->QuickRep1().produce() : PageList();
    }
    PageList picturePages(Condition condition, const AreaKey& area = Danmark)
    {
        return pictures->prepare(condition, area) ? pictures->QuickRep1().produce() : PageList();
    }

    Collection collection;
    std::unique_ptr<Database> db;
    ScriptedDialogs dialogs;
    bool shortfallsOnly = false;
    std::unique_ptr<TQuickReport28> combined;
    std::unique_ptr<TForm4> allInformation;
    std::unique_ptr<TForm14> pictures;
};

QList<QSizeF> pictureBoxes(const Page& page)
{
    QList<QSizeF> out;
    for (const PageItem& item : page.items) {
        if (item.kind == PageItem::Image)
            out << QSizeF(item.w, item.h);
    }
    return out;
}

} // namespace

class WantListsTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { pinEnvironment(); }

    // Every list over 80 numbers (the picture list's first page), each
    // command's pages byte for byte; the check box changes only the picture list.
    void pages_data()
    {
        QTest::addColumn<QString>("list");
        QTest::addColumn<bool>("shortfallsOnly");
        QTest::addColumn<QString>("name");
        QTest::newRow("combined, box ticked") << "combined" << true << "list-combined";
        QTest::newRow("all information, box ticked") << "allinformation" << true << "list-allinformation";
        QTest::newRow("used with pictures") << "used" << false << "list-picture-used";
        QTest::newRow("mint with pictures, shortfalls") << "mint" << true << "list-picture-mint-shortfalls";
        QTest::newRow("unused with pictures") << "unused" << false << "list-picture-unused";
    }
    void pages()
    {
        QFETCH(QString, list);
        QFETCH(bool, shortfallsOnly);
        QFETCH(QString, name);
        Lists l(80);
        l.shortfallsOnly = shortfallsOnly;
        const PageList pages = list == "combined"         ? l.combinedPages()
                               : list == "allinformation" ? l.allInformationPages()
                               : list == "used"           ? l.picturePages(Condition::Used)
                               : list == "mint"           ? l.picturePages(Condition::Mint)
                                                          : l.picturePages(Condition::Unused);
        QVERIFY(pages.count() > 0);
        compareWithGolden(KVILBRO_GOLDEN_DIR, name, PageText::dump(pages));
    }

    void pictureBox_data()
    {
        QTest::addColumn<QSize>("file");
        QTest::addColumn<QSize>("box");
        QTest::newRow("16 %") << QSize(600, 400) << QSize(96, 64);
        QTest::newRow("75 %") << QSize(100, 80) << QSize(75, 60);
        QTest::newRow("small") << QSize(20, 20) << QSize(15, 15);
        QTest::newRow("half to even") << QSize(134, 2) << QSize(100, 2);
        // Past 10 050 pixels no percentage fits: the longer side takes the box.
        QTest::newRow("wide strip") << QSize(12000, 300) << QSize(100, 2);
        QTest::newRow("tall strip") << QSize(300, 12000) << QSize(2, 100);
        QTest::newRow("thread") << QSize(10050, 10) << QSize(100, 1);
        QTest::newRow("nothing") << QSize(0, 0) << QSize(0, 0);
    }
    void pictureBox()
    {
        QFETCH(QSize, file);
        QTEST(TForm14::pictureBox(file), "box");
    }

    // The rows' pictures print in their boxes, measured from the file's header;
    // a missing file or none prints the placeholder.
    void pictureBoxesOnThePage()
    {
        Lists l(6);
        const PageList pages = l.picturePages(Condition::Used);
        QCOMPARE(pages.count(), 1);
        const double px = TForm14::ReportPixelMm;
        const QList<QSizeF> boxes = pictureBoxes(*pages.pages().first());
        const QList<QSize> expected{{96, 64}, {75, 60}, {15, 15}, {100, 2}, {38, 45}, {38, 45}};
        QCOMPARE(boxes.size(), expected.size());
        for (int i = 0; i < boxes.size(); ++i) {
            QVERIFY2(qAbs(boxes[i].width() - expected[i].width() * px) < 0.01 &&
                         qAbs(boxes[i].height() - expected[i].height() * px) < 0.01,
                     qPrintable(QString("row %1").arg(i + 1)));
        }
    }

    void pictureListEdges()
    {
        Lists l(100);
        // 14 boxes to a column, 84 to a page, while no remark makes one taller.
        l.collection.exec("UPDATE stm2manc SET \"Bemærkning\" = NULL");
        l.pictures->QuickRep1().numberView().refresh();
        const PageList all = l.picturePages(Condition::Unused);
        qsizetype boxes = 0;
        for (const PagePtr& page : all.pages())
            boxes += pictureBoxes(*page).size();
        QCOMPARE(boxes, 100);
        QCOMPARE(pictureBoxes(*all.pages().first()).size(), 84);
        // An area without numbers: one page, the placeholder in one empty box.
        const PageList empty = l.picturePages(Condition::Used, {"IS", "Island"});
        QCOMPARE(empty.count(), 1);
        QCOMPARE(pictureBoxes(*empty.pages().first()).size(), 1);
        QVERIFY(!textsOf(*empty.pages().first()).contains("Nr"));
        // Every number owned: the page header and the column header, no rows.
        l.shortfallsOnly = true;
        l.collection.exec("UPDATE stm2manc SET O = 'x'");
        l.pictures->QuickRep1().numberView().refresh();
        const PageList owned = l.picturePages(Condition::Used);
        QCOMPARE(owned.count(), 1);
        QVERIFY(pictureBoxes(*owned.pages().first()).isEmpty());
        QVERIFY(textsOf(*owned.pages().first()).contains("Nr"));
    }

    // A picture that cannot be decoded ends the run, naming the file and the
    // number, also on a row the filter leaves out.
    void undecodablePictureNamesFileAndNumber()
    {
        Lists l(3);
        QFile broken(l.collection.file("bred.jpg"));
        QVERIFY(broken.open(QIODevice::WriteOnly | QIODevice::Truncate));
        broken.write("not a picture");
        broken.close();
        l.shortfallsOnly = true;
        l.collection.exec("UPDATE stm2manc SET O = 'x' WHERE Nummer = 1");
        QString message;
        try {
            l.picturePages(Condition::Used);
        } catch (const Error& e) {
            message = e.message();
        }
        QVERIFY2(message.contains("nummer 1 ") && message.contains("bred.jpg"), qPrintable(message));
    }

    // The combined and all-information lists: every number, whatever the box;
    // none for an empty area; the area found by both link fields.
    void combinedAndAllInformationEdges()
    {
        Lists l(12);
        l.shortfallsOnly = true;
        QCOMPARE(rowNumbers(*l.combinedPages().pages().first()).size(), 12);
        QCOMPARE(l.combinedPages({"IS", "Island"}).count(), 0);
        QCOMPARE(l.allInformationPages({"IS", "Island"}).count(), 0);
        QVERIFY(!l.combined->prepare({"DK", "Danm"}));
        QVERIFY(l.allInformation->prepare(Danmark));
        QCOMPARE(l.allInformation->QuickRep1().areaView().asText(u"National ID"), QString("DK"));
        QVERIFY(l.pictures->prepare(Condition::Used, Danmark));
        QCOMPARE(l.pictures->QuickRep1().areaView().asText(u"Beskrivelse"), QString("Danmark"));
    }

    // Rows of one height whatever the remark; the last row of a column open at the bottom.
    void allInformationRows()
    {
        Lists l(200);
        const PageList pages = l.allInformationPages();
        QVERIFY(pages.count() >= 2);
        QList<double> heights;
        for (const PageItem& item : pages.pages().first()->items) {
            if (item.kind == PageItem::Frame && Sides::fromInt(item.flags) == Sides{Side::Top, Side::Left, Side::Right})
                heights << item.h;
        }
        QVERIFY(heights.size() > 20);
        for (double h : heights)
            QVERIFY(qAbs(h - 7.1) < 0.001);
        // Printing prints every page, not page 1 alone.
        for (int p = 1; p <= pages.count(); ++p)
            QVERIFY(l.allInformation->QuickRep1().pageSetup().inPrintRange(p));
    }

    // The modal preview's worker thread lays out what a run on this thread does.
    void modalRunEqualsPlainRun()
    {
        Lists l(150);
        const QString plain = PageText::dump(l.allInformationPages());
        ErrorGuard::setDialogs(&l.dialogs);
        QString modal;
        QString caption;
        QTimer::singleShot(0, [&] {
            PreviewWindow* preview = l.allInformation->QuickRep1().previewWindow();
            QVERIFY(preview);
            QTRY_VERIFY(!preview->isProducing());
            caption = preview->windowTitle();
            modal = PageText::dump(preview->pages());
            preview->close();
        });
        l.allInformation->run(Danmark);
        ErrorGuard::setDialogs(nullptr);
        QCOMPARE(caption, QString("Print Preview"));
        QCOMPARE(modal, plain);
    }

    // "Cell height of 9 points": ascent plus descent, characters of about 8 points.
    void combinedCellHeight()
    {
        const double size = TQuickReport28::sizeForCellHeight(9.0);
        QVERIFY2(size > 7.9 && size < 8.2, qPrintable(QString::number(size)));
        QFont font = ReportFont{"Arial", size, false}.toQFont();
        font.setPixelSize(900);
        const QFontMetricsF m(font);
        QVERIFY(qAbs((m.ascent() + m.descent()) / 900.0 * size - 9.0) < 0.05);
    }
};

QTEST_MAIN(WantListsTest)
#include "tst_wantlists.moc"
