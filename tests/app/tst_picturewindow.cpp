// The picture panel, the viewer and attaching a picture from the main window.
#include "MainWindowFixture.h"

#include "BevelPanel.h"
#include "DBGrid.h"
#include "ImageWidget.h"
#include "PicturePanel.h"
#include "TForm6.h"
#include "TableView.h"

#include <QAction>
#include <QCheckBox>
#include <QImage>
#include <QPushButton>
#include <QTest>

using namespace kvilbro;
using namespace kvilbro::test;

namespace {

QString savePicture(Collection& c, const QString& name, QSize size, QColor colour)
{
    QImage picture(size, QImage::Format_RGB32);
    picture.fill(colour);
    const QString path = c.file(name);
    picture.save(path, "BMP");
    return path;
}

} // namespace

class PictureWindowTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { pinEnvironment(); }

    void startPictureAndPanel()
    {
        MainWindowFixture f(fillSample);
        TForm2& w = f.window();
        QVERIFY(f.dialogs.shown().isEmpty());
        QVERIFY(w.CheckBox2->isChecked());
        QCOMPARE(w.CheckBox2->text(), QStringLiteral("Vis billede"));
        QVERIFY(w.Panel5->isHidden());
        QCOMPARE(w.Image1->size(), QSize(100, 67)); // the 120 x 80 start picture, fitted
        QCOMPARE(w.Image1->pos(), QPoint(16, 32));
        const int narrow = w.Panel3->width();
        w.CheckBox2->click();
        QCOMPARE(w.CheckBox2->text(), QStringLiteral("Skjul billede"));
        QVERIFY(w.Panel5->isVisible());
        QCOMPARE(w.Panel3->width(), narrow - 184);
    }

    void numbersShowTheirPictures()
    {
        QString wide;
        MainWindowFixture f([&wide](Collection& c) {
            fillSample(c);
            wide = savePicture(c, "714Ch.bmp", QSize(300, 200), Qt::blue);
            c.exec(QString("UPDATE stm2manc SET Billede='%1' WHERE Nummer=2").arg(wide));
        });
        TForm2& w = f.window();
        w.DBGrid2->setFocus();
        QTest::keyClick(w.DBGrid2, Qt::Key_Down); // onto number 2
        QCOMPARE(w.Image1->size(), QSize(100, 67));
        QCOMPARE(w.picturePanel().picture().pixelColor(0, 0), QColor(Qt::blue));
        QTest::keyClick(w.DBGrid2, Qt::Key_Down); // number 3 has none: the default picture
        QCOMPARE(w.picturePanel().picture().pixelColor(0, 0), QColor(200, 40, 40));

        // The viewer shows the panel's picture at its natural size; closing it
        // gives the focus to the numbers grid.
        QTest::keyClick(w.DBGrid2, Qt::Key_Up);
        w.DBGrid1->setFocus();
        QTest::keyClick(w.DBGrid1, Qt::Key_B, Qt::AltModifier);
        TForm6* viewer = f.program().viewer();
        QTRY_VERIFY(viewer->isVisible()); // the access key presses the button as a click does
        QCOMPARE(viewer->picture().size(), QSize(300, 200));
        QCOMPARE(viewer->scrollRange(), QSize(300, 200));
        QCOMPARE(viewer->windowTitle(), QStringLiteral("Kvilbro ver. 3,8"));
        viewer->close();
        QVERIFY(!viewer->isVisible());
        QTRY_COMPARE(QApplication::focusWidget(), w.DBGrid2);
        QVERIFY(f.dialogs.messages().isEmpty());
    }

    void attachingLeavesThePanelUntilTheNextTrigger()
    {
        MainWindowFixture f(fillSample);
        TForm2& w = f.window();
        const QString picture = savePicture(f.collection(), "ny.bmp", QSize(40, 30), Qt::green);
        w.DBGrid2->setCurrentIndex(w.DBGrid2->model()->index(2, 0));
        f.dialogs.answerOpenFile(QString(), picture);
        w.menuAction("Tilfjetbillede1Click")->trigger();
        QCOMPARE(f.collection().scalar("SELECT Billede FROM stm2manc WHERE Nummer=3").toString(), picture);
        QCOMPARE(w.Table2->asText(u"Nummer"), QStringLiteral("3"));
        QVERIFY(w.picturePanel().picture().pixelColor(0, 0) != QColor(Qt::green));
        QTest::mouseClick(w.DBGrid2->viewport(), Qt::LeftButton, {},
                          w.DBGrid2->visualRect(w.DBGrid2->model()->index(2, 1)).center());
        QCOMPARE(w.picturePanel().picture().pixelColor(0, 0), QColor(Qt::green));
        QCOMPARE(w.Image1->size(), QSize(40, 30));
        QCOMPARE(f.dialogs.shownOf("open").size(), 1);
    }

    void brokenPictureKeepsThePrevious()
    {
        MainWindowFixture f([](Collection& c) {
            fillSample(c);
            QFile broken(c.file("skadet.jpg"));
            broken.open(QIODevice::WriteOnly);
            broken.write("\xff\xd8\xff\xe0 not really a JPEG");
            broken.close();
            c.exec(QString("UPDATE stm2manc SET Billede='%1' WHERE Nummer=2").arg(c.file("skadet.jpg")));
        });
        TForm2& w = f.window();
        w.DBGrid2->setFocus();
        const QSize before = w.Image1->size();
        QTest::keyPress(w.DBGrid2, Qt::Key_Down); // press: still on 1, the default picture
        QVERIFY(f.dialogs.messages().isEmpty());
        QTest::keyRelease(w.DBGrid2, Qt::Key_Down); // release: on 2, which cannot be read
        QCOMPARE(f.dialogs.messages().size(), 1);
        // The decoder's words, after the file's name.
        QCOMPARE(f.dialogs.messages().first(),
                 "Billedfilen " + f.collection().file("skadet.jpg") + " kan ikke læses: Premature end of JPEG file.");
        QCOMPARE(w.Image1->size(), before);
        QCOMPARE(w.picturePanel().picture().pixelColor(0, 0), QColor(200, 40, 40));
    }
};

QTEST_MAIN(PictureWindowTest)
#include "tst_picturewindow.moc"
