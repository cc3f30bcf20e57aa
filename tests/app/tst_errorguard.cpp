// The general error handler: what the collector reads, and that the program goes on.
#include "Error.h"
#include "ErrorGuard.h"
#include "ScriptedDialogs.h"

#include <QTest>

using namespace kvilbro;

class ErrorGuardTest : public QObject {
    Q_OBJECT

private slots:
    void fullStop_data()
    {
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("shown");
        QTest::newRow("letter") << "Key violation"
                                << "Key violation.";
        QTest::newRow("full stop already") << "Done."
                                           << "Done.";
        QTest::newRow("closing quote") << "'x' is not a valid integer value"
                                       << "'x' is not a valid integer value.";
        QTest::newRow("apostrophe sorts before") << "field 'Nummer'"
                                                 << "field 'Nummer'";
        QTest::newRow("bracket sorts before") << "failed (disk)"
                                              << "failed (disk)";
        QTest::newRow("question mark sorts after") << "Why?"
                                                   << "Why?.";
        QTest::newRow("digit sorts after") << "error 5"
                                           << "error 5.";
        QTest::newRow("slash sorts after") << "in /tmp/"
                                           << "in /tmp/.";
        QTest::newRow("hyphen sorts before") << "a-"
                                             << "a-";
        QTest::newRow("Danish letter") << "Filen mangler på disk i Århus ø"
                                       << "Filen mangler på disk i Århus ø.";
        QTest::newRow("empty") << ""
                               << "";
    }

    void fullStop()
    {
        QFETCH(QString, message);
        QFETCH(QString, shown);
        QCOMPARE(ErrorGuard::withFullStop(message), shown);
    }

    void guardShowsAndGoesOn()
    {
        test::ScriptedDialogs dialogs;
        ErrorGuard::setDialogs(&dialogs);
        int after = 0;
        QVERIFY(!ErrorGuard::guarded([&] {
            throw Error(QStringLiteral("The table file x is locked"));
            ++after; // never reached: the command does not resume
        }));
        QVERIFY(ErrorGuard::guarded([&] { ++after; }));
        QCOMPARE(after, 1);
        QCOMPARE(dialogs.shownOf("stop").size(), 1);
        QCOMPARE(dialogs.shownOf("stop").first().text, QStringLiteral("The table file x is locked."));
        QCOMPARE(dialogs.shownOf("stop").first().caption, applicationTitle());
        QCOMPARE(applicationTitle(), QStringLiteral("tst_errorguard"));
        ErrorGuard::setDialogs(nullptr);
    }
};

QTEST_MAIN(ErrorGuardTest)
#include "tst_errorguard.moc"
