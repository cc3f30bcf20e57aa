// kvilbro-tables match: reading a dealer's offer list, whatever its
// encoding, separator, header language and damage.
#include "Error.h"
#include "ErrorOf.h"
#include "OfferFile.h"

#include <QDir>
#include <QFile>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

using namespace kvilbro;
using namespace kvilbro::offers;
using kvilbro::test::errorOf;

namespace {

// An offer's lines in file order, compactly: "2: 722 'a' O" for a line read,
// "5: ! reason" for one that is not.
QStringList summary(const Offer& offer)
{
    QList<std::pair<int, QString>> all;
    for (const OfferLine& line : offer.lines) {
        const QString condition = line.condition ? markField(*line.condition) : QStringLiteral("-");
        all.append(
            {line.line, QStringLiteral("%1: %2 '%3' %4").arg(line.line).arg(line.number).arg(line.variant, condition)});
    }
    for (const Unreadable& bad : offer.unreadable)
        all.append({bad.line, QStringLiteral("%1: ! %2").arg(bad.line).arg(bad.reason)});
    std::stable_sort(all.begin(), all.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    QStringList out;
    for (const auto& [line, text] : all)
        out << text;
    return out;
}

Offer read(const QByteArray& bytes, const QString& columns = QString(), bool header = false)
{
    std::optional<Columns> chosen;
    if (!columns.isEmpty())
        chosen = parseColumns(columns);
    return readOffer(bytes, QStringLiteral("offer.csv"), chosen, header ? HeaderLine::First : HeaderLine::Guess);
}

QByteArray encoded(const QString& text, QStringConverter::Encoding encoding)
{
    QStringEncoder encoder(encoding, QStringConverter::Flag::WriteBom);
    return encoder.encode(text);
}

QString columnsText(const Columns& c)
{
    return QStringLiteral("%1,%2,%3").arg(c.number).arg(c.variant).arg(c.condition);
}

} // namespace

class OfferFileTest : public QObject {
    Q_OBJECT

private slots:
    void headers_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("separator");
        QTest::addColumn<QString>("columns");
        QTest::addColumn<QStringList>("lines");

