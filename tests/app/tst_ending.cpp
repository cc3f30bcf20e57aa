// How the program ends with rows still being typed. Logout and shutdown
// (SIGTERM, SIGHUP) end the real program cleanly: a row is stored when it can
// be, dropped when it cannot, no dialog waits for an answer, and the exit code
// says all went well. A row that cannot be stored never costs another one.
#include "MainWindowFixture.h"

#include "CollectionBackup.h"

#include "StoreMessages.h"
#include "TableView.h"

#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QTest>

#include <csignal>

using namespace kvilbro;
using namespace kvilbro::test;

class EndingTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { pinEnvironment(); }

    void endedBySignal_data()
    {
        QTest::addColumn<int>("signal");
        QTest::addColumn<bool>("storable");
        QTest::addColumn<bool>("boxOpen");
        QTest::newRow("SIGTERM") << SIGTERM << true << false;
        QTest::newRow("SIGHUP") << SIGHUP << true << false;
        QTest::newRow("SIGTERM, message box open") << SIGTERM << true << true;
        QTest::newRow("SIGTERM, row cannot be stored") << SIGTERM << false << false;
        QTest::newRow("SIGHUP, row cannot be stored") << SIGHUP << false << false;
    }
    void endedBySignal()
    {
        QFETCH(int, signal);
        QFETCH(bool, storable);
        QFETCH(bool, boxOpen);
        Collection c;
        // The start pictures are there, so the program starts without a box.
        for (const char* name : {"Frim.bmp", "frim.bmp"}) {
            QImage picture(40, 30, QImage::Format_RGB32);
            picture.fill(Qt::red);
            QVERIFY(picture.save(c.file(name), "BMP"));
        }
        c.addArea("DK", "Danmark");
        c.addNumber("DK", "Danmark", 1);
        c.addNumber("DK", "Danmark", 2);
        c.closeConnections(); // the rows are in the table file itself

        QProcess program;
        program.start(QStringLiteral(KVILBRO_PENDING_EDITOR), {c.path(), boxOpen ? "box" : "edit"});
        QVERIFY(program.waitForStarted());
        QByteArray said;
        while (!said.contains("ready\n")) {
            QVERIFY2(program.waitForReadyRead(20000), program.readAllStandardError().constData());
            said += program.readAllStandardOutput();
        }
        if (!storable) {
            // The file is replaced under the program, so the row cannot go in.
            const QString path = c.file("stm2manc.DB");
            QVERIFY(QFile::copy(path, path + ".ny"));
            QVERIFY(QFile::remove(path));
            QVERIFY(QFile::rename(path + ".ny", path));
        }
        QCOMPARE(::kill(program.processId(), signal), 0);
        // A dialog shown now would keep it waiting.
        QVERIFY2(program.waitForFinished(20000), program.readAllStandardError().constData());
        QCOMPARE(program.exitStatus(), QProcess::NormalExit);
        QCOMPARE(program.exitCode(), 0);
        QCOMPARE(c.count("stm2manc", "\"Bemærkning\" = 'skrevet lige før logud'"), storable ? 1 : 0);
        QCOMPARE(c.count("stm2manc"), 2);
    }

    // The area being edited is stored although the number typed below it
    // cannot be, whether the collector closes (and agrees to lose the number)
    // or the session ends.
    void onlyTheRefusedRowIsDropped_data()
    {
        QTest::addColumn<bool>("logout");
        QTest::newRow("closed") << false;
        QTest::newRow("logout") << true;
    }
    void onlyTheRefusedRowIsDropped()
    {
        QFETCH(bool, logout);
        MainWindowFixture f(fillSample);
        TForm2& w = f.window();
        w.Table1->edit();
        w.Table1->setText(u"Beskrivelse", "Danmark 1851-2000");
        w.Table2->append();
        w.Table2->setInteger(u"Nummer", 4711);
        // The numbers' file is replaced under the program, so the number cannot go in.
        const QString path = f.collection().file("stm2manc.DB");
        f.collection().closeConnections();
        QVERIFY(QFile::copy(path, path + ".ny"));
        QVERIFY(QFile::remove(path));
        QVERIFY(QFile::rename(path + ".ny", path));
        if (logout) {
            w.endSession();
        } else {
            const QString reason =
                storemessages::fileGone(QDir::toNativeSeparators(QFileInfo(path).canonicalFilePath()));
            f.dialogs.answerConfirm("Rækken kan ikke gemmes:\n" + reason + "\n\nLuk uden at gemme den?", true);
            QVERIFY(w.close());
        }
        QCOMPARE(f.dialogs.shown().size(), logout ? 0 : 1);
        QCOMPARE(w.Table2->state(), TableView::State::Browse);
        QCOMPARE(w.Table1->state(), TableView::State::Browse);
        QCOMPARE(f.collection().count("stm2frim", "Beskrivelse = 'Danmark 1851-2000'"), 1);
        QCOMPARE(f.collection().count("stm2manc", "Nummer = 4711"), 0);
    }

    // A normal end after changes backs the collection up, once a day.
    void dailyBackupAtTheEnd()
    {
        MainWindowFixture f(fillSample);
        Program& program = f.program();
        QDateTime now(QDate(2026, 12, 10), QTime(21, 30));
        program.setClock([&now] { return now; });
        const QString backups = f.collection().path() + "/backups";
        auto change = [&f](const QString& remark) {
            TableView& numbers = *f.window().Table2;
            numbers.edit();
            numbers.setText(u"Bemærkning", remark);
            numbers.post();
        };

        program.finish(); // nothing changed yet
        QVERIFY(!QFileInfo::exists(backups));
        change("første");
        program.finish();
        QCOMPARE(backup::list(backups).size(), 1);
        change("anden");
        now = now.addSecs(3600);
        program.finish(); // the same day
        QCOMPARE(backup::list(backups).size(), 1);
        now = now.addDays(1);
        program.finish();
        QCOMPARE(backup::list(backups).size(), 2);
        QVERIFY(f.dialogs.messages().isEmpty());

        // A backup that cannot be made is said once; the end goes on.
        QVERIFY(QDir(backups).removeRecursively());
        QFile blocker(backups);
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        now = now.addDays(1);
        program.finish();
        QCOMPARE(f.dialogs.messages().size(), 1);
        QVERIFY2(f.dialogs.messages().first().startsWith("Dagens sikkerhedskopi af samlingen kunne ikke laves: "),
                 qPrintable(f.dialogs.messages().first()));
    }
};

QTEST_MAIN(EndingTest)
#include "tst_ending.moc"
