// The picture viewer TForm6: natural size, centred, scroll ranges, outer
// size, first-time centring, keeping its picture, focus back to the grid.
#include "CentredImage.h"
#include "Collection.h"
#include "DemoPictures.h"
#include "ErrorOf.h"
#include "FlatJpeg.h"
#include "PictureLoader.h"
#include "TForm6.h"
#include "TestPictures.h"

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QMenuBar>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QVBoxLayout>

using namespace kvilbro;
using namespace kvilbro::test;

namespace {

const QString Caption = QStringLiteral("Kvilbro ver. 3,8");

// A main window with the numbers grid and something else to hold the focus.
struct MainWindow {
    MainWindow()
    {
        auto* layout = new QVBoxLayout(&window);
        other = new QLineEdit;
        grid = new QTableView;
        grid->setObjectName("DBGrid2");
        layout->addWidget(other);
        layout->addWidget(grid);
        window.setWindowTitle(Caption);
        window.resize(500, 400);
    }
    QWidget window;
    QLineEdit* other;
    QTableView* grid;
};

} // namespace

class ViewerTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { pinEnvironment(); }

    void menuAndControls()
    {
        TForm6 viewer;
        const QList<QAction*> items = viewer.menuBar()->actions();
        QCOMPARE(items.size(), 1);
        QCOMPARE(items[0]->objectName(), QString("LukAltF41"));
        QCOMPARE(items[0]->text(), QString("&Luk   (Alt+F4)"));
        QCOMPARE(viewer.menuBar()->objectName(), QString("MainMenu1"));
        QVERIFY(viewer.findChild<QWidget*>("Panel3"));
        QVERIFY(viewer.findChild<CentredImage*>("Image1"));
        QVERIFY(!viewer.isVisible());
    }

    void naturalSizeInAWindowOfPicturePlus100()
    {
        TForm6 viewer;
        viewer.showPicture(plainPicture({300, 200}, Qt::red), Caption);
        QVERIFY(QTest::qWaitForWindowExposed(&viewer));
        QVERIFY(!viewer.isModal());
        QCOMPARE(viewer.windowTitle(), Caption);
        QCOMPARE(viewer.frameGeometry().size(), QSize(400, 300));
        QCOMPARE(viewer.scrollRange(), QSize(300, 200));

        // Room to spare: no scroll bars, the picture centred with a margin.
        auto* area = viewer.findChild<QScrollArea*>();
        QCOMPARE(area->horizontalScrollBar()->maximum(), 0);
        QCOMPARE(area->verticalScrollBar()->maximum(), 0);
        auto* image = viewer.findChild<CentredImage*>("Image1");
        QCOMPARE(image->picture().size(), QSize(300, 200));
        const QRect drawn = image->pictureRect();
        QCOMPARE(drawn.size(), QSize(300, 200));
        QVERIFY(qAbs(drawn.center().x() - image->rect().center().x()) <= 1);
        QVERIFY(qAbs(drawn.center().y() - image->rect().center().y()) <= 1);
        QVERIFY(drawn.left() > 0 && drawn.top() > 0);
        QCOMPARE(image->grab().toImage().pixel(drawn.center()), qRgb(255, 0, 0));
    }

    // Smaller than the picture: the area extends to the range and scrolls.
    void smallerWindowScrollsOverTheRange()
    {
        TForm6 viewer;
        viewer.showPicture(plainPicture({300, 200}, Qt::red), Caption);
        QVERIFY(QTest::qWaitForWindowExposed(&viewer));
        viewer.resize(180, 140);
        auto* area = viewer.findChild<QScrollArea*>();
        QTRY_VERIFY(area->horizontalScrollBar()->maximum() > 0);
        const QSize viewport = area->viewport()->size();
        QVERIFY(viewport.width() < 300 && viewport.height() < 200);
        QCOMPARE(area->horizontalScrollBar()->maximum(), 300 - viewport.width());
        QCOMPARE(area->verticalScrollBar()->maximum(), 200 - viewport.height());
        QCOMPARE(area->widget()->size(), QSize(300, 200));
    }

    // Centred on the screen the first time; afterwards where it was left,
    // with the size of the new picture, which replaces the old one.
    void placeSizeAndPictureOfLaterShowings()
    {
        TForm6 viewer;
        viewer.showPicture(plainPicture({300, 200}, Qt::red), Caption);
        QVERIFY(QTest::qWaitForWindowExposed(&viewer));
        const QRect screen = viewer.screen()->availableGeometry();
        QVERIFY(qAbs(viewer.frameGeometry().center().x() - screen.center().x()) <= 1);
        QVERIFY(qAbs(viewer.frameGeometry().center().y() - screen.center().y()) <= 1);

        viewer.move(20, 30);
        viewer.close();
        QVERIFY(!viewer.isVisible());
        QCOMPARE(viewer.picture().size(), QSize(300, 200)); // kept while hidden

        viewer.showPicture(plainPicture({120, 400}, Qt::blue), Caption);
        QVERIFY(QTest::qWaitForWindowExposed(&viewer));
        QCOMPARE(viewer.pos(), QPoint(20, 30));
        QCOMPARE(viewer.frameGeometry().size(), QSize(220, 500));
        QCOMPARE(viewer.scrollRange(), QSize(120, 400));
        QCOMPARE(viewer.picture().pixel(0, 0), qRgb(0, 0, 255));

        // Opened again while open: the new picture and size, same window.
        viewer.showPicture(plainPicture({40, 30}, Qt::green), Caption);
        QVERIFY(viewer.isVisible());
        QCOMPARE(viewer.frameGeometry().size(), QSize(140, 130));
        QCOMPARE(viewer.scrollRange(), QSize(40, 30));
    }

    // The panel holds its picture small; the viewer reads the file whole.
    void readsThePictureFileAtFullSize_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("JPEG") << "stamp.jpg";
        QTest::newRow("bitmap") << "stamp.bmp";
    }
    void readsThePictureFileAtFullSize()
    {
        QFETCH(QString, name);
        QTemporaryDir dir;
        const QString path = dir.filePath(name);
        writePicture(path, tablefiles::drawStamp({640, 480}, {}));
        TForm6 viewer;
        viewer.showPictureFile(path, Caption);
        QVERIFY(viewer.isVisible());
        QCOMPARE(viewer.windowTitle(), Caption);
        QCOMPARE(viewer.picture(), loadPicture(path));
        QCOMPARE(viewer.scrollRange(), QSize(640, 480));
    }

    void noPictureFileShowsNoPicture()
    {
        TForm6 viewer;
        viewer.showPictureFile(QString(), Caption);
        QVERIFY(viewer.isVisible());
        QVERIFY(viewer.picture().isNull());
    }

    // The loader's message reaches the caller; an open viewer keeps showing
    // what it showed, a hidden one has let its picture go before reading.
    void unreadablePictureFile_data()
    {
        QTest::addColumn<bool>("open");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("message"); // %1: the file's full name
        const QString tooLarge = "Billedet %1 er for stort til at blive vist: 16000 × 16000 punkter ville bruge mere "
                                 "end 512 MiB hukommelse";
        const QString damaged = "Billedfilen %1 kan ikke læses: Premature end of JPEG file";
        QTest::newRow("open, too large") << true << "huge.jpg" << tooLarge;
        QTest::newRow("hidden, too large") << false << "huge.jpg" << tooLarge;
        QTest::newRow("open, damaged") << true << "cut.jpg" << damaged;
        QTest::newRow("hidden, damaged") << false << "cut.jpg" << damaged;
    }
    void unreadablePictureFile()
    {
        QFETCH(bool, open);
        QFETCH(QString, name);
        QFETCH(QString, message);
        QTemporaryDir dir;
        writeBytes(dir.filePath("huge.jpg"), flatProgressiveJpeg(16000, 16000));
        writeBytes(dir.filePath("cut.jpg"), tablefiles::encodeJpeg(plainPicture({64, 64}, Qt::blue)).left(300));
        TForm6 viewer;
        viewer.showPicture(plainPicture({300, 200}, Qt::red), Caption);
        if (!open)
            viewer.close();
        const QImage before = viewer.picture();

        const QString path = dir.filePath(name);
        QCOMPARE(errorOf([&] { viewer.showPictureFile(path, "Other"); }), message.arg(path));
        QCOMPARE(viewer.isVisible(), open);
        QCOMPARE(viewer.windowTitle(), Caption);
        if (open)
            QCOMPARE(viewer.picture().cacheKey(), before.cacheKey());
        else
            QVERIFY(viewer.picture().isNull() && before.isDetached());
    }

    // A picture larger than the screen: the window as large as the screen's
    // free area at most, lying wholly on it, the rest reached by scrolling.
    void cappedToTheScreen_data()
    {
        QTest::addColumn<QSize>("picture");
        QTest::newRow("wider and taller") << QSize(2500, 1800);
        QTest::newRow("wider") << QSize(2500, 150);
        QTest::newRow("taller") << QSize(200, 1800);
    }
    void cappedToTheScreen()
    {
        QFETCH(QSize, picture);
        TForm6 viewer;
        viewer.showPicture(plainPicture(picture, Qt::red), Caption);
        QVERIFY(QTest::qWaitForWindowExposed(&viewer));
        const QRect screen = viewer.screen()->availableGeometry();
        QVERIFY(screen.width() < 2500 && screen.height() < 1800);
        QTRY_COMPARE(viewer.frameGeometry().size(), (picture + QSize(100, 100)).boundedTo(screen.size()));
        QVERIFY(screen.contains(viewer.frameGeometry()));
        QCOMPARE(viewer.scrollRange(), picture);
        auto* area = viewer.findChild<QScrollArea*>();
        const QSize viewport = area->viewport()->size();
        if (picture.width() > screen.width())
            QCOMPARE(area->horizontalScrollBar()->maximum(), picture.width() - viewport.width());
        if (picture.height() > screen.height())
            QCOMPARE(area->verticalScrollBar()->maximum(), picture.height() - viewport.height());
    }

    // Left partly off the screen, or where the next picture would not fit:
    // moved just far enough to lie on the screen.
    void laterShowingLiesOnTheScreen_data()
    {
        QTest::addColumn<QPoint>("leftAt"); // from the free area's bottom right
        QTest::addColumn<QSize>("picture");
        QTest::newRow("left partly off") << QPoint(-100, -50) << QSize(300, 200);
        QTest::newRow("next one larger") << QPoint(-450, -350) << QSize(500, 400);
        QTest::newRow("next one larger than the screen") << QPoint(-450, -350) << QSize(2500, 1800);
    }
    void laterShowingLiesOnTheScreen()
    {
        QFETCH(QPoint, leftAt);
        QFETCH(QSize, picture);
        TForm6 viewer;
        viewer.showPicture(plainPicture({300, 200}, Qt::red), Caption);
        QVERIFY(QTest::qWaitForWindowExposed(&viewer));
        const QRect screen = viewer.screen()->availableGeometry();
        viewer.move(screen.bottomRight() + QPoint(1, 1) + leftAt);
        viewer.close();
        viewer.showPicture(plainPicture(picture, Qt::blue), Caption);
        QVERIFY(QTest::qWaitForWindowExposed(&viewer));
        const QSize outer = (picture + QSize(100, 100)).boundedTo(screen.size());
        QTRY_COMPARE(viewer.frameGeometry().size(), outer);
        QCOMPARE(viewer.frameGeometry().bottomRight(), screen.bottomRight());
    }

    void closingGivesTheFocusToTheNumbersGrid_data()
    {
        QTest::addColumn<bool>("byMenuItem");
        QTest::newRow("Luk menu item") << true;
        QTest::newRow("close button") << false;
    }
    void closingGivesTheFocusToTheNumbersGrid()
    {
        QFETCH(bool, byMenuItem);
        MainWindow main;
        main.window.show();
        QVERIFY(QTest::qWaitForWindowActive(&main.window));
        main.other->setFocus();
        QTRY_COMPARE(QApplication::focusWidget(), main.other);

        TForm6 viewer;
        viewer.setReturnFocus(main.grid);
        QSignalSpy closed(&viewer, &TForm6::closed);
        viewer.showPicture(plainPicture({30, 20}, Qt::red), main.window.windowTitle());
        QVERIFY(QTest::qWaitForWindowActive(&viewer));
        if (byMenuItem)
            viewer.findChild<QAction*>("LukAltF41")->trigger();
        else
            viewer.close();
        QVERIFY(!viewer.isVisible());
        QCOMPARE(closed.count(), 1);
        QTRY_COMPARE(QApplication::focusWidget(), main.grid);
        QTRY_COMPARE(QApplication::activeWindow(), &main.window);
    }
};

QTEST_MAIN(ViewerTest)
#include "tst_viewer.moc"
