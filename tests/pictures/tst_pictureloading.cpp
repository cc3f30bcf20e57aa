// The picture-file test, picture loading through libjpeg and Qt's bitmap
// reader with its failures, and the picture fit.
#include "Collection.h"
#include "DemoPictures.h"
#include "Error.h"
#include "PictureFile.h"
#include "PictureFit.h"
#include "PictureLoader.h"
#include "TestPictures.h"

#include <QBuffer>
#include <QDataStream>
#include <QImageReader>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

using namespace kvilbro;
using namespace kvilbro::test;

namespace {

QString errorOf(const std::function<void()>& f)
{
    try {
        f();
    } catch (const Error& e) {
        if (e.kind() != Error::Kind::Picture)
            return "wrong kind: " + e.message();
        return e.message();
    }
    return QString();
}

// A bitmap written byte by byte: file header, 40-byte info header, palette, pixels.
QByteArray bitmap(int width, int height, int bits, int compression, const QList<QRgb>& palette,
                  const QByteArray& pixels)
{
    QByteArray out;
    QDataStream s(&out, QIODevice::WriteOnly);
    s.setByteOrder(QDataStream::LittleEndian);
    const quint32 offset = 14 + 40 + quint32(palette.size()) * 4;
    s.writeRawData("BM", 2);
    s << quint32(offset + pixels.size()) << quint16(0) << quint16(0) << quint32(offset);
    s << quint32(40) << qint32(width) << qint32(height) << quint16(1) << quint16(bits) << quint32(compression)
      << quint32(pixels.size()) << qint32(2835) << qint32(2835) << quint32(palette.size()) << quint32(palette.size());
    for (QRgb c : palette)
        s << quint8(qBlue(c)) << quint8(qGreen(c)) << quint8(qRed(c)) << quint8(0);
    s.writeRawData(pixels.constData(), int(pixels.size()));
    return out;
}

// A 4 x 2 run-length bitmap: the bottom row red, the top row blue.
const QByteArray Rle8Rows = QByteArray::fromHex("0401"
                                                "0000"
                                                "0402"
                                                "0001");

QByteArray rle8(const QByteArray& data)
{
    return bitmap(4, 2, 8, 1, {qRgb(0, 0, 0), qRgb(255, 0, 0), qRgb(0, 0, 255)}, data);
}

// Sets the size in the frame header (SOF0) of a baseline JPEG.
QByteArray withJpegSize(QByteArray jpeg, int width, int height)
{
    const qsizetype sof = jpeg.indexOf(QByteArray::fromHex("ffc0"));
    Q_ASSERT(sof > 0);
    jpeg[sof + 5] = char(height >> 8);
    jpeg[sof + 6] = char(height & 0xff);
    jpeg[sof + 7] = char(width >> 8);
    jpeg[sof + 8] = char(width & 0xff);
    return jpeg;
}

QImage grainy(QSize size)
{
    QImage image = plainPicture(size, QColor(120, 160, 90));
    tablefiles::addGrain(image, 7);
    return image;
}

QByteArray jpegOf(const QImage& image, bool progressive = false)
{
    tablefiles::JpegOptions options;
    options.progressive = progressive;
    return tablefiles::encodeJpeg(image, options);
}

bool near(QRgb a, QRgb b, int tolerance)
{
    return qAbs(qRed(a) - qRed(b)) <= tolerance && qAbs(qGreen(a) - qGreen(b)) <= tolerance &&
           qAbs(qBlue(a) - qBlue(b)) <= tolerance;
}

} // namespace

class PictureLoadingTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        pinEnvironment();
        QVERIFY(dir.isValid());
        const QString d = dir.path();
        writePicture(d + "/stamp.jpg", plainPicture({8, 8}, Qt::red));
        QDir(d).mkdir("folder.jpg");
        for (const char* name : {"stamp.JPG", "stamp.bmp", "stamp.BMP", "stamp.Jpg", "stamp.jpeg", "stamp.jpg.txt",
                                 "folder.jpg/notes.txt", "plain.txt"})
            QFile::copy(d + "/stamp.jpg", d + "/" + name);
        QDir(d).mkdir("dir.jpg");
        QVERIFY(::mkfifo(QFile::encodeName(d + "/pipe.jpg").constData(), 0600) == 0);
    }

    void pictureFileTest_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("passes");
        QTest::newRow("empty") << QString() << false;
        QTest::newRow(".jpg") << "stamp.jpg" << true;
        QTest::newRow(".JPG") << "stamp.JPG" << true;
        QTest::newRow(".bmp") << "stamp.bmp" << true;
        QTest::newRow(".BMP") << "stamp.BMP" << true;
        QTest::newRow("mixed case .Jpg") << "stamp.Jpg" << false;
        QTest::newRow(".jpeg") << "stamp.jpeg" << false;
        QTest::newRow("not at the end") << "stamp.jpg.txt" << true;
        QTest::newRow(".jpg in a folder's name") << "folder.jpg/notes.txt" << true;
        QTest::newRow("no picture name") << "plain.txt" << false;
        QTest::newRow("missing file") << "missing.jpg" << false;
        QTest::newRow("a folder") << "dir.jpg" << false;
        QTest::newRow("a pipe, without waiting for a writer") << "pipe.jpg" << false;
        QTest::newRow("a NUL in the name") << QString("stamp.jpg") + QChar(0) + "x" << false;
    }
    void pictureFileTest()
    {
        QFETCH(QString, name);
        QFETCH(bool, passes);
        const QString path = name.isEmpty() ? name : dir.path() + "/" + name;
        QCOMPARE(isPictureFile(path), passes);
    }

    void pictureFileTestNeedsReadAccess()
    {
        if (::geteuid() == 0)
            QSKIP("root reads every file");
        const QString path = dir.path() + "/locked.jpg";
        QFile::copy(dir.path() + "/stamp.jpg", path);
        QFile::setPermissions(path, QFileDevice::WriteOwner);
        QVERIFY(!isPictureFile(path));
    }

    void relativePathsUseTheCurrentFolder()
    {
        CurrentDirGuard guard;
        QDir::setCurrent(dir.path());
        QVERIFY(isPictureFile("stamp.jpg"));
        QCOMPARE(loadPicture("stamp.jpg").size(), QSize(8, 8));
    }

    void extension_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("extension");
        QTest::newRow("plain") << "/a/b/stamp.jpg"
                               << "jpg";
        QTest::newRow("last dot") << "/a/stamp.jpg.bmp"
                                  << "bmp";
        QTest::newRow("dot in a folder only") << "/a/album.jpg/stamp"
                                              << "";
        QTest::newRow("relative") << "stamp.JPEG"
                                  << "JPEG";
        QTest::newRow("trailing dot") << "stamp."
                                      << "";
    }
    void extension()
    {
        QFETCH(QString, path);
        QFETCH(QString, extension);
        QCOMPARE(pictureExtension(path), extension);
    }

    void loadsByExtensionInAnyCase_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("jpg") << "a.jpg";
        QTest::newRow("JPG") << "a.JPG";
        QTest::newRow("jpeg") << "a.jpeg";
        QTest::newRow("Jpeg") << "a.Jpeg";
        QTest::newRow("bmp") << "a.bmp";
        QTest::newRow("Bmp") << "a.Bmp";
    }
    void loadsByExtensionInAnyCase()
    {
        QFETCH(QString, name);
        const QString path = dir.path() + "/any/" + name;
        const bool bitmap = name.endsWith("mp", Qt::CaseInsensitive);
        const QImage source = plainPicture({30, 20}, QColor(200, 30, 40));
        if (bitmap) {
            QDir().mkpath(dir.path() + "/any");
            QVERIFY(source.save(path, "bmp"));
        } else {
            writePicture(path, source);
        }
        const QImage loaded = loadPicture(path);
        QCOMPARE(loaded.size(), QSize(30, 20));
        QVERIFY(near(loaded.pixel(15, 10), qRgb(200, 30, 40), 4));
    }

    // Colours come through in the right channels, for every kind of JPEG we meet.
    void jpegColours_data()
    {
        QTest::addColumn<bool>("progressive");
        QTest::addColumn<bool>("grayscale");
        QTest::addColumn<bool>("cmyk");
        QTest::addColumn<QRgb>("expected");
        QTest::newRow("baseline") << false << false << false << qRgb(200, 40, 60);
        QTest::newRow("progressive") << true << false << false << qRgb(200, 40, 60);
        QTest::newRow("grayscale") << false << true << false << qRgb(96, 96, 96);
        QTest::newRow("Adobe CMYK") << false << false << true << qRgb(200, 40, 60);
    }
    void jpegColours()
    {
        QFETCH(bool, progressive);
        QFETCH(bool, grayscale);
        QFETCH(bool, cmyk);
        QFETCH(QRgb, expected);
        tablefiles::JpegOptions options;
        options.quality = 95;
        options.progressive = progressive;
        options.grayscale = grayscale;
        options.cmyk = cmyk;
        const QString path = dir.path() + "/colours.jpg";
        const QColor colour = grayscale ? QColor(96, 96, 96) : QColor(200, 40, 60);
        writePicture(path, plainPicture({33, 17}, colour), options);
        const QImage loaded = loadPicture(path);
        QCOMPARE(loaded.size(), QSize(33, 17));
        QCOMPARE(loaded.format(), QImage::Format_RGB32);
        for (const QPoint& at : {QPoint(0, 0), QPoint(16, 8), QPoint(32, 16)})
            QVERIFY2(near(loaded.pixel(at), expected, 4), qPrintable(QColor(loaded.pixel(at)).name()));
    }

    // The same pixels as Qt's own JPEG reader gives, on a picture with detail.
    void jpegMatchesQtsReader()
    {
        if (!QImageReader::supportedImageFormats().contains("jpeg"))
            QSKIP("Qt has no JPEG reader here");
        const QString path = dir.path() + "/detail.jpg";
        writePicture(path, tablefiles::drawStamp({90, 120}, {}));
        const QImage ours = loadPicture(path);
        const QImage qts = QImage(path).convertToFormat(QImage::Format_RGB32);
        QCOMPARE(ours.size(), qts.size());
        int worst = 0;
        for (int y = 0; y < ours.height(); ++y) {
            for (int x = 0; x < ours.width(); ++x) {
                const QRgb a = ours.pixel(x, y), b = qts.pixel(x, y);
                worst =
                    std::max({worst, qAbs(qRed(a) - qRed(b)), qAbs(qGreen(a) - qGreen(b)), qAbs(qBlue(a) - qBlue(b))});
            }
        }
        QVERIFY2(worst <= 2, qPrintable(QString::number(worst)));
    }

    // A picture for a small box is decoded at the smallest DCT scale that
    // still covers the box, never smaller; a bitmap comes at full size.
    void decodesScaledForABox_data()
    {
        QTest::addColumn<QSize>("box");
        QTest::addColumn<QSize>("decoded");
        QTest::newRow("an eighth") << QSize(100, 150) << QSize(150, 188);
        QTest::newRow("a quarter") << QSize(300, 300) << QSize(300, 375);
        QTest::newRow("just past a quarter") << QSize(301, 300) << QSize(600, 750);
        QTest::newRow("full size") << QSize(1000, 1000) << QSize(1200, 1500);
        QTest::newRow("bigger than the picture") << QSize(2000, 2000) << QSize(1200, 1500);
        QTest::newRow("no box: full size") << QSize() << QSize(1200, 1500);
    }
    void decodesScaledForABox()
    {
        QFETCH(QSize, box);
        QTemporaryDir dir;
        const QString jpeg = dir.filePath("scan.jpg");
        writePicture(jpeg, plainPicture({1200, 1500}, QColor(200, 30, 40)));
        const QImage picture = loadPictureFor(jpeg, box);
        QTEST(picture.size(), "decoded");
        QVERIFY(near(picture.pixel(picture.width() / 2, picture.height() / 2), qRgb(200, 30, 40), 6));
        const QString bmp = dir.filePath("scan.bmp");
        writePicture(bmp, plainPicture({120, 150}, QColor(1, 2, 3)));
        QCOMPARE(loadPictureFor(bmp, QSize(30, 30)).size(), QSize(120, 150));
    }

    void runLengthBitmap()
    {
        QBuffer buffer;
        buffer.setData(rle8(Rle8Rows));
        const QImage image = decodePicture(buffer, "bmp");
        QCOMPARE(image.size(), QSize(4, 2));
        QCOMPARE(image.pixel(0, 1), qRgb(255, 0, 0));
        QCOMPARE(image.pixel(3, 0), qRgb(0, 0, 255));
    }

    // Pixels a run-length bitmap skips over show its first colour, never old memory.
    void runLengthBitmapWithSkippedPixels()
    {
        for (int round = 0; round < 20; ++round) {
            QImage dirty(64, 64, QImage::Format_Indexed8); // leave used memory behind
            dirty.fill(2);
        }
        QBuffer buffer;
        // Bottom row: skip two pixels, then two red; then skip to the end.
        buffer.setData(rle8(QByteArray::fromHex("00020200"
                                                "0201"
                                                "0001")));
        const QImage image = decodePicture(buffer, "bmp");
        QCOMPARE(image.pixel(0, 1), qRgb(0, 0, 0));
        QCOMPARE(image.pixel(1, 1), qRgb(0, 0, 0));
        QCOMPARE(image.pixel(2, 1), qRgb(255, 0, 0));
        QCOMPARE(image.pixel(3, 0), qRgb(0, 0, 0));
    }

    void loadErrors_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("contents"); // empty: no file
        QTest::addColumn<QString>("message");     // %1: the file's full name
        // The decoder's own words, after the name of the file it could not read.
        const auto unread = [](const char* reason) { return "Billedfilen %1 kan ikke læses: " + QString(reason); };
        const QByteArray jpeg = jpegOf(grainy({64, 64}));
        const QByteArray progressive = jpegOf(grainy({64, 64}), true);
        const QByteArray bmp = bitmap(8, 8, 24, 0, {}, QByteArray(8 * 24, '\x40'));
        QTest::newRow("unknown extension") << "stamp.png" << jpeg << "Unknown picture file extension (.png)";
        QTest::newRow("no extension") << "album.jpg/stamp" << jpeg << "Unknown picture file extension (.)";
        QTest::newRow("unknown extension, no file")
            << "gone.gif" << QByteArray() << "Unknown picture file extension (.gif)";
        QTest::newRow("missing") << "gone.jpg" << QByteArray()
                                 << "Billedfilen %1 kan ikke åbnes: No such file or directory";
        QTest::newRow("a folder") << "dir.jpg" << QByteArray() << "Billedfilen %1 kan ikke åbnes: Is a directory";
        QTest::newRow("a bitmap named .jpg") << "bitmap.jpg" << bmp << unread("Not a JPEG file: starts with 0x42 0x4d");
        QTest::newRow("one byte of JPEG")
            << "byte.jpg" << QByteArray("\xff", 1) << unread("Premature end of JPEG file");
        QTest::newRow("truncated JPEG") << "cut.jpg" << jpeg.left(jpeg.size() * 6 / 10)
                                        << unread("Premature end of JPEG file");
        QTest::newRow("truncated progressive JPEG")
            << "cutp.jpg" << progressive.left(progressive.size() * 6 / 10) << unread("Premature end of JPEG file");
        // Cut between two scans: libjpeg alone would show a blurred picture.
        QTest::newRow("progressive JPEG without its last scan")
            << "lastscan.jpg" << progressive.left(progressive.lastIndexOf(QByteArray::fromHex("ffda")))
            << unread("Premature end of JPEG file");
        QByteArray holed = jpeg;
        const qsizetype scan = holed.indexOf(QByteArray::fromHex("ffda"));
        holed.replace(scan + (holed.size() - scan) / 2, 2, QByteArray::fromHex("ffd9"));
        QTest::newRow("marker inside the data")
            << "holed.jpg" << holed << unread("Corrupt JPEG data: premature end of data segment");
        QTest::newRow("too large JPEG") << "huge.jpg" << withJpegSize(jpeg, 40000, 30000)
                                        << "Billedet %1 er for stort til at blive vist: 40000 × 30000 punkter ville "
                                           "bruge mere end 512 MiB hukommelse";
        QTest::newRow("JPEG above 512 MiB")
            << "big.jpg" << withJpegSize(jpeg, 12000, 12000)
            << "Billedet %1 er for stort til at blive vist: 12000 × 12000 punkter ville "
               "bruge mere end 512 MiB hukommelse";
        QTest::newRow("truncated bitmap")
            << "cut.bmp" << bmp.left(bmp.size() - 30) << unread("Premature end of bitmap file");
        QTest::newRow("bitmap without pixels") << "bare.bmp" << bmp.left(54) << unread("Premature end of bitmap file");
        QTest::newRow("truncated run-length bitmap")
            << "cutrle.bmp" << rle8(Rle8Rows).chopped(3) << unread("Premature end of bitmap file");
        QTest::newRow("too large bitmap") << "huge.bmp" << bitmap(20000, -15000, 24, 0, {}, QByteArray())
                                          << "Billedet %1 er for stort til at blive vist: 20000 × 15000 punkter ville "
                                             "bruge mere end 512 MiB hukommelse";
        QTest::newRow("bitmap above 512 MiB") << "big.bmp" << bitmap(12000, 12000, 24, 0, {}, QByteArray())
                                              << "Billedet %1 er for stort til at blive vist: 12000 × 12000 punkter "
                                                 "ville bruge mere end 512 MiB hukommelse";
    }
    void loadErrors()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, contents);
        QFETCH(QString, message);
        const QString path = dir.path() + "/errors/" + name;
        QDir().mkpath(dir.path() + "/errors/dir.jpg");
        if (!contents.isEmpty())
            writeBytes(path, contents);
        if (message.contains("%1"))
            message = message.arg(QFileInfo(path).absoluteFilePath());
        QCOMPARE(errorOf([&] { loadPicture(path); }), message);
    }

    // A JPEG cut just before its end marker still holds every row.
    void jpegWithoutEndMarkerLoads_data()
    {
        QTest::addColumn<bool>("progressive");
        QTest::newRow("baseline") << false;
        QTest::newRow("progressive") << true;
    }
    void jpegWithoutEndMarkerLoads()
    {
        QFETCH(bool, progressive);
        const QImage source = grainy({40, 24});
        const QByteArray jpeg = jpegOf(source, progressive);
        QVERIFY(jpeg.endsWith(QByteArray::fromHex("ffd9")));
        QBuffer whole, cut;
        whole.setData(jpeg);
        cut.setData(jpeg.chopped(2));
        QCOMPARE(decodePicture(cut, "jpg"), decodePicture(whole, "jpg"));
    }

    void emptyJpegFile()
    {
        QBuffer buffer;
        QCOMPARE(errorOf([&] { decodePicture(buffer, "jpeg"); }), QString("Empty input file"));
    }

    // A run-length bitmap whose rows are complete needs no end marker either.
    void runLengthBitmapEndingWithItsRows()
    {
        QBuffer buffer;
        buffer.setData(rle8(QByteArray::fromHex("0401"
                                                "0000"
                                                "0402"
                                                "0000")));
        QCOMPARE(decodePicture(buffer, "bmp").pixel(3, 0), qRgb(0, 0, 255));
    }

    void sizeBoundIsInclusive_data()
    {
        QTest::addColumn<QString>("extension");
        QTest::addColumn<int>("width");
        QTest::addColumn<bool>("refused");
        QTest::newRow("jpeg at the bound") << "jpg" << 64 << false;
        QTest::newRow("jpeg above") << "jpg" << 65 << true;
        QTest::newRow("bitmap at the bound") << "bmp" << 64 << false;
        QTest::newRow("bitmap above") << "bmp" << 65 << true;
    }
    void sizeBoundIsInclusive()
    {
        QFETCH(QString, extension);
        QFETCH(int, width);
        QFETCH(bool, refused);
        QByteArray data;
        if (extension == "jpg") {
            data = jpegOf(grainy({width, 32}));
        } else {
            QBuffer out(&data);
            out.open(QIODevice::WriteOnly);
            QVERIFY(grainy({width, 32}).save(&out, "bmp"));
        }
        QBuffer buffer;
        buffer.setData(data);
        const QString error = errorOf([&] { decodePicture(buffer, extension, QString(), 64 * 32 * 4); });
        QCOMPARE(error.startsWith("Billedet er for stort til at blive vist"), refused);
        if (!refused)
            QCOMPARE(error, QString());
    }

    // libjpeg's own buffers for a progressive picture are held to the same bound.
    void progressiveWorkingMemoryIsBounded()
    {
        tablefiles::JpegOptions options;
        options.progressive = true;
        options.fullColour = true; // 6 bytes of coefficients a pixel
        QBuffer buffer;
        buffer.setData(tablefiles::encodeJpeg(grainy({64, 64}), options));
        QCOMPARE(
            errorOf([&] { decodePicture(buffer, "jpg", QString(), 64 * 64 * 4); }),
            QString(
                "Billedet er for stort til at blive vist: 64 × 64 punkter ville bruge mere end 16384 byte hukommelse"));
        buffer.seek(0);
        QCOMPARE(decodePicture(buffer, "jpg", QString(), 1 << 20).size(), QSize(64, 64));
    }

    void fit_data()
    {
        QTest::addColumn<QSize>("picture");
        QTest::addColumn<QSize>("shown");
        QTest::newRow("300x200") << QSize(300, 200) << QSize(100, 67);
        QTest::newRow("50x80, within the box") << QSize(50, 80) << QSize(50, 80);
        QTest::newRow("1024x768") << QSize(1024, 768) << QSize(100, 75);
        QTest::newRow("768x1024, tall") << QSize(768, 1024) << QSize(75, 100);
        QTest::newRow("150x150, square counts as wide") << QSize(150, 150) << QSize(100, 100);
        QTest::newRow("101x100") << QSize(101, 100) << QSize(100, 99);
        QTest::newRow("200x101, half to even 50") << QSize(200, 101) << QSize(100, 50);
        QTest::newRow("200x103, half to even 52") << QSize(200, 103) << QSize(100, 52);
        QTest::newRow("14x112, just above the half") << QSize(14, 112) << QSize(13, 100);
        QTest::newRow("100x100, on the box") << QSize(100, 100) << QSize(100, 100);
        QTest::newRow("1x1") << QSize(1, 1) << QSize(1, 1);
        QTest::newRow("6000x4000") << QSize(6000, 4000) << QSize(100, 67);
        QTest::newRow("no pixels") << QSize(0, 0) << QSize(0, 0);
    }
    void fit()
    {
        QFETCH(QSize, picture);
        QFETCH(QSize, shown);
        QCOMPARE(fitPicture(picture), shown);
    }

private:
    QTemporaryDir dir;
};

QTEST_GUILESS_MAIN(PictureLoadingTest)
#include "tst_pictureloading.moc"
