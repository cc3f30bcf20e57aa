// What decoding a picture may take: the memory counted from the header
// against the bound, and huge progressive pictures refused before anything is
// allocated for them.
#include "DemoPictures.h"
#include "ErrorOf.h"
#include "FlatJpeg.h"
#include "PictureLoader.h"
#include "TestPictures.h"

#include <QBuffer>
#include <QTemporaryDir>
#include <QTest>

using namespace kvilbro;
using namespace kvilbro::test;

namespace {

QByteArray jpegOf(const QImage& image, bool progressive, bool grayscale = false, bool fullColour = false)
{
    tablefiles::JpegOptions options;
    options.progressive = progressive;
    options.grayscale = grayscale;
    options.fullColour = fullColour;
    return tablefiles::encodeJpeg(image, options);
}

const QString Refused = QStringLiteral("Billedet er for stort til at blive vist");

} // namespace

class PictureMemoryTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QVERIFY(dir.isValid()); }

    // Decoding at exactly the bound succeeds; a byte less is refused from
    // the header, whichever part of the need was left out of the count.
    void decodingNeedIsCounted_data()
    {
        QTest::addColumn<QByteArray>("jpeg");
        QTest::addColumn<QSize>("box");
        QTest::addColumn<QSize>("decoded");
        QTest::addColumn<qint64>("needed");
        QImage picture = plainPicture({1000, 600}, QColor(120, 160, 90));
        tablefiles::addGrain(picture, 3);
        const qint64 pixels = 1000 * 600 * 4;
        // Colour halved: Y has 125 x 75 blocks, which libjpeg rounds up to
        // whole MCUs of 2 x 2 blocks, 126 x 76; Cb and Cr 63 x 38 each.
        const qint64 halved = (126 * 76 + 2 * 63 * 38) * 64 * 2;
        const QByteArray progressive = jpegOf(picture, true);
        QTest::newRow("baseline: the picture alone") << jpegOf(picture, false) << QSize() << QSize(1000, 600) << pixels;
        QTest::newRow("baseline at a quarter")
            << jpegOf(picture, false) << QSize(250, 150) << QSize(250, 150) << qint64(250 * 150 * 4);
        QTest::newRow("progressive: every coefficient besides, whole MCUs")
            << progressive << QSize() << QSize(1000, 600) << pixels + halved;
        QTest::newRow("progressive at a quarter: the coefficients at full size")
            << progressive << QSize(250, 150) << QSize(250, 150) << 250 * 150 * 4 + halved;
        QTest::newRow("progressive, colour in full")
            << jpegOf(picture, true, false, true) << QSize() << QSize(1000, 600) << pixels + 3 * 125 * 75 * 64 * 2;
        QTest::newRow("progressive grey")
            << jpegOf(picture, true, true) << QSize() << QSize(1000, 600) << pixels + 125 * 75 * 64 * 2;
    }
    void decodingNeedIsCounted()
    {
        QFETCH(QByteArray, jpeg);
        QFETCH(QSize, box);
        QFETCH(QSize, decoded);
        QFETCH(qint64, needed);
        QBuffer buffer(&jpeg);
        QImage image;
        QCOMPARE(errorOf([&] { image = decodePicture(buffer, "jpg", QString(), needed, QImage(), box); }), QString());
        QCOMPARE(image.size(), decoded);
        QBuffer again(&jpeg);
        QVERIFY(
            errorOf([&] { decodePicture(again, "jpg", QString(), needed - 1, QImage(), box); }).startsWith(Refused));
    }

    // 16000 x 16000 pixels, progressive: 768 MB of coefficients at any scale.
    // Refused with the file's name and the picture's own size.
    void hugeProgressiveRefused_data()
    {
        QTest::addColumn<QSize>("box");
        QTest::newRow("full size") << QSize();
        QTest::newRow("for the panel's box") << QSize(100, 100);
    }
    void hugeProgressiveRefused()
    {
        QFETCH(QSize, box);
        const QString path = dir.filePath("huge.jpg");
        if (!QFile::exists(path))
            writeBytes(path, flatProgressiveJpeg(16000, 16000));
        QCOMPARE(errorOf([&] { loadPictureFor(path, box); }),
                 "Billedet " + path +
                     " er for stort til at blive vist: 16000 × 16000 punkter ville bruge mere end "
                     "512 MiB hukommelse");
    }

    // The made-up progressive files are good JPEG: all mid grey, every scan there.
    void flatProgressiveJpegDecodes()
    {
        QByteArray jpeg = flatProgressiveJpeg(37, 23);
        QBuffer buffer(&jpeg);
        const QImage image = decodePicture(buffer, "jpg");
        QCOMPARE(image.size(), QSize(37, 23));
        QCOMPARE(image.pixel(0, 0), qRgb(128, 128, 128));
        QCOMPARE(image.pixel(36, 22), qRgb(128, 128, 128));
    }

private:
    QTemporaryDir dir;
};

QTEST_GUILESS_MAIN(PictureMemoryTest)
#include "tst_picturememory.moc"
