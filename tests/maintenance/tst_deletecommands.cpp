// Deleting an area and clearing marks or picture references: asked twice,
// shown on the gauge, and limited to the current area.
#include "CommandsFixture.h"

#include <QFile>
#include <QTest>

#include <sqlite3.h>

using namespace kvilbro;
using namespace kvilbro::test;

class DeleteCommandsTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { test::pinEnvironment(); }

    void deleteAreaAnswers_data()
    {
        QTest::addColumn<bool>("yes");
        QTest::addColumn<QString>("word");
        QTest::addColumn<bool>("wordOk");
        QTest::addColumn<bool>("deleted");

        QTest::newRow("No") << false << "SLET" << true << false;
        QTest::newRow("lower case") << true << "slet" << true << false;
        QTest::newRow("trailing space") << true << "SLET " << true << false;
        QTest::newRow("leading space") << true << " SLET" << true << false;
        QTest::newRow("cancel after typing SLET") << true << "SLET" << false << false;
        QTest::newRow("SLET") << true << "SLET" << true << true;
    }

    void deleteAreaAnswers()
    {
        QFETCH(bool, yes);
        QFETCH(QString, word);
        QFETCH(bool, wordOk);
        QFETCH(bool, deleted);

        Collection c;
        c.addArea("DK", "Danmark");
        c.addArea("SE", "Sverige");
        c.addArea("NO", "Norge");
        seed(c, "DK", "Danmark", {"1", "2"});
        seed(c, "SE", "Sverige", {"9", "2", "5", "5b"});
        seed(c, "NO", "Norge", {"6", "4"});
        Window w(c.path());
        w.areas.next();
        w.dialogs.answerConfirm("Slet disse katalognumre ?", yes);
        if (yes)
            w.dialogs.answerInput("Bekræft sletning", "Skriv SLET", word, wordOk);

        QVERIFY(w.run(&CollectionCommands::deleteArea));

        QCOMPARE(w.dialogs.shownOf("confirm").size(), 1);
        QCOMPARE(w.dialogs.shownOf("confirm")[0].text, QString("Slet disse katalognumre ?"));
        const auto inputs = w.dialogs.shownOf("input");
        QCOMPARE(inputs.size(), yes ? 1 : 0);
        if (yes)
            compareInput(inputs[0], "Bekræft sletning", "Skriv SLET", "");
        QVERIFY(w.dialogs.messages().isEmpty());

        QCOMPARE(storedNumbers(c.path(), "Danmark"), (QStringList{"1", "2"}));
        QCOMPARE(storedNumbers(c.path(), "Norge"), (QStringList{"4", "6"}));
        if (deleted) {
            QCOMPARE(storedAreas(c.path()), (QStringList{"DK|Danmark", "NO|Norge"}));
            QCOMPARE(storedNumbers(c.path(), "Sverige"), QStringList());
            QCOMPARE(w.progress.calls, gaugeRun(Deleting, 9, {0, 1, 2, 3}));
            // The next area, with its first number.
            QCOMPARE(w.currentArea(), QString("Norge"));
            QCOMPARE(w.currentNumber(), QString("4"));
        } else {
            QCOMPARE(storedAreas(c.path()), (QStringList{"DK|Danmark", "SE|Sverige", "NO|Norge"}));
            QCOMPARE(storedNumbers(c.path(), "Sverige"), (QStringList{"2", "5", "5b", "9"}));
            QCOMPARE(w.progress.calls, QStringList());
            QCOMPARE(w.currentArea(), QString("Sverige"));
        }
    }

    void deleteLastAreaMovesBack()
    {
        Collection c;
        c.addArea("DK", "Danmark");
        c.addArea("SE", "Sverige");
        seed(c, "DK", "Danmark", {"3", "1"});
        seed(c, "SE", "Sverige", {"9"});
        Window w(c.path());
        w.areas.last();
        w.dialogs.answerConfirm("Slet disse katalognumre ?", true);
        w.dialogs.answerInput("Bekræft sletning", "Skriv SLET", "SLET");

        QVERIFY(w.run(&CollectionCommands::deleteArea));

        QCOMPARE(storedAreas(c.path()), QStringList{"DK|Danmark"});
        QCOMPARE(w.currentArea(), QString("Danmark"));
        QCOMPARE(w.currentNumber(), QString("1"));
    }

    // The gauge stays inside its range whatever the area holds.
    void deleteAreaGauge_data()
    {
        QTest::addColumn<QStringList>("numbers");
        QTest::addColumn<QStringList>("calls");

        QTest::newRow("a run") << QStringList{"1", "2", "3", "4"} << gaugeRun(Deleting, 4, {0, 1, 2, 3});
        QTest::newRow("no numbers") << QStringList{} << gaugeRun(Deleting, 0, {});
        QTest::newRow("highest below 0") << QStringList{"-5", "-2"} << gaugeRun(Deleting, 0, {0, 0});
        QTest::newRow("more rows than highest")
            << QStringList{"1", "1a", "1b", "2"} << gaugeRun(Deleting, 2, {0, 1, 2, 2});
    }

    void deleteAreaGauge()
    {
        QFETCH(QStringList, numbers);
        QFETCH(QStringList, calls);

        Collection c;
        c.addArea("DK", "Danmark");
        seed(c, "DK", "Danmark", numbers);
        Window w(c.path());
        w.dialogs.answerConfirm("Slet disse katalognumre ?", true);
        w.dialogs.answerInput("Bekræft sletning", "Skriv SLET", "SLET");

        QVERIFY(w.run(&CollectionCommands::deleteArea));

        QCOMPARE(w.progress.calls, calls);
        QCOMPARE(w.progress.breaches, QStringList());
        QCOMPARE(c.count("stm2manc"), 0);
        QCOMPARE(c.count("stm2frim"), 0);
        QVERIFY(w.areas.isEmpty());
        QVERIFY(w.numbers.isEmpty());
    }

    // Two areas with the same National ID and Beskrivelse share their numbers:
    // deleting one takes the shared numbers and that area row only.
    void deleteTwinArea()
    {
        Collection c;
        c.addArea("DK", "Danmark");
        c.addArea("DK", "Danmark");
        c.addArea("SE", "Sverige");
        seed(c, "DK", "Danmark", {"1", "2"});
        seed(c, "SE", "Sverige", {"3"});
        Window w(c.path());
        w.dialogs.answerConfirm("Slet disse katalognumre ?", true);
        w.dialogs.answerInput("Bekræft sletning", "Skriv SLET", "SLET");

        QVERIFY(w.run(&CollectionCommands::deleteArea));

        QCOMPARE(storedAreas(c.path()), (QStringList{"DK|Danmark", "SE|Sverige"}));
        QCOMPARE(c.count("stm2frim", "\"Tæller\" = 1"), 0);
        QCOMPARE(storedNumbers(c.path(), "Danmark"), QStringList());
        QCOMPARE(storedNumbers(c.path(), "Sverige"), QStringList{"3"});
        QCOMPARE(w.currentArea(), QString("Danmark"));
        QVERIFY(w.numbers.isEmpty());
    }

    void deleteWithoutAreas()
    {
        Collection c;
        Window w(c.path());
        w.dialogs.answerConfirm("Slet disse katalognumre ?", true);
        w.dialogs.answerInput("Bekræft sletning", "Skriv SLET", "SLET");

        QVERIFY(w.run(&CollectionCommands::deleteArea));

        QCOMPARE(w.progress.calls, gaugeRun(Deleting, 0, {}));
        QVERIFY(w.dialogs.messages().isEmpty());
    }

    // An engine error part way: what was deleted stays deleted, the rest and the
    // area row stay, and the label and gauge are hidden again.
    void deleteAreaStoppedByEngine()
    {
        Collection c;
        c.addArea("DK", "Danmark");
        seed(c, "DK", "Danmark", {"1", "2", "3", "4"});
        Window w(c.path());
        w.db.setBusyTimeout(50);
        w.dialogs.answerConfirm("Slet disse katalognumre ?", true);
        w.dialogs.answerInput("Bekræft sletning", "Skriv SLET", "SLET");
        // Another program takes the file once two rows are gone.
        sqlite3* other = nullptr;
        QCOMPARE(sqlite3_open(QFile::encodeName(c.file("stm2manc.DB")).constData(), &other), SQLITE_OK);
        w.progress.onPosition = [&](int position) {
            if (position == 1)
                QCOMPARE(sqlite3_exec(other, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
        };

        QVERIFY(!w.run(&CollectionCommands::deleteArea));
        QCOMPARE(sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr), SQLITE_OK);
        sqlite3_close(other);

        QCOMPARE(w.stops().size(), 1);
        QVERIFY2(w.stops()[0].contains("låst af et andet program"), qPrintable(w.stops()[0]));
        QCOMPARE(storedNumbers(c.path(), "Danmark"), (QStringList{"3", "4"}));
        QCOMPARE(storedAreas(c.path()), QStringList{"DK|Danmark"});
        QCOMPARE(w.progress.calls.last(), QString("hide"));
        QVERIFY(!w.progress.visible);
    }

    void clearFields_data()
    {
        QTest::addColumn<bool>("pictures"); // else marks
        QTest::addColumn<bool>("yes");
        QTest::addColumn<QString>("word");
        QTest::addColumn<bool>("cleared");

        QTest::newRow("marks") << false << true << "SLET" << true;
        QTest::newRow("marks, No") << false << false << "SLET" << false;
        QTest::newRow("marks, lower case") << false << true << "slet" << false;
        QTest::newRow("pictures") << true << true << "SLET" << true;
        QTest::newRow("pictures, No") << true << false << "SLET" << false;
        QTest::newRow("pictures, trailing space") << true << true << "SLET " << false;
    }

    void clearFields()
    {
        QFETCH(bool, pictures);
        QFETCH(bool, yes);
        QFETCH(QString, word);
        QFETCH(bool, cleared);

        Collection c;
        c.addArea("DK", "Danmark");
        c.addArea("SE", "Sverige");
        c.addNumber("DK", "Danmark", 1, "", {"x", "x", "x"}, "a.jpg", "r1");
        c.addNumber("DK", "Danmark", 2, "a", {"", "√", ""}, "b.bmp");
        c.addNumber("DK", "Danmark", 3);
        c.addNumber("SE", "Sverige", 1, "", {"x", "y", "z"}, "s.jpg", "r2");
        const QStringList before = storedRows(c.path(), "Danmark");
        const QStringList otherArea = storedRows(c.path(), "Sverige");
        Window w(c.path());
        w.dialogs.answerConfirm(pictures ? "Slet billedhenvisning på disse katalognumre ?"
                                         : "Slet afkrydsning på disse katalognumre ?",
                                yes);
        if (yes)
            w.dialogs.answerInput("Bekræft sletning", "Skriv SLET", word);

        QVERIFY(w.run(pictures ? &CollectionCommands::clearPictureReferences : &CollectionCommands::clearMarks));

        QCOMPARE(w.dialogs.shownOf("confirm").size(), 1);
        QCOMPARE(w.dialogs.shownOf("confirm")[0].text, pictures
                                                           ? QString("Slet billedhenvisning på disse katalognumre ?")
                                                           : QString("Slet afkrydsning på disse katalognumre ?"));
        if (yes)
            compareInput(w.dialogs.shownOf("input").value(0), "Bekræft sletning", "Skriv SLET", "");
        QStringList expected = before;
        if (cleared) {
            expected = pictures
                           ? QStringList{"DK|Danmark|1||x|x|x||r1", "DK|Danmark|2|a||√|||", "DK|Danmark|3||||||"}
                           : QStringList{"DK|Danmark|1|||||a.jpg|r1", "DK|Danmark|2|a||||b.bmp|", "DK|Danmark|3||||||"};
            QCOMPARE(w.currentNumber(), QString("3")); // the area's last row
        }
        QCOMPARE(storedRows(c.path(), "Danmark"), expected);
        QCOMPARE(storedRows(c.path(), "Sverige"), otherArea);
        QVERIFY(w.progress.calls.isEmpty());
        QVERIFY(w.dialogs.messages().isEmpty());
    }
};

QTEST_GUILESS_MAIN(DeleteCommandsTest)
#include "tst_deletecommands.moc"
