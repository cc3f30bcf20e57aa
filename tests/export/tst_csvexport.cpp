// The want list written as separated text: the bytes of the file for each
// answer the collector may give, and what happens when the file fails.
#include "Collection.h"
#include "ColumnCount.h"
#include "CsvExport.h"
#include "FileFaults.h"
#include "MainViews.h"
#include "ScriptedDialogs.h"

#include <QFile>
#include <QTest>

#include <limits>
#include <sys/stat.h>

using namespace kvilbro;
using namespace kvilbro::test;

namespace {

const QString Box = "Input Box";
const QString SeparatorPrompt = "Skilletegn i filen ";
const QString ColumnsPrompt = "Antal kolonner i filen ";
const QString SaveCaption = "Save file as";
const QString Finished = "Finish exporting to file";
const QString IoError = "File I/O error.";
const QByteArray Lines1To6 = "Samleren\r\nVejen 1\r\n1234 Byen\r\n12345678\r\n\r\n--\r\n";

// Danmark holds the worked example; Polen letters and a blank number;
// Færøerne owns everything used; Island has no numbers.
void fill(Collection& c)
{
    c.setCollector({"Samleren", "Vejen 1", "1234 Byen", "12345678", ""});
    c.addArea("DK", "Danmark");
    c.addNumber("DK", "Danmark", 3);
    c.addNumber("DK", "Danmark", 2, "a");
    c.addNumber("DK", "Danmark", 1, "", {"", "", "x"});
    c.addArea("PL", "Polen");
    c.addNumber("PL", "Polen", 2, "Ł");
    c.addNumber("PL", "Polen", 1, "æøå", {"", "", "x"});
    c.addNumber("PL", "Polen", QVariant(), "b");
    c.addArea("FO", "Færøerne");
    c.addNumber("FO", "Færøerne", 10, "", {"", "", "x"});
    c.addArea("IS", "Island");
}

struct Exporter {
    explicit Exporter(const QString& dir, const QString& area = "Danmark")
        : views(dir), csv(views.areas, views.numbers, views.collector, dialogs, [this] { return shortfallsOnly; })
    {
        QVERIFY(views.areas.locate({"Beskrivelse"}, {area}, false));
    }
    // Answers the three dialogs and runs the command.
    void run(const QString& separator, const QString& columns, const QString& path,
             Condition condition = Condition::Used)
    {
        dialogs.answerInput(Box, SeparatorPrompt, separator);
        dialogs.answerInput(Box, ColumnsPrompt, columns);
        dialogs.answerSaveFile(SaveCaption, path);
        csv.run(condition);
    }
    MainViews views;
    ScriptedDialogs dialogs;
    bool shortfallsOnly = false;
    CsvExport csv;
};

} // namespace

class CsvExportTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { pinEnvironment(); }

    void columnCount_data()
    {
        QTest::addColumn<QString>("answer");
        QTest::addColumn<int>("count");
        QTest::newRow("default") << "8" << 8;
        QTest::newRow("zero") << "0" << 0;
        QTest::newRow("negative") << "-3" << -3;
        QTest::newRow("no digits") << "abc" << 0;
        QTest::newRow("empty") << "" << 0;
        QTest::newRow("sign only") << "-" << 0;
        QTest::newRow("stops early: sign dropped") << " +2x" << 2;
        QTest::newRow("negative, stops early") << "-3 " << 3;
        QTest::newRow("dollar hex") << "$A" << 10;
        QTest::newRow("0x hex") << "0x1F" << 31;
        QTest::newRow("X hex, signed") << "  -X10" << -16;
        QTest::newRow("hex prefix without digits") << "0x" << 0;
        QTest::newRow("largest int") << "2147483647" << std::numeric_limits<int>::max();
        QTest::newRow("smallest int") << "-2147483648" << std::numeric_limits<int>::min();
        QTest::newRow("past int") << "2147483648" << 0;
        QTest::newRow("far past int, stops early") << "-99999999999x" << 0;
        QTest::newRow("past int in hex") << "$FFFFFFFFF" << 0;
    }
    void columnCount()
    {
        QFETCH(QString, answer);
        QTEST(readColumnCount(answer), "count");
    }

    // Lines 1 to 6 are always the collector's; the data give line 7 on.
    void writes_data()
    {
        QTest::addColumn<QString>("area");
        QTest::addColumn<QString>("separator");
        QTest::addColumn<QString>("columns");
        QTest::addColumn<bool>("shortfallsOnly");
        QTest::addColumn<QByteArray>("rest");
        QTest::addColumn<QStringList>("messages");

        const QByteArray dk = "Danmark brugte m\xe6rker\r\n";
        const QStringList done{Finished};
        QTest::newRow("several characters")
            << "Danmark"
            << "<->"
            << "1" << false << dk + "Nummer<->Type<->Afkryds<->\r\n1<-><->x<->\r\n2<->a<-><->\r\n3<-><-><->\r\n"
            << done;
        QTest::newRow("no separator") << "Danmark"
                                      << ""
                                      << "2" << false << dk + "NummerTypeAfkrydsNummerTypeAfkryds\r\n1x2a\r\n3" << done;
        for (const char* n : {"0", "-3", "abc", "99999999999"})
            QTest::newRow(qPrintable(QString("one line for %1").arg(n)))
                << "Danmark"
                << ";" << n << false << dk + "\r\n1;;x;2;a;;3;;;" << done;
        QTest::newRow("read as 2") << "Danmark"
                                   << ";"
                                   << " +2x" << false
                                   << dk + "Nummer;Type;Afkryds;Nummer;Type;Afkryds;\r\n1;;x;2;a;;\r\n3;;;" << done;
        QTest::newRow("hex 10") << "Danmark"
                                << ";"
                                << "$A" << false
                                << dk + QByteArray("Nummer;Type;Afkryds;").repeated(10) + "\r\n1;;x;2;a;;3;;;" << done;
        QTest::newRow("hex 31") << "Danmark"
                                << ";"
                                << "0x1F" << true
                                << dk + QByteArray("Nummer;Type;Afkryds;").repeated(31) + "\r\n2;a;;3;;;" << done;
        QTest::newRow("no numbers") << "Island"
                                    << ";"
                                    << "2" << false
                                    << QByteArray(
                                           "Island brugte m\xe6rker\r\nNummer;Type;Afkryds;Nummer;Type;Afkryds;\r\n")
                                    << done;
        QTest::newRow("no shortfalls") << "Færøerne"
                                       << ";"
                                       << "0" << true
                                       << QByteArray("F\xe6r\xf8"
                                                     "erne brugte m\xe6rker\r\n\r\n")
                                       << done;
        // A blank number sorts first; a letter the code page lacks is "?" and counted.
        QTest::newRow("blank number, letters")
            << "Polen"
            << ";"
            << "1" << false
            << QByteArray("Polen brugte m\xe6rker\r\nNummer;Type;Afkryds;\r\n;b;;\r\n1;\xe6\xf8\xe5;x;\r\n2;?;;\r\n")
            << QStringList{Finished + "\n1 tegn findes ikke i filens tegnsæt (Windows-1252) og er skrevet som \"?\"."};
    }
    void writes()
    {
        QFETCH(QString, area);
        QFETCH(QString, separator);
        QFETCH(QString, columns);
        QFETCH(bool, shortfallsOnly);
        Collection c;
        fill(c);
        Exporter e(c.path(), area);
        e.shortfallsOnly = shortfallsOnly;
        e.run(separator, columns, c.file("liste.csv"));
        QTEST(e.dialogs.messages(), "messages");
        QFETCH(QByteArray, rest);
        QCOMPARE(fileBytes(c.file("liste.csv")), Lines1To6 + rest);
    }

    // The worked example, byte for byte, with the shortfall box clear and
    // ticked; an existing file of the name is replaced without a question.
    void workedExample_data()
    {
        QTest::addColumn<bool>("shortfallsOnly");
        QTest::addColumn<QString>("golden");
        QTest::newRow("every number") << false << "example-used.csv";
        QTest::newRow("shortfalls") << true << "example-shortfalls.csv";
    }
    void workedExample()
    {
        QFETCH(bool, shortfallsOnly);
        QFETCH(QString, golden);
        Collection c;
        fill(c);
        QFile old(c.file("liste.csv"));
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write(QByteArray(10000, 'z'));
        old.close();
        Exporter e(c.path());
        e.shortfallsOnly = shortfallsOnly;
        e.run(";", "2", c.file("liste.csv"));
        QCOMPARE(fileBytes(c.file("liste.csv")), fileBytes(QString(KVILBRO_GOLDEN_DIR) + "/" + golden));
        QCOMPARE(e.dialogs.shownOf("okCancel").size() + e.dialogs.shownOf("confirm").size(), 0);
    }

    // Afterwards the number view stands on the area's last row, a row left in
    // edit was stored first, and the tables hold what they held.
    void leavesTheTablesAsTheyWere()
    {
        Collection c;
        fill(c);
        Exporter e(c.path());
        TableView& numbers = e.views.numbers;
        numbers.first();
        numbers.edit();
        numbers.setText(u"Bemærkning", "noteret");
        const int rows = c.count("stm2manc");
        e.run(";", "8", c.file("liste.csv"), Condition::Mint);
        QCOMPARE(numbers.state(), TableView::State::Browse);
        QCOMPARE(numbers.currentRow(), 2);
        QCOMPARE(numbers.asText(u"Nummer"), QString("3"));
        QCOMPARE(c.count("stm2manc"), rows);
        QCOMPARE(c.count("stm2manc", "\"Bemærkning\"='noteret'"), 1);
        QVERIFY(fileBytes(c.file("liste.csv"))
                    .endsWith("Danmark postfriske m\xe6rker\r\n" + QByteArray("Nummer;Type;Afkryds;").repeated(8) +
                              "\r\n1;;;2;a;;3;;;"));

        // The save dialog as the collector meets it, keeping the name chosen last.
        const FileDialogOptions& shown = e.dialogs.lastFileOptions;
        QCOMPARE(shown.caption, SaveCaption);
        QCOMPARE(shown.initialName, QString("*.csv"));
        QCOMPARE(shown.defaultSuffix, QString("csv"));
        QCOMPARE(shown.filters, QStringList{"Kommasepareret fil (CSV) (*.csv)"});
        QVERIFY(!shown.confirmOverwrite);
        e.run(";", "8", c.file("igen.csv"), Condition::Unused);
        QCOMPARE(e.dialogs.lastFileOptions.initialName, c.file("liste.csv"));
        QCOMPARE(e.csv.saveDialog().initialName, c.file("igen.csv"));
    }

    // Cancel at any of the three dialogs ends the command with nothing written.
    void cancelEndsTheCommand_data()
    {
        QTest::addColumn<int>("answered");
        QTest::newRow("separator") << 0;
        QTest::newRow("column count") << 1;
        QTest::newRow("save dialog") << 2;
    }
    void cancelEndsTheCommand()
    {
        QFETCH(int, answered);
        Collection c;
        fill(c);
        Exporter e(c.path());
        if (answered > 0)
            e.dialogs.answerInput(Box, SeparatorPrompt, ";");
        if (answered > 1)
            e.dialogs.answerInput(Box, ColumnsPrompt, "8");
        e.csv.run(Condition::Used);
        QCOMPARE(e.dialogs.shown().size(), answered + 1);
        QVERIFY(e.dialogs.messages().isEmpty());
        QCOMPARE(QDir(c.path()).entryList({"*.csv"}).size(), 0);
    }

    // A file that cannot be written ends the command with the error box and
    // no finish box; the collection's own files are never written to.
    void fileFailures_data()
    {
        QTest::addColumn<QString>("target");
        QTest::addColumn<QString>("message");
        QTest::newRow("full device") << "/dev/full" << IoError;
        QTest::newRow("a folder") << "." << IoError;
        QTest::newRow("missing folder") << "mangler/liste.csv" << IoError;
        QTest::newRow("a pipe nobody reads") << "pipe.csv" << IoError;
        QTest::newRow("disk fills") << "fuld.csv" << IoError;
        QTest::newRow("the numbers table") << "stm2manc.DB"
                                           << "stm2manc.DB er en af samlingens tabelfiler og kan ikke overskrives.";
        QTest::newRow("a table's journal") << "Bruger2.db-wal"
                                           << "Bruger2.db-wal er en af samlingens tabelfiler og kan ikke overskrives.";
    }
    void fileFailures()
    {
        QFETCH(QString, target);
        QFETCH(QString, message);
        Collection c;
        fill(c);
        const QString path = target.startsWith('/') ? target : c.file(target);
        if (target == "pipe.csv")
            QCOMPARE(mkfifo(QFile::encodeName(path).constData(), 0600), 0);
        const QByteArray tableBefore = fileBytes(c.file("stm2manc.DB"));
        Exporter e(c.path());
        {
            std::optional<FileSizeLimit> full;
            if (target == "fuld.csv")
                full.emplace(100);
            e.run(";", "2", path);
        }
        QCOMPARE(e.dialogs.messages(),
                 QStringList{message.contains("tabelfiler") ? path + message.mid(target.size()) : message});
        QCOMPARE(e.dialogs.shownOf("error").size(), 1);
        QCOMPARE(fileBytes(c.file("stm2manc.DB")), tableBefore);
        QCOMPARE(c.count("stm2manc"), 7);
    }
};

QTEST_MAIN(CsvExportTest)
#include "tst_csvexport.moc"
