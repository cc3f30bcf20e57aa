// The area and number commands on real views over a collection in a temporary
// folder, answered by scripted dialogs and run through the error guard as the
// main window runs them.
#include "CommandsFixture.h"

#include <QTest>

#include <limits>

using namespace kvilbro;
using namespace kvilbro::test;

class CollectionCommandsTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { test::pinEnvironment(); }

    void newArea_data()
    {
        QTest::addColumn<QString>("description");
        QTest::addColumn<bool>("descriptionOk");
        QTest::addColumn<QString>("id");
        QTest::addColumn<bool>("idOk");
        QTest::addColumn<QString>("stored"); // "National ID|Beskrivelse", empty for none
        QTest::addColumn<int>("numbersShown");

        QTest::newRow("cancel first") << "Danmark" << false << "" << false << "" << 0;
        QTest::newRow("empty description") << "" << true << "" << false << "" << 0;
        QTest::newRow("spaces only go on") << "   " << true << "DK" << true << "DK|   " << 0;
        QTest::newRow("cancel second keeps the area") << "Island" << true << "IS" << false << "|Island" << 0;
        QTest::newRow("cut to widths") << QString("Sønderjylland ").repeated(4) << true << "ÆØÅDKX" << true
                                       << "ÆØÅDK|" + QString("Sønderjylland ").repeated(4).left(50) << 0;
        QTest::newRow("link already has rows") << "Danmark" << true << "DK" << true << "DK|Danmark" << 2;
    }

    void newArea()
    {
        QFETCH(QString, description);
        QFETCH(bool, descriptionOk);
        QFETCH(QString, id);
        QFETCH(bool, idOk);
        QFETCH(QString, stored);
        QFETCH(int, numbersShown);

        Collection c;
        c.addArea("SE", "Sverige");
        seed(c, "SE", "Sverige", {"1"});
        seed(c, "DK", "Danmark", {"1", "2"}); // rows whose area does not exist (yet)
        Window w(c.path());
        w.dialogs.answerInput("Opret nyt samleområde", "Indtast beskrivelse", description, descriptionOk);
        if (descriptionOk && !description.isEmpty())
            w.dialogs.answerInput("Opret nyt samleområde", "Indtast Nationalitets ID", id, idOk);

        QVERIFY(w.run(&CollectionCommands::newArea));

        const auto inputs = w.dialogs.shownOf("input");
        compareInput(inputs.value(0), "Opret nyt samleområde", "Indtast beskrivelse", "");
        QCOMPARE(w.areas.state(), TableView::State::Browse);
        if (stored.isEmpty()) {
            QCOMPARE(inputs.size(), 1);
            QCOMPARE(storedAreas(c.path()), QStringList{"SE|Sverige"});
            QCOMPARE(w.currentArea(), QString("Sverige"));
            return;
        }
        QCOMPARE(inputs.size(), 2);
        compareInput(inputs[1], "Opret nyt samleområde", "Indtast Nationalitets ID", "");
        QCOMPARE(storedAreas(c.path()), (QStringList{"SE|Sverige", stored}));
        QCOMPARE(w.areas.asText(u"National ID") + '|' + w.currentArea(), stored);
        QCOMPARE(w.numbers.recordCount(), numbersShown);
        QVERIFY(w.dialogs.messages().isEmpty());
        QVERIFY(w.progress.calls.isEmpty());
    }

    // New numbers link to their area exactly as the area is stored, even when
    // it is spelled in a way the program would not write itself.
    void addNumbersLinkExactly_data()
    {
        QTest::addColumn<QString>("description");
        QTest::newRow("not composed") << QString::fromUtf8("Cura\xc3\xa7"
                                                           "ao") +
                                             QChar(0x0301);
        QTest::newRow("longer than the field") << QString(60, u'Ø');
    }
    void addNumbersLinkExactly()
    {
        QFETCH(QString, description);
        Collection c;
        c.addArea("CW", description);
        Window w(c.path());
        w.dialogs.answerInput("Hvor mange numre skal tilføjes ?", "", "2");
        QVERIFY(w.run(&CollectionCommands::addNumbers));
        QCOMPARE(w.numbers.recordCount(), 2);
        QCOMPARE(c.count("stm2manc"), 2);
        QCOMPARE(c.scalar("SELECT min(Stamoplysning) FROM stm2manc").toString(), description);
        QCOMPARE(c.scalar("SELECT max(Stamoplysning) FROM stm2manc").toString(), description);
    }

    // A second area with the same link would take over the first one's numbers.
    void newAreaTwinRefused()
    {
        Collection c;
        c.addArea("DK", "Danmark");
        seed(c, "DK", "Danmark", {"1", "2"});
        Window w(c.path());
        w.dialogs.answerInput("Opret nyt samleområde", "Indtast beskrivelse", "Danmark");
        w.dialogs.answerInput("Opret nyt samleområde", "Indtast Nationalitets ID", "DK");
        QVERIFY(!w.run(&CollectionCommands::newArea));
        QVERIFY2(w.stops().value(0).contains("findes allerede et samleområde"), qPrintable(w.stops().value(0)));
        w.areas.cancel();
        QCOMPARE(storedAreas(c.path()), QStringList{"DK|Danmark"});
        QCOMPARE(storedNumbers(c.path(), "Danmark"), (QStringList{"1", "2"}));
    }

    void addNumbers_data()
    {
        QTest::addColumn<QStringList>("existing");
        QTest::addColumn<QString>("answer");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<QList<int>>("added");
        QTest::addColumn<bool>("gaugeShown");

        const QStringList none;
        QTest::newRow("zero") << none << "0" << true << QList<int>{} << false;
        QTest::newRow("empty") << none << "" << true << QList<int>{} << false;
        QTest::newRow("leading space") << none << " 5" << true << QList<int>{} << false;
        QTest::newRow("plus") << none << "+5" << true << QList<int>{} << false;
        QTest::newRow("minus") << none << "-5" << true << QList<int>{} << false;
        QTest::newRow("cancel gives 0") << none << "5" << false << QList<int>{} << false;
        QTest::newRow("two zeros") << none << "00" << true << QList<int>{} << true;
        QTest::newRow("word") << none << "abc" << true << QList<int>{} << true;
        QTest::newRow("digits then letters") << none << "12abc" << true << upTo(12) << true;
        QTest::newRow("leading zero") << none << "05" << true << upTo(5) << true;
        QTest::newRow("hexadecimal") << none << "x1A" << true << upTo(26) << true;
        QTest::newRow("highest 100 plus 3")
            << QStringList{"5", "100", "7", "100a"} << "3" << true << QList<int>{101, 102, 103} << true;
        QTest::newRow("empty area plus 2") << none << "2" << true << QList<int>{1, 2} << true;
        QTest::newRow("highest below 0") << QStringList{"-10", "-3"} << "2" << true << QList<int>{-2, -1} << true;
    }

    void addNumbers()
    {
        QFETCH(QStringList, existing);
        QFETCH(QString, answer);
        QFETCH(bool, ok);
        QFETCH(QList<int>, added);
        QFETCH(bool, gaugeShown);

        Collection c;
        c.addArea("DK", "Danmark");
        c.addArea("SE", "Sverige");
        seed(c, "DK", "Danmark", existing);
        seed(c, "SE", "Sverige", {"1", "500"});
        const QStringList before = storedRows(c.path(), "Danmark");
        Window w(c.path());
        w.dialogs.answerInput("Hvor mange numre skal tilføjes ?", "", answer, ok);

        QVERIFY(w.run(&CollectionCommands::addNumbers));

        const auto inputs = w.dialogs.shownOf("input");
        QCOMPARE(inputs.size(), 1);
        compareInput(inputs[0], "Hvor mange numre skal tilføjes ?", "", "0");
        QStringList expected = before;
        for (int n : added)
            expected << QString("DK|Danmark|%1||||||").arg(n);
        QCOMPARE(storedRows(c.path(), "Danmark"), expected);
        QCOMPARE(storedNumbers(c.path(), "Sverige"), (QStringList{"1", "500"}));

        QCOMPARE(w.progress.calls,
                 gaugeShown ? gaugeRun(Adding, int(added.size()), upTo(int(added.size()))) : QStringList());
        QCOMPARE(w.progress.breaches, QStringList());
        // The last added number, else the row that was last before.
        QCOMPARE(w.numbers.state(), TableView::State::Browse);
        QCOMPARE(w.currentNumber(), added.isEmpty()
                                        ? (existing.isEmpty() ? QString() : storedNumbers(c.path(), "Danmark").last())
                                        : QString::number(added.last()));
        QVERIFY(w.dialogs.messages().isEmpty());
    }

    // Numbers stop at the largest 32-bit value: the rows below it stay, the
    // collector reads the integer error, and no half-made row is stored later.
    void addNumbersPastLargest_data()
    {
        QTest::addColumn<int>("highest");
        QTest::addColumn<QString>("answer");
        QTest::addColumn<int>("gaugeMaximum");

        QTest::newRow("five after ...45") << 2147483645 << "5" << 5;
        QTest::newRow("count too large to fit") << 2147483640 << "99999999999999" << std::numeric_limits<int>::max();
    }

    void addNumbersPastLargest()
    {
        QFETCH(int, highest);
        QFETCH(QString, answer);
        QFETCH(int, gaugeMaximum);

        Collection c;
        c.addArea("DK", "Danmark");
        seed(c, "DK", "Danmark", {QString::number(highest)});
        Window w(c.path());
        w.dialogs.answerInput("Hvor mange numre skal tilføjes ?", "", answer);

        QVERIFY(!w.run(&CollectionCommands::addNumbers));

        QCOMPARE(w.stops(), QStringList{"'2147483648' is not a valid integer value for field 'Nummer'"});
        QStringList expected;
        for (qint64 n = highest; n <= std::numeric_limits<qint32>::max(); ++n)
            expected << QString::number(n);
        QCOMPARE(storedNumbers(c.path(), "Danmark"), expected);
        QCOMPARE(w.progress.calls.last(), QString("hide"));
        QCOMPARE(w.progress.calls.mid(0, 3), gaugeRun(Adding, gaugeMaximum, {}).mid(0, 3));
        QCOMPARE(w.progress.breaches, QStringList());
        QCOMPARE(w.numbers.state(), TableView::State::Browse);
        QCOMPARE(w.currentNumber(), QString("2147483647"));
        w.numbers.first();
        QCOMPARE(storedNumbers(c.path(), "Danmark"), expected);
    }

    void searchNumber_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<QString>("current");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("stop");

        QTest::newRow("found") << "12" << true << "12"
                               << ""
                               << "";
        QTest::newRow("lowest variant first") << "7" << true << "7"
                                              << ""
                                              << "";
        QTest::newRow("not found") << "8" << true << "120"
                                   << "Nummer 8 findes ikke i tabellen"
                                   << "";
        QTest::newRow("only in another area") << "50" << true << "120"
                                              << "Nummer 50 findes ikke i tabellen"
                                              << "";
        QTest::newRow("a number is no prefix") << "1" << true << "120"
                                               << "Nummer 1 findes ikke i tabellen"
                                               << "";
        QTest::newRow("cancel") << "12" << false << "120"
                                << ""
                                << "";
        QTest::newRow("not a number") << "abc" << true << "120"
                                      << ""
                                      << "'abc' is not a valid integer value.";
        QTest::newRow("digits then letters") << "7a" << true << "120"
                                             << ""
                                             << "'7a' is not a valid integer value.";
        QTest::newRow("empty") << "" << true << "120"
                               << ""
                               << "'' is not a valid integer value.";
    }

    void searchNumber()
    {
        QFETCH(QString, text);
        QFETCH(bool, ok);
        QFETCH(QString, current);
        QFETCH(QString, message);
        QFETCH(QString, stop);

        Collection c;
        c.addArea("DK", "Danmark");
        c.addArea("SE", "Sverige");
        seed(c, "DK", "Danmark", {"3", "7b", "7a", "7", "12", "120"});
        seed(c, "SE", "Sverige", {"8", "50"});
        Window w(c.path());
        w.numbers.last();
        w.dialogs.answerInput("Input Box", "Indtast nummer", text, ok);

        QCOMPARE(w.run(&CollectionCommands::searchNumber), stop.isEmpty());

        const auto inputs = w.dialogs.shownOf("input");
        QCOMPARE(inputs.size(), 1);
        compareInput(inputs[0], "Input Box", "Indtast nummer", "");
        QCOMPARE(w.currentNumber(), current);
        QCOMPARE(w.dialogs.shownOf("message").size(), message.isEmpty() ? 0 : 1);
        if (!message.isEmpty())
            QCOMPARE(w.dialogs.shownOf("message")[0].text, message);
        QCOMPARE(w.stops(), stop.isEmpty() ? QStringList() : QStringList{stop});
        // The numbers grid gets the focus unless the locate failed.
        QCOMPARE(w.focusMoves, stop.isEmpty() ? 1 : 0);
        QCOMPARE(w.currentArea(), QString("Danmark"));
    }
};

QTEST_GUILESS_MAIN(CollectionCommandsTest)
#include "tst_collectioncommands.moc"
