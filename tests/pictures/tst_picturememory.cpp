// What decoding a picture may take: the memory counted from the header
// against the bound, huge progressive pictures refused before anything is
// allocated for them, and the peak memory of loading for the panel, measured
// in a child process.
#include "DemoPictures.h"
#include "Error.h"
#include "ErrorOf.h"
#include "FlatJpeg.h"
#include "PictureLoader.h"
#include "TestPictures.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>
#include <vector>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

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

const char ForThePanel[] = "--for-the-panel";

// This program run as the child: loads the files one after another as the
// panel does, each picture held until the next is ready; prints the size of
// each, or the message that stopped it.
int loadForThePanel(int count, char** files)
{
    QImage shown;
    for (int i = 0; i < count; ++i) {
        try {
            shown = loadFittedPicture(QString::fromLocal8Bit(files[i]));
        } catch (const Error& e) {
            std::printf("%s\n", e.message().toUtf8().constData());
            return 1;
        }
        std::printf("%dx%d\n", shown.width(), shown.height());
    }
    return 0;
}

struct ChildRun {
    int exitCode = -1;
    QString output;
    qint64 peakBytes = 0;
};

// Runs the child above from a process of its own, whose RUSAGE_CHILDREN then
// holds the peak of that one child alone, whatever ran before.
ChildRun runForThePanel(const QStringList& files)
{
    QList<QByteArray> args{QFile::encodeName(QCoreApplication::applicationFilePath()), ForThePanel};
    for (const QString& file : files)
        args << QFile::encodeName(file);
    std::vector<char*> argv;
    for (QByteArray& arg : args)
        argv.push_back(arg.data());
    argv.push_back(nullptr);

    int output[2], report[2];
    if (::pipe(output) != 0 || ::pipe(report) != 0)
        qFatal("no pipe");
    if (::fork() == 0) {
        // Only async-signal-safe calls from here on: the test's threads stayed behind.
        ::close(output[0]);
        ::close(report[0]);
        const pid_t child = ::fork();
        if (child == 0) {
            ::dup2(output[1], STDOUT_FILENO);
            ::execv(argv[0], argv.data());
            ::_exit(127);
        }
        ::close(output[1]);
        int status = 0;
        ::waitpid(child, &status, 0);
        rusage usage{};
        ::getrusage(RUSAGE_CHILDREN, &usage);
        const long record[2] = {WIFEXITED(status) ? WEXITSTATUS(status) : -1, usage.ru_maxrss};
        ::_exit(::write(report[1], record, sizeof record) == sizeof record ? 0 : 1);
    }
    ::close(output[1]);
    ::close(report[1]);
    QByteArray text;
    char buffer[4096];
    for (ssize_t got; (got = ::read(output[0], buffer, sizeof buffer)) > 0;)
        text.append(buffer, got);
    long record[2] = {-1, 0};
    if (::read(report[0], record, sizeof record) != sizeof record)
        record[0] = -1;
    ::close(output[0]);
    ::close(report[0]);
    ::wait(nullptr);
    return {int(record[0]), QString::fromUtf8(text), qint64(record[1]) * 1024};
}

} // namespace

class PictureMemoryTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(dir.isValid());
        writeBytes(dir.filePath("p8000.jpg"), flatProgressiveJpeg(8000, 8000));
        writeBytes(dir.filePath("p16000.jpg"), flatProgressiveJpeg(16000, 16000));
    }

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
        QCOMPARE(errorOf([&] { image = decodePicture(buffer, "jpg", QString(), needed, box); }), QString());
        QCOMPARE(image.size(), decoded);
        QBuffer again(&jpeg);
        QVERIFY(errorOf([&] { decodePicture(again, "jpg", QString(), needed - 1, box); }).startsWith(Refused));
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
        const QString path = dir.filePath("p16000.jpg");
        QCOMPARE(errorOf([&] { loadPictureFor(path, box); }),
                 "Billedet " + path +
                     " er for stort til at blive vist: 16000 × 16000 punkter ville bruge mere end "
                     "512 MiB hukommelse");
    }

    // Loading for the panel holds libjpeg's coefficients of a progressive
    // picture (192 MB at 8000 x 8000) and the picture at an eighth, never the
    // picture at full size, nor a previous one; the refused picture nothing.
    void peakMemoryForThePanel_data()
    {
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<QString>("output"); // %1: the first file's full name
        QTest::addColumn<int>("peakMb");
        QTest::newRow("8000 x 8000 progressive") << QStringList{"p8000.jpg"} << "100x100\n" << 250;
        QTest::newRow("two in a row") << QStringList{"p8000.jpg", "p8000.jpg"} << "100x100\n100x100\n" << 250;
        QTest::newRow("16000 x 16000 progressive, refused")
            << QStringList{"p16000.jpg"}
            << "Billedet %1 er for stort til at blive vist: 16000 × 16000 punkter ville bruge mere end 512 MiB "
               "hukommelse\n"
            << 64;
    }
    void peakMemoryForThePanel()
    {
#if defined(__SANITIZE_ADDRESS__)
        QSKIP("the address sanitizer's own memory would be counted; measured in the plain build");
#endif
        QFETCH(QStringList, files);
        QFETCH(QString, output);
        QFETCH(int, peakMb);
        for (QString& file : files)
            file = dir.filePath(file);
        const ChildRun run = runForThePanel(files);
        const bool refused = output.contains("%1");
        QCOMPARE(run.output, refused ? output.arg(files.first()) : output);
        QCOMPARE(run.exitCode, refused ? 1 : 0);
        QVERIFY2(run.peakBytes < qint64(peakMb) * 1000000, qPrintable(QString::number(run.peakBytes)));
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

int main(int argc, char** argv)
{
    if (argc >= 2 && qstrcmp(argv[1], ForThePanel) == 0)
        return loadForThePanel(argc - 2, argv + 2);
    QCoreApplication app(argc, argv);
    PictureMemoryTest test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}
#include "tst_picturememory.moc"
