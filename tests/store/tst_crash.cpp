// A process killed in the middle of posting loses no row it reported as posted,
// and leaves sound table files behind.
#include "Collection.h"

#include <QProcess>
#include <QTest>

using kvilbro::test::Collection;

class CrashTest : public QObject {
    Q_OBJECT

private slots:
    void killedWhilePosting()
    {
        kvilbro::test::pinEnvironment();
        Collection c;
        c.addArea(QStringLiteral("DK"), QStringLiteral("Danmark"));

        QProcess poster;
        poster.start(QStringLiteral(KVILBRO_CRASH_POSTER), {c.path()});
        QVERIFY(poster.waitForStarted());
        QByteArray reported;
        while (reported.count('\n') < 300) {
            QVERIFY2(poster.waitForReadyRead(10000), "the poster stopped reporting");
            reported += poster.readAllStandardOutput();
        }
        poster.kill(); // SIGKILL: no chance to tidy up
        QVERIFY(poster.waitForFinished(10000));
        reported += poster.readAllStandardOutput();
        QCOMPARE(poster.exitStatus(), QProcess::CrashExit);

        QProcess check;
        check.start(QStringLiteral(KVILBRO_TABLES_EXE), {QStringLiteral("check"), c.path()});
        QVERIFY(check.waitForFinished(30000));
        QVERIFY2(check.exitCode() == 0, check.readAllStandardError().constData());

        // Only whole lines were reported posts.
        QList<QByteArray> lines = reported.split('\n');
        lines.removeLast();
        const int last = lines.last().toInt();
        QCOMPARE(lines.size(), last);
        QVERIFY(c.count(QStringLiteral("stm2manc")) >= last);
        QCOMPARE(c.count(QStringLiteral("stm2manc"), QStringLiteral("Nummer BETWEEN 1 AND %1 AND Land='DK'").arg(last)),
                 last);
    }
};

QTEST_GUILESS_MAIN(CrashTest)
#include "tst_crash.moc"