        QTest::newRow("Danish") << QByteArray("Nr;Type;Stand\r\n722;a;O\r\n723;;***\r\n") << QStringLiteral(";")
                                << QStringLiteral("1,2,3")
                                << QStringList{QStringLiteral("2: 722 'a' O"), QStringLiteral("3: 723 '' ***")};
        QTest::newRow("German") << QByteArray("Nr.;Variante;Erhaltung\n1001;;postfrisch\n1002;b;gest.\n")
                                << QStringLiteral(";") << QStringLiteral("1,2,3")
                                << QStringList{QStringLiteral("2: 1001 '' ***"), QStringLiteral("3: 1002 'b' O")};
        QTest::newRow("English") << QByteArray("Number,Variant,Condition\n722,A,mint\n") << QStringLiteral(",")
                                 << QStringLiteral("1,2,3") << QStringList{QStringLiteral("2: 722 'A' ***")};
        QTest::newRow("other order, tabs")
            << QByteArray("Zustand\tMichel-Nr.\tPreis\n * \t 45\t1,20\n") << QStringLiteral("\t")
            << QStringLiteral("2,0,1") << QStringList{QStringLiteral("2: 45 '' *")};
        QTest::newRow("Cat. no: and a variant in the cell")
            << QByteArray("Cat. no:,Quality\n12a,MNH\n") << QStringLiteral(",") << QStringLiteral("1,0,2")
            << QStringList{QStringLiteral("2: 12 'a' ***")};
        QTest::newRow("one column") << QByteArray("Nummer\n5\n-3\n") << QString() << QStringLiteral("1,0,0")
                                    << QStringList{QStringLiteral("2: 5 '' -"), QStringLiteral("3: -3 '' -")};
        QTest::newRow("semicolons with decimal commas")
            << QByteArray("Katalognummer;Tilstand;Pris\r10;stemplet;12,50\r11;*;8,00\r") << QStringLiteral(";")
            << QStringLiteral("1,0,2") << QStringList{QStringLiteral("2: 10 '' O"), QStringLiteral("3: 11 '' *")};
        QTest::newRow("commas with quoted semicolons")
            << QByteArray("Facit,Typ,Kvalitet,Note\n1,a,O,\"x; y\"\n2,,**,\"p; q\"\n") << QStringLiteral(",")
            << QStringLiteral("1,2,3") << QStringList{QStringLiteral("2: 1 'a' O"), QStringLiteral("3: 2 '' ***")};
        QTest::newRow("header only") << QByteArray("Nr;Type;Stand\n") << QStringLiteral(";") << QStringLiteral("1,2,3")
                                     << QStringList();
    }
    void headers()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, separator);
        QFETCH(QString, columns);
        QFETCH(QStringList, lines);
        const Offer offer = read(bytes);
        QCOMPARE(offer.separator.isNull() ? QString() : QString(offer.separator), separator);
        QVERIFY(offer.header);
        QCOMPARE(columnsText(offer.columns), columns);
        QCOMPARE(summary(offer), lines);
        QCOMPARE(offer.notes.size(), 1);
        const QString note = QStringLiteral("Line 1 of offer.csv is taken as the header: column %1 (");
        QVERIFY2(offer.notes[0].startsWith(note.arg(offer.columns.number)), qPrintable(offer.notes[0]));
    }

    // A first line is the header only when it names the number column and
    // another and holds no number: a line of the offer may have a cell that
    // reads like a column name. A catalogue's own number column wins over a
    // bare "Nr.", which may count the lots.
    void firstLine_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("header");
        QTest::addColumn<QString>("columns");
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<QString>("note");

        const QString positional = QStringLiteral("offer.csv has no header line naming its columns");
        QTest::newRow("a cell named Type")
            << QByteArray("722;Type;O\n723;;*\n") << false << QStringLiteral("1,2,3")
            << QStringList{QStringLiteral("1: 722 'Type' O"), QStringLiteral("2: 723 '' *")} << positional;
        QTest::newRow("a cell named No") << QByteArray("722;No;O\n") << false << QStringLiteral("1,2,3")
                                         << QStringList{QStringLiteral("1: 722 'No' O")} << positional;
        QTest::newRow("a title line") << QByteArray("Michel\n722;a;O\n") << false << QStringLiteral("1,2,3")
                                      << QStringList{QStringLiteral("1: ! no catalogue number in 'Michel'"),
                                                     QStringLiteral("2: 722 'a' O")}
                                      << positional;
        QTest::newRow("lot number and Michel number")
            << QByteArray("Nr.;Michel-Nr.;Erhaltung\n1;722;O\n") << true << QStringLiteral("2,0,3")
            << QStringList{QStringLiteral("2: 722 '' O")}
            << QStringLiteral("Line 1 of offer.csv is taken as the header: column 2 ('Michel-Nr.') is read as the "
                              "catalogue number, not column 1 ('Nr.').");
    }
    void firstLine()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, header);
        QFETCH(QString, columns);
        QFETCH(QStringList, lines);
        QFETCH(QString, note);
        const Offer offer = read(bytes);
        QCOMPARE(offer.header, header);
        QCOMPARE(columnsText(offer.columns), columns);
        QCOMPARE(summary(offer), lines);
        QCOMPARE(offer.notes.size(), 1);
        QVERIFY2(offer.notes[0].contains(note), qPrintable(offer.notes[0]));
    }

    void withoutHeader_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("columns");
        QTest::addColumn<QStringList>("lines");

        QTest::newRow("numbers only") << QByteArray("722\n723a\n") << QStringLiteral("1,0,0")
                                      << QStringList{QStringLiteral("1: 722 '' -"), QStringLiteral("2: 723 'a' -")};
        QTest::newRow("two columns, ragged")
            << QByteArray("722,a\n723\n") << QStringLiteral("1,2,0")
            << QStringList{QStringLiteral("1: 722 'a' -"), QStringLiteral("2: 723 '' -")};
        QTest::newRow("semicolons and decimal commas")
            << QByteArray("10;12,50\n11;8,00\n") << QStringLiteral("1,2,0")
            << QStringList{QStringLiteral("1: 10 '12,50' -"), QStringLiteral("2: 11 '8,00' -")};
        QTest::newRow("three columns") << QByteArray("722;a;O\n724;;*\n") << QStringLiteral("1,2,3")
                                       << QStringList{QStringLiteral("1: 722 'a' O"), QStringLiteral("2: 724 '' *")};
    }
    void withoutHeader()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, columns);
        QFETCH(QStringList, lines);
        const Offer offer = read(bytes);
        QVERIFY(!offer.header);
        QCOMPARE(columnsText(offer.columns), columns);
        QCOMPARE(summary(offer), lines);
        QCOMPARE(offer.notes.size(), 1);
        QVERIFY2(offer.notes[0].contains(QStringLiteral("--columns")), qPrintable(offer.notes[0]));
    }

    void encodings_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("encoding");
        QTest::addColumn<QString>("variant");

        const QString danish = QStringLiteral("Nr;Type\n1;\u00C6\u00F8\n");
        QTest::newRow("UTF-8") << QByteArray("1;\xC3\x86\xC3\xB8\n") << QStringLiteral("UTF-8")
                               << QStringLiteral("\u00C6\u00F8");
        QTest::newRow("Windows-1252") << QByteArray("1;\xC6\xF8\n") << QStringLiteral("Windows-1252")
                                      << QStringLiteral("\u00C6\u00F8");
        QTest::newRow("Windows-1252 umlaut and euro")
            << QByteArray("1;\xE4\x80\n") << QStringLiteral("Windows-1252") << QStringLiteral("\u00E4\u20AC");
        QTest::newRow("UTF-8 with BOM") << encoded(danish, QStringConverter::Utf8) << QStringLiteral("UTF-8")
                                        << QStringLiteral("\u00C6\u00F8");
        QTest::newRow("UTF-16 LE") << encoded(danish, QStringConverter::Utf16LE) << QStringLiteral("UTF-16")
                                   << QStringLiteral("\u00C6\u00F8");
        QTest::newRow("UTF-16 BE, CR LF")
            << encoded(QStringLiteral("Nr\tType\r\n1\t\u00E4\r\n"), QStringConverter::Utf16BE)
            << QStringLiteral("UTF-16") << QStringLiteral("\u00E4");
        QTest::newRow("UTF-32 LE") << encoded(danish, QStringConverter::Utf32LE) << QStringLiteral("UTF-32")
                                   << QStringLiteral("\u00C6\u00F8");
    }
    void encodings()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, encoding);
        QFETCH(QString, variant);
        const Offer offer = read(bytes);
        QCOMPARE(offer.encoding, encoding);
        QCOMPARE(offer.lines.size(), 1);
        QCOMPARE(offer.lines[0].number, 1);
        QCOMPARE(offer.lines[0].variant, variant);
        QVERIFY(offer.unreadable.isEmpty());
    }

    void quoting_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("lines");

        QTest::newRow("separator in quotes")
            << QByteArray("Nr,Type,Stand\n722,\"a,b\",O\n") << QStringList{QStringLiteral("2: 722 'a,b' O")};
        QTest::newRow("doubled quote") << QByteArray("Nr;Type\n\"722\";\"x\"\"y\"\n")
                                       << QStringList{QStringLiteral("2: 722 'x\"y' -")};
        QTest::newRow("line break in quotes")
            << QByteArray("Nr,Type\n\"722\",\"a\r\nb\"\n723,c\n")
            << QStringList{QStringLiteral("2: 722 'a\nb' -"), QStringLiteral("4: 723 'c' -")};
        QTest::newRow("spaces before the quote")
            << QByteArray("Nr;Type;Stand\n1; \"a;b\" ; *\n") << QStringList{QStringLiteral("2: 1 'a;b' *")};
        QTest::newRow("text after the closing quote")
            << QByteArray("Nr;Type\n1;\"a\"b\n") << QStringList{QStringLiteral("2: 1 'ab' -")};
        QTest::newRow("quote inside a cell is a letter")
            << QByteArray("Nr;Type\n1;a\"b\n2;c\n")
            << QStringList{QStringLiteral("2: 1 'a\"b' -"), QStringLiteral("3: 2 'c' -")};
        QTest::newRow("quote never closed")
            << QByteArray("Nr;Type\n1;\"a\n2;b\n")
            << QStringList{QStringLiteral("2: ! a quote (\") on this line is never closed"),
                           QStringLiteral("3: 2 'b' -")};
    }
    void quoting()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QStringList, lines);
        QCOMPARE(summary(read(bytes)), lines);
    }

    void cells_data()
    {
        QTest::addColumn<QString>("number");
        QTest::addColumn<QString>("variant");
        QTest::addColumn<QString>("condition");
        QTest::addColumn<QString>("line");

        const auto row = [](const char* name, const QString& n, const QString& v, const QString& c, const QString& l) {
            QTest::newRow(name) << n << v << c << l;
        };
        const QString none;
        row("plain", QStringLiteral("722"), none, none, QStringLiteral("2: 722 '' -"));
        row("variant in the cell", QStringLiteral("722a"), none, QStringLiteral("O"), QStringLiteral("2: 722 'a' O"));
        row("variant after a space", QStringLiteral("722 a"), none, none, QStringLiteral("2: 722 'a' -"));
        row("variant case kept", QStringLiteral(" 722  Bc "), none, none, QStringLiteral("2: 722 'Bc' -"));
        row("variant column case kept", QStringLiteral("722"), QStringLiteral("aB"), none,
            QStringLiteral("2: 722 'aB' -"));
        row("ten letters", QStringLiteral("1"),
            QStringLiteral("\u00C6\u00D8\u00C5\u00E6\u00F8\u00E5\u00E4\u00F6\u00FC"
                           "\u00DF"),
            none, QStringLiteral("2: 1 '\u00C6\u00D8\u00C5\u00E6\u00F8\u00E5\u00E4\u00F6\u00FC\u00DF' -"));
        row("negative", QStringLiteral("-5"), none, none, QStringLiteral("2: -5 '' -"));
        row("minus sign", QStringLiteral("\u221212"), none, none, QStringLiteral("2: -12 '' -"));
        row("plus and zeros", QStringLiteral("+0722"), none, none, QStringLiteral("2: 722 '' -"));
        row("largest", QStringLiteral("2147483647"), none, none, QStringLiteral("2: 2147483647 '' -"));
        row("smallest", QStringLiteral("-2147483648"), none, none, QStringLiteral("2: -2147483648 '' -"));
        row("too large", QStringLiteral("2147483648"), none, none,
            QStringLiteral("2: ! '2147483648' is out of range for a catalogue number"));
        const QString range = QStringLiteral(" is a range; write one number per line");
        row("range", QStringLiteral("714-720"), none, none, QStringLiteral("2: ! '714-720'") + range);
        row("range, en dash", QStringLiteral("714\u2013720"), none, none,
            QStringLiteral("2: ! '714\u2013720'") + range);
        row("range, spaced", QStringLiteral("714 - 720"), none, none, QStringLiteral("2: ! '714 - 720'") + range);
        row("range, dots", QStringLiteral("714..720"), none, none, QStringLiteral("2: ! '714..720'") + range);
        row("range, German", QStringLiteral("714 bis 720"), none, none, QStringLiteral("2: ! '714 bis 720'") + range);
        row("garbage", QStringLiteral("abc"), none, none, QStringLiteral("2: ! no catalogue number in 'abc'"));
        row("word before the number", QStringLiteral("Nr 5"), none, none,
            QStringLiteral("2: ! no catalogue number in 'Nr 5'"));
        row("long garbage is cut", QString(60, u'x'), none, none,
            QStringLiteral("2: ! no catalogue number in '") + QString(40, u'x') + QStringLiteral("\u2026'"));
        row("blank number", none, QStringLiteral("a"), none, QStringLiteral("2: ! the catalogue number is blank"));
        row("decimal", QStringLiteral("722.0"), none, none,
            QStringLiteral("2: ! '722.0' has '.0' after the number, which is no variant"));
        row("condition in the number cell", QStringLiteral("722 **"), none, none,
            QStringLiteral("2: ! '722 **' has '**' after the number, which is no variant"));
        row("two variants", QStringLiteral("722a"), QStringLiteral("b"), none,
            QStringLiteral("2: ! '722a' has a variant after the number and the variant column has 'b' too"));
        row("the same variant twice", QStringLiteral("722a"), QStringLiteral("a"), none,
            QStringLiteral("2: 722 'a' -"));
        row("variant too long in the cell", QStringLiteral("722abcdefghijk"), none, none,
            QStringLiteral("2: ! the variant 'abcdefghijk' in '722abcdefghijk' is longer than 10 characters"));
        row("variant too long", QStringLiteral("722"), QStringLiteral("abcdefghijk"), none,
            QStringLiteral("2: ! the variant 'abcdefghijk' is longer than 10 characters"));
        row("unknown condition", QStringLiteral("722"), none, QStringLiteral("fine"),
            QStringLiteral("2: ! 'fine' names no condition (O, ***, *, used, mint, unused, ...)"));
        row("control character kept", QStringLiteral("722"), QStringLiteral("\u0001b"), none,
            QStringLiteral("2: 722 '\u0001b' -"));
    }
    void cells()
    {
        QFETCH(QString, number);
        QFETCH(QString, variant);
        QFETCH(QString, condition);
        QFETCH(QString, line);
        const QString text = number + u';' + variant + u';' + condition;
        const Offer offer = read(QStringLiteral("Nr;Type;Stand\n%1\n").arg(text).toUtf8());
        QCOMPARE(summary(offer), QStringList{line});
        const QString kept = offer.lines.isEmpty() ? offer.unreadable.value(0).text : offer.lines[0].text;
        QCOMPARE(kept, text);
    }

    void conditions_data()
    {
        QTest::addColumn<QString>("cell");
        QTest::addColumn<int>("condition"); // -1 for none

        const int used = int(Condition::Used), mint = int(Condition::Mint), unused = int(Condition::Unused);
        for (const char* cell :
             {"O", "o", "0", " O ", "\u2299", "Used", "STEMPLET", "stempl.", "gestempelt", "Gest.", "gebraucht"})
            QTest::newRow(cell) << QString::fromUtf8(cell) << used;
        for (const char* cell : {"***", "**", "Postfrisk", "PF", "mint", "MNH", "postfrisch"})
            QTest::newRow(cell) << QString::fromUtf8(cell) << mint;
        for (const char* cell :
             {"*", "(*)", "ubrugt", "Unused", "ungebraucht", "ungestempelt", "MH", "mit  Falz", "falz", "hinged"})
            QTest::newRow(cell) << QString::fromUtf8(cell) << unused;
        for (const char* cell : {"", "x", "****", "00", "O*", "ok", "gestempelt?"})
            QTest::newRow(cell) << QString::fromUtf8(cell) << -1;
    }
    void conditions()
    {
        QFETCH(QString, cell);
        QFETCH(int, condition);
        const auto named = conditionNamed(cell);
        QCOMPARE(named ? int(*named) : -1, condition);
    }

    void columnsOption_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("columns"); // empty when refused

        QTest::newRow("all three") << QStringLiteral("1,2,3") << QStringLiteral("1,2,3");
        QTest::newRow("no variant") << QStringLiteral("2,,4") << QStringLiteral("2,0,4");
        QTest::newRow("number only") << QStringLiteral("3") << QStringLiteral("3,0,0");
        QTest::newRow("spaces") << QStringLiteral(" 2 , 1 ") << QStringLiteral("2,1,0");
        QTest::newRow("zero for none") << QStringLiteral("1,0,2") << QStringLiteral("1,0,2");
        for (const char* refused :
             {"", "0", ",2", "-1", "+1", "a", "1.5", "1;2", "1,2,3,4", "1,1", "2,3,2", "1001", "99999999999"})
            QTest::newRow(refused) << QString::fromUtf8(refused) << QString();
    }
    void columnsOption()
    {
        QFETCH(QString, text);
        QFETCH(QString, columns);
        const auto parsed = parseColumns(text);
        QCOMPARE(parsed ? columnsText(*parsed) : QString(), columns);
    }

    void chosenColumns_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("chosen");
        QTest::addColumn<bool>("header"); // given as the header
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<QString>("note"); // blank for none

        const QByteArray named = "Nr;Facit;Stand\n1;722;O\n";
        QTest::newRow("a header given") << named << QStringLiteral("2,,3") << true
                                        << QStringList{QStringLiteral("2: 722 '' O")}
                                        << QStringLiteral("Line 1 of offer.csv is taken as the header, as --header "
                                                          "says: column 2 ('Facit') is read as the catalogue number.");
        QTest::newRow("a header not given")
            << named << QStringLiteral("2,,3") << false
            << QStringList{QStringLiteral("1: ! no catalogue number in 'Facit'"), QStringLiteral("2: 722 '' O")}
            << QStringLiteral("Line 1 of offer.csv reads like a header but is read as a line of the offer: with "
                              "--columns, add --header to skip it.");
        QTest::newRow("a header without a number")
            << QByteArray("Type;Stand;Pris\na;*;722\n") << QStringLiteral("3,1,2") << true
            << QStringList{QStringLiteral("2: 722 'a' *")} << QStringLiteral("column 3 ('Pris') is read");
        QTest::newRow("a cell named AFA")
            << QByteArray("AFA;722;O\nAFA;723;*\n") << QStringLiteral("2,,3") << false
            << QStringList{QStringLiteral("1: 722 '' O"), QStringLiteral("2: 723 '' *")} << QString();
        QTest::newRow("no header") << QByteArray("a;722;O\n") << QStringLiteral("2,1,3") << false
                                   << QStringList{QStringLiteral("1: 722 'a' O")} << QString();
        QTest::newRow("condition beyond the line") << QByteArray("722;a\n") << QStringLiteral("1,2,5") << false
                                                   << QStringList{QStringLiteral("1: 722 'a' -")} << QString();
        QTest::newRow("number beyond the line")
            << QByteArray("722;a\n") << QStringLiteral("4") << false
            << QStringList{QStringLiteral("1: ! the catalogue number is blank")} << QString();
    }
    void chosenColumns()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, chosen);
        QFETCH(bool, header);
        QFETCH(QStringList, lines);
        QFETCH(QString, note);
        const Offer offer = read(bytes, chosen, header);
        QCOMPARE(offer.header, header);
        QCOMPARE(offer.columns.number, parseColumns(chosen)->number);
        QCOMPARE(summary(offer), lines);
        QCOMPARE(offer.notes.size(), note.isEmpty() ? 0 : 1);
        QVERIFY2(note.isEmpty() || offer.notes[0].contains(note), qPrintable(offer.notes.value(0)));
    }

    void linesKeepTheirPlace()
    {
        const Offer offer = read(QByteArray("Nr;Type\r\n\r\n722;a\r\r;;\rabc;x\n\n714-720\n\"800\";\"p\nq\"\n"));
        QCOMPARE(summary(offer),
                 (QStringList{QStringLiteral("3: 722 'a' -"), QStringLiteral("6: ! no catalogue number in 'abc'"),
                              QStringLiteral("8: ! '714-720' is a range; write one number per line"),
                              QStringLiteral("9: 800 'p\nq' -")}));
        QCOMPARE(offer.lines[0].text, QStringLiteral("722;a"));
        QCOMPARE(offer.unreadable[0].text, QStringLiteral("abc;x"));
        QCOMPARE(offer.lines[1].text, QStringLiteral("\"800\";\"p q\""));
    }

    // CR LF and LF CR are each one line end, in a quoted cell too; the line
    // as shown keeps one space for each.
    void lineEnds_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<QString>("first"); // the first line's text

        QTest::newRow("LF CR") << QByteArray("Nr;Type\n\r722;a\n\r723;b\n\r")
                               << QStringList{QStringLiteral("2: 722 'a' -"), QStringLiteral("3: 723 'b' -")}
                               << QStringLiteral("722;a");
        QTest::newRow("LF CR, a blank line") << QByteArray("Nr;Type\n\r\n\r722;a")
                                             << QStringList{QStringLiteral("3: 722 'a' -")} << QStringLiteral("722;a");
        QTest::newRow("LF CR in quotes") << QByteArray("Nr;Type\n\r\"722\";\"p\n\rq\"\n\r723;c\n\r")
                                         << QStringList{QStringLiteral("2: 722 'p\nq' -"),
                                                        QStringLiteral("4: 723 'c' -")}
                                         << QStringLiteral("\"722\";\"p q\"");
    }
    void lineEnds()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QStringList, lines);
        QFETCH(QString, first);
        const Offer offer = read(bytes);
        QCOMPARE(summary(offer), lines);
        QCOMPARE(offer.lines.value(0).text, first);
    }

    void wideLinesAreRead()
    {
        QByteArray bytes = "722;a;O";
        for (int i = 0; i < 5000; ++i)
            bytes += ";x";
        bytes += "\n723\n";
        const Offer offer = read(bytes);
        QCOMPARE(summary(offer), (QStringList{QStringLiteral("1: 722 'a' O"), QStringLiteral("2: 723 '' -")}));
    }

    void refused_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("message");

        const QString notText = QStringLiteral("offer.csv is not a text file.");
        const QString nulBytes = QStringLiteral("offer.csv is not a text file: it holds NUL bytes. If it is UTF-16 "
                                                "text, save it with a byte-order mark, or as UTF-8.");
        QTest::newRow("NUL byte") << QByteArray("1;a\0;O\n", 7) << nulBytes;
        QTest::newRow("picture") << QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16) << nulBytes;
        QTest::newRow("UTF-16 without its mark") << QByteArray("1\0;\0O\0", 6) << nulBytes;
        QTest::newRow("UTF-16 with NUL") << QByteArray("\xFF\xFE"
                                                       "1\0\0\0",
                                                       6)
                                         << notText;
        QTest::newRow("UTF-16 cut short")
            << QByteArray("\xFF\xFE"
                          "1\0"
                          "2",
                          5)
            << QStringLiteral("offer.csv starts as UTF-16 text but is damaged further on.");
        QTest::newRow("UTF-16 lone surrogate")
            << QByteArray("\xFF\xFE"
                          "1\0\x00\xD8"
                          "2\0",
                          8)
            << QStringLiteral("offer.csv starts as UTF-16 text but is damaged further on.");
        QTest::newRow("UTF-8 BOM, then Windows-1252")
            << QByteArray("\xEF\xBB\xBF"
                          "1;\xC6\n")
            << QStringLiteral("offer.csv starts as UTF-8 text but is damaged further on.");
        QTest::newRow("empty") << QByteArray() << QStringLiteral("offer.csv is empty.");
        QTest::newRow("blank lines only") << QByteArray("\n\r\n ;;\n") << QStringLiteral("offer.csv is empty.");
        QTest::newRow("header without a number")
            << QByteArray("Type;Stand\na;O\n")
            << QStringLiteral("The header line of offer.csv names no catalogue number column (Nr, Nummer, Number, "
                              "...). Say which columns to read with --columns number,variant,condition and "
                              "--header, e.g. --columns 2,1,3 --header.");
        QTest::newRow("too large") << QByteArray(MaxOfferBytes + 1, '1')
                                   << QStringLiteral("offer.csv is larger than 64 MiB; that is no offer list.");
        QTest::newRow("too many lines") << QByteArray("1\n").repeated(200001)
                                        << QStringLiteral("offer.csv has more than 200000 lines; that is no offer "
                                                          "list.");
    }
    void refused()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, message);
        QCOMPARE(errorOf([&] { read(bytes); }), message);
    }

    void files()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const auto fileError = [](const QString& path) {
            try {
                readOfferFile(path);
            } catch (const Error& e) {
                return e.kind() == Error::Kind::File ? e.message() : QStringLiteral("wrong kind: ") + e.message();
            }
            return QString();
        };

        const QString good = dir.filePath(QStringLiteral("offer.csv"));
        QFile file(good);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("Nr;Stand\n722;O\n");
        file.close();
        QCOMPARE(summary(readOfferFile(good)), QStringList{QStringLiteral("2: 722 '' O")});
        QCOMPARE(summary(readOfferFile(good, parseColumns(QStringLiteral("1")), HeaderLine::First)),
                 QStringList{QStringLiteral("2: 722 '' -")});

        const QString missing = dir.filePath(QStringLiteral("missing.csv"));
        QCOMPARE(fileError(missing), QStringLiteral("There is no file %1.").arg(missing));
        QCOMPARE(fileError(dir.path()), QStringLiteral("%1 is a folder, not an offer file.").arg(dir.path()));

        const QString pipe = dir.filePath(QStringLiteral("pipe.csv"));
        QCOMPARE(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
        const QString notRegular = QStringLiteral("%1 is not a regular file (a device or pipe); save the offer list "
                                                  "as a file.");
        QCOMPARE(fileError(pipe), notRegular.arg(pipe));
        QCOMPARE(fileError(QStringLiteral("/dev/zero")), notRegular.arg(QStringLiteral("/dev/zero")));

        // Sparse, so the test costs no disk; refused before it is read.
        const QString large = dir.filePath(QStringLiteral("large.csv"));
        QFile big(large);
        QVERIFY(big.open(QIODevice::WriteOnly));
        QVERIFY(big.resize(MaxOfferBytes + 1));
        big.close();
        QCOMPARE(fileError(large), QStringLiteral("%1 is larger than 64 MiB; that is no offer list.").arg(large));

        QFile binary(dir.filePath(QStringLiteral("binary.csv")));
        QVERIFY(binary.open(QIODevice::WriteOnly));
        binary.write(QByteArray("\x7F"
                                "ELF\x02\x01\x01\0\0\0",
                                10));
        binary.close();
        QVERIFY(errorOf([&] {
                    readOfferFile(binary.fileName());
                }).startsWith(QStringLiteral("%1 is not a text file: it holds NUL bytes.").arg(binary.fileName())));
    }
};

QTEST_APPLESS_MAIN(OfferFileTest)
#include "tst_offerfile.moc"
