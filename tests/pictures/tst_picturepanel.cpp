// The picture panel: the refresh on the current number, the default picture,
// the picture decoded small and fitted, failures that keep the previous
// picture, the start picture and CheckBox2.
#include "Collection.h"
#include "Database.h"
#include "DemoPictures.h"
#include "Error.h"
#include "ErrorGuard.h"
#include "FlatJpeg.h"
#include "ImageWidget.h"
#include "MainViews.h"
#include "PictureFit.h"
#include "PictureLoader.h"
#include "PicturePanel.h"
#include "ScriptedDialogs.h"
#include "TableView.h"
#include "TestPictures.h"

#include <QCheckBox>
#include <QFrame>
#include <QHBoxLayout>
#include <QPainter>
#include <QTest>

using namespace kvilbro;
using namespace kvilbro::test;

namespace {

using Views = kvilbro::test::MainViews;

// The part of the main window the panel works on: the numbers panel and the
// picture panel side by side, and the check box elsewhere in the window.
struct Window {
    Window()
    {
        window.resize(700, 400);
        auto* layout = new QHBoxLayout(&window);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->setSpacing(0);
        panel3 = new QWidget;
        layout->addWidget(panel3, 1);
        panel5 = new QFrame;
        panel5->setObjectName("Panel5");
        panel5->setFixedWidth(184);
        layout->addWidget(panel5);
        image1 = new ImageWidget(panel5);
        image1->setObjectName("Image1");
        checkBox2 = new QCheckBox(&window);
        checkBox2->setObjectName("CheckBox2");
        checkBox2->setGeometry(664, 112, 97, 17);
    }
    QWidget window;
    QWidget* panel3;
    QFrame* panel5;
    ImageWidget* image1;
    QCheckBox* checkBox2;
};

// Counts the paint events a widget receives.
struct PaintCounter : QObject {
    explicit PaintCounter(QWidget* w) { w->installEventFilter(this); }
    bool eventFilter(QObject*, QEvent* e) override
    {
        if (e->type() == QEvent::Paint)
            ++paints;
        return false;
    }
    int paints = 0;
};

bool near(QRgb a, QRgb b)
{
    return qAbs(qRed(a) - qRed(b)) <= 6 && qAbs(qGreen(a) - qGreen(b)) <= 6 && qAbs(qBlue(a) - qBlue(b)) <= 6;
}

// A stamp with photograph-like grain: detail in every 8 x 8 block.
QImage detailedPicture(QSize size)
{
    QImage image = tablefiles::drawStamp(size, {});
    tablefiles::addGrain(image, 11);
    return image;
}

// Soft light and shade, as in a photograph out of focus.
QImage smoothPicture(QSize size)
{
    QImage image(size, QImage::Format_RGB32);
    QPainter painter(&image);
    QLinearGradient sky(0, 0, 0, size.height());
    sky.setColorAt(0, QColor(70, 110, 190));
    sky.setColorAt(1, QColor(230, 200, 150));
    painter.fillRect(image.rect(), sky);
    QRadialGradient sun(size.width() * 0.3, size.height() * 0.4, size.width() * 0.3);
    sun.setColorAt(0, QColor(255, 240, 200));
    sun.setColorAt(1, QColor(255, 240, 200, 0));
    painter.fillRect(image.rect(), sun);
    return image;
}

// The mean absolute difference of the colour values, as a part of 255.
double meanDifference(const QImage& a, const QImage& b)
{
    qint64 sum = 0;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            sum += qAbs(qRed(p) - qRed(q)) + qAbs(qGreen(p) - qGreen(q)) + qAbs(qBlue(p) - qBlue(q));
        }
    }
    return double(sum) / (3.0 * 255.0 * double(a.width()) * a.height());
}

const QRgb Red = qRgb(220, 30, 30), Green = qRgb(30, 160, 60), Blue = qRgb(40, 60, 200), Grey = qRgb(128, 128, 128);

} // namespace

class PicturePanelTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { pinEnvironment(); }

    void init()
    {
        c = std::make_unique<Collection>();
        const QString d = c->path();
        writePicture(d + "/frim.bmp", plainPicture({90, 110}, Grey));
        writePicture(d + "/pictures/a.jpg", plainPicture({300, 200}, Red));
        writePicture(d + "/pictures/b.bmp", plainPicture({60, 90}, Green));
        writePicture(d + "/pictures/c.Jpg", plainPicture({30, 30}, Blue));
        writePicture(d + "/pictures/d.jpeg", plainPicture({30, 30}, Blue));
        writePicture(d + "/pictures/e.JPG", plainPicture({1024, 768}, Blue));
        QDir(d).mkpath("pictures/folder.jpg");
        writeBytes(d + "/pictures/album.jpg/notes.txt", "not a picture");
        const QStringList billede{"pictures/a.jpg",
                                  "pictures/b.bmp",
                                  "",
                                  "pictures/gone.jpg",
                                  "pictures/c.Jpg",
                                  "pictures/d.jpeg",
                                  "pictures/folder.jpg",
                                  "pictures/album.jpg/notes.txt",
                                  "pictures/e.JPG",
                                  "pictures/huge.jpg"};
        c->addArea("DK", "Danmark");
        c->addArea("IS", "Island");
        for (int n = 1; n <= billede.size(); ++n)
            c->addNumber("DK", "Danmark", n, {}, {}, billede[n - 1].isEmpty() ? QString() : d + "/" + billede[n - 1]);
        views = std::make_unique<Views>(d);
        w = std::make_unique<Window>();
        panel = std::make_unique<PicturePanel>(w->panel5, w->image1, w->checkBox2, &w->window, views->numbers,
                                               d + "/frim.bmp");
        dialogs = std::make_unique<ScriptedDialogs>();
        ErrorGuard::setDialogs(dialogs.get());
    }

    void cleanup()
    {
        ErrorGuard::setDialogs(nullptr);
        panel.reset();
        w.reset();
        views.reset();
        c.reset();
    }

    void refreshShowsTheNumbersPicture_data()
    {
        QTest::addColumn<int>("number");
        QTest::addColumn<QRgb>("colour");
        QTest::addColumn<QSize>("size");
        QTest::addColumn<QString>("file"); // the one the viewer is to read
        QTest::newRow("JPEG, fitted") << 1 << Red << QSize(100, 67) << "pictures/a.jpg";
        QTest::newRow("bitmap within the box") << 2 << Green << QSize(60, 90) << "pictures/b.bmp";
        QTest::newRow(".JPG, fitted") << 9 << Blue << QSize(100, 75) << "pictures/e.JPG";
        QTest::newRow("empty: default") << 3 << Grey << QSize(82, 100) << "frim.bmp";
        QTest::newRow("missing file: default") << 4 << Grey << QSize(82, 100) << "frim.bmp";
        QTest::newRow("mixed-case .Jpg: default") << 5 << Grey << QSize(82, 100) << "frim.bmp";
        QTest::newRow(".jpeg: default") << 6 << Grey << QSize(82, 100) << "frim.bmp";
        QTest::newRow("a folder: default") << 7 << Grey << QSize(82, 100) << "frim.bmp";
    }
    void refreshShowsTheNumbersPicture()
    {
        QFETCH(int, number);
        QFETCH(QRgb, colour);
        QFETCH(QSize, size);
        QFETCH(QString, file);
        QVERIFY(views->numbers.locate({"Nummer"}, {QString::number(number)}, false));
        panel->refresh();
        QCOMPARE(panel->picturePath(), c->path() + "/" + file);
        QCOMPARE(w->image1->size(), size);
        QCOMPARE(w->image1->pos(), QPoint(16, 32));
        QVERIFY(near(panel->picture().pixel(5, 5), colour));
        // Held at the size shown, not at the file's.
        QCOMPARE(panel->picture().size(), size);
    }

    // Decoded at a DCT scale and smoothed to the fit, the panel shows what a
    // full decode smoothed to the same size shows, within 1 % (the mean
    // difference of the colour values), for each scale, detailed or smooth.
    void shownAsTheWholePictureFitted_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::addColumn<bool>("detailed");
        QTest::addColumn<QString>("name");
        const QList<std::pair<const char*, QSize>> sizes{{"an eighth", {1600, 1200}}, {"an eighth, tall", {900, 1600}},
                                                         {"a quarter", {500, 400}},   {"a half", {300, 200}},
                                                         {"full size", {150, 120}},   {"within the box", {90, 60}}};
        for (const auto& [scale, size] : sizes) {
            QTest::addRow("%s, detailed", scale) << size << true << "p.jpg";
            QTest::addRow("%s, smooth", scale) << size << false << "p.jpg";
        }
        QTest::newRow("bitmap, detailed") << QSize(500, 400) << true << "p.bmp";
    }
    void shownAsTheWholePictureFitted()
    {
        QFETCH(QSize, size);
        QFETCH(bool, detailed);
        QFETCH(QString, name);
        const QString path = c->path() + "/" + name;
        writePicture(path, detailed ? detailedPicture(size) : smoothPicture(size));
        panel->loadStartPicture(path);
        const QSize fitted = fitPicture(size);
        QCOMPARE(w->image1->size(), fitted);
        const QImage reference = loadPicture(path)
                                     .scaled(fitted, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                                     .convertToFormat(QImage::Format_RGB32);
        const QImage shown = w->image1->grab().toImage().convertToFormat(QImage::Format_RGB32);
        QCOMPARE(shown.size(), fitted);
        const double difference = meanDifference(shown, reference);
        QVERIFY2(difference <= 0.01, qPrintable(QString::number(difference * 100) + " %"));
    }

    // The panel keeps no picture but the one it shows.
    void refreshLetsThePreviousPictureGo()
    {
        views->numbers.first();
        panel->refresh();
        const QImage before = panel->picture();
        QVERIFY(views->numbers.locate({"Nummer"}, {"9"}, false));
        panel->refresh();
        QVERIFY(before.isDetached());
    }

    void areaWithoutNumbersShowsTheDefault()
    {
        views->numbers.first();
        panel->refresh();
        QCOMPARE(w->image1->size(), QSize(100, 67));
        views->areas.next();
        QVERIFY(views->numbers.isEmpty());
        panel->refresh();
        QCOMPARE(w->image1->size(), QSize(82, 100));
        QVERIFY(near(panel->picture().pixel(0, 0), Grey));
    }

    // Loading fails; the general error handler shows the loader's message and
    // the panel keeps its picture and size.
    void failedRefreshKeepsThePreviousPicture_data()
    {
        QTest::addColumn<int>("number");
        QTest::addColumn<QString>("defaultPicture");
        QTest::addColumn<QString>("message");
        QTest::newRow(".jpg in a folder, a text file") << 8 << "frim.bmp"
                                                       << "Unknown picture file extension (.txt)";
        QTest::newRow("empty default picture") << 3 << ""
                                               << "Unknown picture file extension (.)";
        QTest::newRow("missing default picture")
            << 3 << "gone.bmp"
            << "Billedfilen %1/gone.bmp kan ikke åbnes: No such file or directory.";
        QTest::newRow("too large, refused from its header")
            << 10 << "frim.bmp"
            << "Billedet %1/pictures/huge.jpg er for stort til at blive vist: 16000 × 16000 punkter ville bruge mere "
               "end 512 MiB hukommelse.";
        QTest::newRow("damaged default picture")
            << 3 << "cut.bmp"
            << "Billedfilen %1/cut.bmp kan ikke læses: Premature end of bitmap file.";
    }
    void failedRefreshKeepsThePreviousPicture()
    {
        QFETCH(int, number);
        QFETCH(QString, defaultPicture);
        QFETCH(QString, message);
        const QByteArray bitmap = readBytes(c->path() + "/frim.bmp");
        writeBytes(c->path() + "/cut.bmp", bitmap.left(bitmap.size() / 2));
        if (number == 10)
            writeBytes(c->path() + "/pictures/huge.jpg", flatProgressiveJpeg(16000, 16000));
        panel->setDefaultPicture(defaultPicture.isEmpty() ? QString() : c->path() + "/" + defaultPicture);
        views->numbers.first();
        panel->refresh();
        const qint64 shown = panel->picture().cacheKey();

        QVERIFY(views->numbers.locate({"Nummer"}, {QString::number(number)}, false));
        QVERIFY(!ErrorGuard::guarded([&] { panel->refresh(); }));
        QCOMPARE(dialogs->messages(), QStringList{message.contains("%1") ? message.arg(c->path()) : message});
        QCOMPARE(panel->picture().cacheKey(), shown);
        QCOMPARE(w->image1->size(), QSize(100, 67));
        QCOMPARE(panel->picturePath(), c->path() + "/pictures/a.jpg");
    }

    // Every refresh reads the file again.
    void refreshReadsTheFileAnew()
    {
        views->numbers.first();
        panel->refresh();
        writePicture(c->path() + "/pictures/a.jpg", plainPicture({50, 60}, Blue));
        panel->refresh();
        QCOMPARE(w->image1->size(), QSize(50, 60));
        QVERIFY(near(panel->picture().pixel(1, 1), Blue));
    }

    void refreshRunsWhileHiddenAndRepaints()
    {
        w->window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w->window));
        w->checkBox2->setChecked(true);
        QVERIFY(!w->panel5->isVisible());
        PaintCounter paints(&w->window);
        views->numbers.first();
        panel->refresh();
        QVERIFY(paints.paints > 0); // at once, not at the next turn of the event loop
        QCOMPARE(w->image1->size(), QSize(100, 67));
        w->checkBox2->setChecked(false);
        QVERIFY(w->image1->isVisible());
        QVERIFY(near(w->image1->picture().pixel(0, 0), Red));
    }

    // Start-up: CheckBox2 ticked hides the panel, then the start picture is
    // loaded and fitted; unticking shows it, ticking hides it again and
    // gives the numbers panel the width.
    void startPictureHiddenAndShown()
    {
        CurrentDirGuard cwd;
        QDir::setCurrent(c->path());
        writePicture(c->path() + "/Frim.bmp", plainPicture({160, 200}, Green));
        w->window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w->window));

        PaintCounter paints(&w->window);
        w->checkBox2->setChecked(true);
        QVERIFY(paints.paints > 0);
        QCOMPARE(w->checkBox2->text(), QString("Vis billede"));
        QVERIFY(w->panel5->isHidden());
        QCOMPARE(w->panel3->width(), 700);
        panel->loadStartPicture();
        QCOMPARE(w->image1->size(), QSize(80, 100));
        QCOMPARE(panel->picturePath(), c->path() + "/Frim.bmp"); // whatever the current folder is later

        w->checkBox2->setChecked(false);
        QCOMPARE(w->checkBox2->text(), QString("Skjul billede"));
        QVERIFY(w->panel5->isVisible());
        QCOMPARE(w->panel3->width(), 700 - 184);
        QCOMPARE(w->image1->geometry(), QRect(16, 32, 80, 100));
        QVERIFY(near(w->image1->picture().pixel(0, 0), Green));

        w->checkBox2->setChecked(true);
        QVERIFY(w->panel5->isHidden());
        QCOMPARE(w->panel3->width(), 700);
    }

    void missingStartPicture()
    {
        CurrentDirGuard cwd;
        QDir::setCurrent(c->path());
        QFile::remove(c->path() + "/Frim.bmp");
        QString message;
        try {
            panel->loadStartPicture();
        } catch (const Error& e) {
            message = e.message();
        }
        QCOMPARE(message, "Billedfilen " + c->path() + "/Frim.bmp kan ikke åbnes: No such file or directory");
        QVERIFY(panel->picture().isNull());
        QVERIFY(panel->picturePath().isEmpty());
    }

private:
    std::unique_ptr<Collection> c;
    std::unique_ptr<Views> views;
    std::unique_ptr<Window> w;
    std::unique_ptr<PicturePanel> panel;
    std::unique_ptr<ScriptedDialogs> dialogs;
};

QTEST_MAIN(PicturePanelTest)
#include "tst_picturepanel.moc"
