// Attaching one picture: the open dialog's options and memory, the current
// folder, a full path too long for the field refused, empty areas, the popup menu.
#include "AttachPicture.h"
#include "Collection.h"
#include "Database.h"
#include "ErrorOf.h"
#include "MainViews.h"
#include "PictureOpenDialog.h"
#include "PicturePopupMenu.h"
#include "ScriptedDialogs.h"
#include "TableView.h"
#include "TestPictures.h"

#include <QStandardItemModel>
#include <QTableView>
#include <QTest>

using namespace kvilbro;
using namespace kvilbro::test;

namespace {

using Views = kvilbro::test::MainViews;

} // namespace

class AttachPictureTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { pinEnvironment(); }

    void init()
    {
        c = std::make_unique<Collection>();
        c->addArea("DK", "Danmark");
        c->addArea("IS", "Island");
        for (int n = 1; n <= 3; ++n)
            c->addNumber("DK", "Danmark", n, {}, {"x", "", "x"}, {}, n == 2 ? "fin" : "");
        views = std::make_unique<Views>(c->path());
    }
    void cleanup()
    {
        views.reset();
        c.reset();
    }

    void storesTheFullPathInTheCurrentNumber()
    {
        CurrentDirGuard cwd;
        const QString chosen = c->path() + "/billeder/stamp.jpg";
        QDir(c->path()).mkdir("billeder");
        ScriptedDialogs dialogs;
        dialogs.answerOpenFile(QString(), chosen);
        PictureOpenDialog openDialog;
        views->numbers.next(); // number 2
        attachPicture(views->numbers, dialogs, openDialog);

        QCOMPARE(views->numbers.state(), TableView::State::Browse);
        QCOMPARE(c->scalar("SELECT Billede FROM stm2manc WHERE Nummer = 2").toString(), chosen);
        QCOMPARE(c->scalar("SELECT Bemærkning FROM stm2manc WHERE Nummer = 2").toString(), QString("fin"));
        QCOMPARE(c->count("stm2manc", "Billede IS NOT NULL"), 1);
        QCOMPARE(views->numbers.asText(u"Nummer"), QString("2"));
        // The dialog need not find the file, and leaves us in its folder.
        QCOMPARE(QDir::currentPath(), c->path() + "/billeder");
    }

    void emptyAreaGetsANewRowWithLinkAndPath()
    {
        ScriptedDialogs dialogs;
        dialogs.answerOpenFile(QString(), c->path() + "/is.bmp");
        PictureOpenDialog openDialog;
        CurrentDirGuard cwd;
        views->areas.next();
        QVERIFY(views->numbers.isEmpty());
        attachPicture(views->numbers, dialogs, openDialog);

        QCOMPARE(c->count("stm2manc", "Land = 'IS'"), 1);
        QCOMPARE(c->count("stm2manc", "Land = 'IS' AND Stamoplysning = 'Island' AND Billede = '" + c->path() +
                                          "/is.bmp' AND Nummer IS NULL AND Type IS NULL AND \"***\" IS NULL AND "
                                          "\"*\" IS NULL AND O IS NULL AND Bemærkning IS NULL"),
                 1);
        QCOMPARE(c->count("stm2manc"), 4);
    }

    void pathIsExpandedOrRefused_data()
    {
        QTest::addColumn<QString>("chosen"); // relative to the collection's folder
        QTest::addColumn<bool>("stored");    // else refused: too long for the field
        QTest::newRow("relative name") << "rel:sub/../stamp.bmp" << true;
        QTest::newRow("long path") << QString("deep/") + QString(80, 'm') + "/stamp.jpg" << false;
        QTest::newRow("75 characters") << "75" << true;
        QTest::newRow("76 characters") << "76" << false;
    }
    void pathIsExpandedOrRefused()
    {
        QFETCH(QString, chosen);
        QFETCH(bool, stored);
        CurrentDirGuard cwd;
        QDir::setCurrent(c->path());
        if (chosen == "75" || chosen == "76") // a name that makes the full path that long
            chosen = QString(chosen.toInt() - c->path().size() - 1 - 4, u'n') + ".jpg";
        ScriptedDialogs dialogs;
        const bool relative = chosen.startsWith("rel:");
        dialogs.answerOpenFile(QString(), relative ? chosen.mid(4) : c->path() + "/" + chosen);
        const QString full = QDir::cleanPath(c->path() + "/" + (relative ? chosen.mid(4) : chosen));
        QDir().mkpath(QFileInfo(full).absolutePath());
        PictureOpenDialog openDialog;
        const QString error = errorOf([&] { attachPicture(views->numbers, dialogs, openDialog); });
        const QVariant billede = c->scalar("SELECT Billede FROM stm2manc WHERE Nummer = 1");
        if (stored) {
            QCOMPARE(error, QString());
            QCOMPARE(billede.toString(), full);
        } else {
            QVERIFY(full.size() > 75);
            QCOMPARE(error, "Billedet blev ikke tilføjet, fordi dets fulde sti er længere end de 75 tegn, feltet "
                            "Billede kan rumme: " +
                                full + ". Flyt billedet til en mappe med en kortere sti.");
            QVERIFY(billede.isNull());
            QCOMPARE(views->numbers.state(), TableView::State::Browse);
        }
        QCOMPARE(openDialog.fileName(), full);
        QCOMPARE(QDir::currentPath(), QFileInfo(full).absolutePath());
    }

    void cancelChangesNothing()
    {
        CurrentDirGuard cwd;
        const QString before = QDir::currentPath();
        ScriptedDialogs dialogs; // no answer: cancelled
        PictureOpenDialog openDialog;
        attachPicture(views->numbers, dialogs, openDialog);
        QCOMPARE(dialogs.shownOf("open").size(), 1);
        QCOMPARE(views->numbers.state(), TableView::State::Browse);
        QCOMPARE(c->count("stm2manc", "Billede IS NOT NULL"), 0);
        QCOMPARE(QDir::currentPath(), before);
        QCOMPARE(openDialog.options().initialName, QString("*.bmp;*.jpg"));
    }

    // The dialog remembers the last file: next time it opens in its folder with its name.
    void dialogOptionsAndMemory()
    {
        CurrentDirGuard cwd;
        ScriptedDialogs dialogs;
        PictureOpenDialog openDialog;
        dialogs.answerOpenFile(QString(), c->path() + "/first/a.jpg");
        dialogs.answerOpenFile(QString(), QString());
        attachPicture(views->numbers, dialogs, openDialog);
        FileDialogOptions first = dialogs.lastFileOptions;
        QCOMPARE(first.filters, QStringList{"Billedfiler (*.jpg *.bmp)"});
        QCOMPARE(first.initialName, QString("*.bmp;*.jpg"));
        QCOMPARE(first.directory, QString());

        attachPicture(views->numbers, dialogs, openDialog); // cancelled
        QCOMPARE(dialogs.lastFileOptions.filters, first.filters);
        QCOMPARE(dialogs.lastFileOptions.directory, c->path() + "/first");
        QCOMPARE(dialogs.lastFileOptions.initialName, QString("a.jpg"));
        QCOMPARE(openDialog.options().directory, c->path() + "/first");
    }

    // A right-click makes the clicked row current before the menu opens.
    void popupMenuMovesToTheClickedRow()
    {
        QStandardItemModel model(5, 3);
        QTableView grid;
        grid.setModel(&model);
        grid.resize(300, 200);
        grid.show();
        QVERIFY(QTest::qWaitForWindowExposed(&grid));
        grid.setCurrentIndex(model.index(0, 1));
        PicturePopupMenu menu(&grid);
        QCOMPARE(menu.objectName(), QString("PopupMenu1"));
        QCOMPARE(menu.hentbillede()->text(), QString("Hent billede"));
        QCOMPARE(menu.hentbillede()->objectName(), QString("Hentbillede"));

        const QPoint onRow3 = grid.visualRect(model.index(3, 2)).center();
        emit grid.customContextMenuRequested(onRow3);
        QCOMPARE(grid.currentIndex().row(), 3);
        QTRY_VERIFY(menu.isVisible());
        menu.hide();

        // Below the last row: the menu opens on the current row.
        emit grid.customContextMenuRequested(QPoint(5, 190));
        QCOMPARE(grid.currentIndex().row(), 3);
        menu.hide();
    }

private:
    std::unique_ptr<Collection> c;
    std::unique_ptr<Views> views;
};

QTEST_MAIN(AttachPictureTest)
#include "tst_attachpicture.moc"
