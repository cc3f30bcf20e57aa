// The area and number commands on real views over a collection in a temporary
// folder, answered by scripted dialogs and run through the error guard as the
// main window runs them.
#include "Collection.h"
#include "CollectionCommands.h"
#include "ErrorGuard.h"
#include "RecordingProgress.h"
#include "ScriptedDialogs.h"
#include "TableView.h"

#include <QTest>

#include <limits>

using namespace kvilbro;
using kvilbro::test::Collection;
using kvilbro::test::RecordingProgress;
using kvilbro::test::ScriptedDialogs;

namespace {

const QStringList NumberOrder{"Land", "Stamoplysning", "Nummer", "Type", "Tæller"};
const QString Adding = "Opretter nye numre, vent....";
const QString Deleting = "Sletter samleområde vent....";

// The main window's Table1 and Table2 with the commands over them.
struct Window {
    explicit Window(const QString& dir)
        : db(dir), areas(db, TableId::Areas), numbers(db, TableId::Numbers, NumberOrder),
          commands(areas, numbers, dialogs, progress, [this] { ++focusMoves; })
    {
        numbers.setMaster(&areas, {"Land", "Stamoplysning"}, {"National ID", "Beskrivelse"});
        areas.open();
        numbers.open();
        ErrorGuard::setDialogs(&dialogs);
    }
    ~Window() { ErrorGuard::setDialogs(nullptr); }

    // Runs a command as a menu item does: errors end in the stop box.
    bool run(void (CollectionCommands::*command)())
    {
        return ErrorGuard::guarded([&] { (commands.*command)(); });
    }
    QStringList stops() const
    {
        QStringList out;
        for (const auto& s : dialogs.shownOf("stop"))
            out << s.text;
        return out;
    }
    QString currentNumber() const { return numbers.asText(u"Nummer") + numbers.asText(u"Type"); }
    QString currentArea() const { return areas.asText(u"Beskrivelse"); }

    Database db;
    TableView areas;
    TableView numbers;
    ScriptedDialogs dialogs;
    RecordingProgress progress;
    int focusMoves = 0;
    CollectionCommands commands;
};

// Number rows "7a" (number, then variant) written straight into the file.
void seed(Collection& c, const QString& land, const QString& area, const QStringList& numbers)
{
    for (const QString& n : numbers) {
        qsizetype digits = 0;
        while (digits < n.size() && (n[digits].isDigit() || n[digits] == '-'))
            ++digits;
        c.addNumber(land, area, n.left(digits).toLongLong(), n.mid(digits));
    }
}

// Every stored number row of one area, through a view on a connection of its own:
// "Land|Stamoplysning|Nummer|Type|***|*|O|Billede|Bemærkning", in number order.
QStringList storedRows(const QString& dir, const QString& area)
{
    Database db(dir);
    TableView view(db, TableId::Numbers, NumberOrder);
    view.open();
    QStringList rows;
    for (view.first(); !view.eof(); view.next()) {
        if (view.asText(u"Stamoplysning") != area)
            continue;
        QStringList fields;
        for (const char* f : {"Land", "Stamoplysning", "Nummer", "Type", "***", "*", "O", "Billede", "Bemærkning"})
            fields << view.asText(QString::fromUtf8(f));
        rows << fields.join('|');
    }
    return rows;
}

QStringList storedNumbers(const QString& dir, const QString& area)
{
    QStringList out;
    for (const QString& row : storedRows(dir, area))
        out << row.section('|', 2, 2) + row.section('|', 3, 3);
    return out;
}

// "National ID|Beskrivelse" of every stored area, in the table's own order.
QStringList storedAreas(const QString& dir)
{
    Database db(dir);
    TableView view(db, TableId::Areas);
    view.open();
    QStringList rows;
    for (view.first(); !view.eof(); view.next())
        rows << view.asText(u"National ID") + '|' + view.asText(u"Beskrivelse");
    return rows;
}

// What a gauge run reports: reset, shown, the positions, hidden.
QStringList gaugeRun(const QString& text, int maximum, const QList<int>& positions)
{
    QStringList calls{QString("range 0 %1").arg(maximum), "position 0", "show " + text};
    for (int p : positions)
        calls << QString("position %1").arg(p);
    calls << "hide";
    return calls;
}

QList<int> upTo(int last)
{
    QList<int> out;
    for (int i = 1; i <= last; ++i)
        out << i;
    return out;
}

void compareInput(const ScriptedDialogs::Shown& shown, const QString& caption, const QString& prompt,
                  const QString& defaultText)
{
    QCOMPARE(shown.kind, QString("input"));
    QCOMPARE(shown.caption, caption);
    QCOMPARE(shown.text, prompt);
    QCOMPARE(shown.defaultText, defaultText);
}

} // namespace

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
        c.exec("CREATE TRIGGER keep3 BEFORE DELETE ON stm2manc WHEN old.Nummer = 3 "
               "BEGIN SELECT RAISE(ABORT, 'row 3 is locked'); END");
        Window w(c.path());
        w.dialogs.answerConfirm("Slet disse katalognumre ?", true);
        w.dialogs.answerInput("Bekræft sletning", "Skriv SLET", "SLET");

        QVERIFY(!w.run(&CollectionCommands::deleteArea));

        QCOMPARE(w.stops().size(), 1);
        QVERIFY2(w.stops()[0].contains("row 3 is locked"), qPrintable(w.stops()[0]));
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

QTEST_GUILESS_MAIN(CollectionCommandsTest)
#include "tst_collectioncommands.moc"
