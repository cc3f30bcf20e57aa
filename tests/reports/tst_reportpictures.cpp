// Pictures in page lists: each file read once per run and box, scaled to the
// box at print resolution, shared by the rows that show it, and read anew by
// the next run.
#include "Error.h"
#include "PictureCache.h"
#include "ReportFixture.h"
#include "TableView.h"
#include "TestPictures.h"

#include <QTest>

using namespace kvilbro;
using namespace kvilbro::test;

namespace {

// The fixture's report with a 20 x 25 mm picture in every row, taken from the row's Billede.
void addPictures(ReportFixture& f)
{
    ReportBand* detail = f.report->definition().band(ReportBand::Kind::Detail);
    detail->height = 26;
    detail->elements.append(ReportElement::image("Picture", 14, 0.5, 20, 25));
    f.report->setBandBeforePrint("DetailBand1", [&f](ReportBand& band, bool&) {
        ReportElement* picture = band.element(u"Picture");
        picture->picture = f.report->picture(f.report->numberView().asText(u"Billede"), *picture);
    });
}

qint64 imageBytes(const PageList& pages)
{
    QSet<qint64> seen;
    qint64 bytes = 0;
    for (const PagePtr& page : pages.pages()) {
        for (const QImage& image : page->images) {
            if (!seen.contains(image.cacheKey()))
                bytes += image.sizeInBytes();
            seen.insert(image.cacheKey());
        }
    }
    return bytes;
}

} // namespace

class ReportPicturesTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { pinEnvironment(); }

    void scaledToTheBoxAndShared()
    {
        ReportFixture f(30);
        QTemporaryDir dir;
        // Every row shows one of three scans of 1200 x 1500 pixels.
        for (int i = 0; i < 3; ++i)
            writePicture(dir.filePath(QString("scan%1.jpg").arg(i)),
                         plainPicture({1200, 1500}, QColor(i * 80, 20, 20)));
        f.collection.exec(QString("UPDATE stm2manc SET Billede = '%1/scan' || (Nummer % 3) || '.jpg'").arg(dir.path()));
        f.report->numberView().refresh();
        addPictures(f);
        const PageList pages = f.report->produce();
        const QSize box = PictureCache::pixelsFor({20, 25});
        QCOMPARE(box, QSize(473, 591));
        QSet<qint64> distinct;
        for (const PagePtr& page : pages.pages()) {
            for (const QImage& image : page->images) {
                QVERIFY(image.width() <= box.width() && image.height() <= box.height());
                distinct.insert(image.cacheKey());
            }
        }
        QCOMPARE(distinct.size(), 3);
        QVERIFY(imageBytes(pages) <= 3 * qint64(box.width()) * box.height() * 4);
    }

    void eachRunReadsTheFilesAnew()
    {
        ReportFixture f(2);
        QTemporaryDir dir;
        const QString scan = dir.filePath("scan.jpg");
        writePicture(scan, plainPicture({400, 500}, QColor(10, 200, 10)));
        f.collection.exec(QString("UPDATE stm2manc SET Billede = '%1'").arg(scan));
        f.report->numberView().refresh();
        addPictures(f);
        QCOMPARE(f.report->produce().count(), 1);
        // Within a run the second row took the first row's picture; the next
        // run looks at the file again and finds it gone.
        QVERIFY(QFile::remove(scan));
        QVERIFY_THROWS_EXCEPTION(Error, f.report->produce());
    }
};

QTEST_MAIN(ReportPicturesTest)
#include "tst_reportpictures.moc"
