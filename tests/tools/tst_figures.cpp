// kvilbro-tables stats, wants and match: completion figures, want lists for
// dealers and offers matched against the collection, all only reading.
#include "Collection.h"
#include "CollectionFigures.h"
#include "Database.h"
#include "FigureCommands.h"
#include "ToolRun.h"
#include "WantList.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStringDecoder>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QTest>

using namespace kvilbro;
using kvilbro::test::Collection;

namespace {

using Run = test::ToolRun;

Run stats(const QStringList& args)
{
    return test::runCommand(figures::runStatsCommand, args);
}
Run wants(const QStringList& args)
{
    return test::runCommand(figures::runWantsCommand, args);
}
Run match(const QStringList& args)
{
    return test::runCommand(figures::runMatchCommand, args);
}

figures::Entry plain(qint64 n)
{
    return {n, {}, {}};
}
figures::Entry variant(qint64 n, const QString& type)
{
    return {n, {}, type};
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

QByteArray windows1252(const QString& text)
{
    QStringEncoder encoder("windows-1252");
    return encoder.encode(text);
}

// The marks in the order Collection::addNumber takes them: ***, *, O.
QStringList marks(const char* mint, const char* unused, const char* used)
{
    return {QString::fromUtf8(mint), QString::fromUtf8(unused), QString::fromUtf8(used)};
}

QStringList folderListing(const QString& path)
{
    return QDir(path).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot);
}

} // namespace

class FiguresTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { test::pinEnvironment(); }

    void compactRuns_data()
    {
        QTest::addColumn<QList<figures::Entry>>("entries");
        QTest::addColumn<QString>("text");
        QTest::newRow("runs, gaps and variants")
            << QList<figures::Entry>{plain(714), plain(715), plain(716),        plain(717), plain(718),
                                     plain(719), plain(720), variant(722, "a"), plain(725), plain(730),
                                     plain(731), plain(732), plain(733)}
            << "714–720, 722a, 725, 730–733";
        QTest::newRow("single number") << QList<figures::Entry>{plain(5)} << "5";
        QTest::newRow("two in a row") << QList<figures::Entry>{plain(5), plain(6)} << "5–6";
        QTest::newRow("a variant inside a run does not break it")
            << QList<figures::Entry>{plain(1), plain(2), variant(2, "a"), plain(3), plain(5)} << "1–3, 2a, 5";
        QTest::newRow("a variant before a run")
            << QList<figures::Entry>{variant(4, "b"), plain(5), plain(6)} << "4b, 5–6";
        QTest::newRow("only variants") << QList<figures::Entry>{variant(1, "a"), variant(1, "b"), variant(2, "a")}
                                       << "1a, 1b, 2a";
        QTest::newRow("negative numbers across zero")
            << QList<figures::Entry>{plain(-3), plain(-2), plain(-1), plain(0), plain(1), plain(4)} << "-3–1, 4";
        QTest::newRow("the same number twice") << QList<figures::Entry>{plain(7), plain(7), plain(8)} << "7–8";
        QTest::newRow("a variant that starts with a digit keeps a space")
            << QList<figures::Entry>{variant(72, "1"), variant(72, "(II)"), variant(72, "I")} << "72 1, 72 (II), 72I";
        QTest::newRow("blank and foreign numbers first, nothing left out that names something")
            << QList<figures::Entry>{{std::nullopt, {}, {}},
                                     {std::nullopt, {}, "x"},
                                     {std::nullopt, "12b", {}},
                                     plain(3)}
            << "x, 12b, 3";
    }
    void compactRuns()
    {
        QFETCH(QList<figures::Entry>, entries);
        QFETCH(QString, text);
        QCOMPARE(figures::compactRuns(entries, QStringLiteral("–")).join(QStringLiteral(", ")), text);
    }

    // Lines never pass the width, break only between items, and fill up to it.
    void wrapAt76()
    {
        QList<figures::Entry> entries;
        for (int n = 1000; n < 1400; n += 2)
            entries << plain(n) << variant(n + 1, "æb");
        const QStringList items = figures::compactRuns(entries, QStringLiteral("–"));
        const QStringList lines = figures::wrapItems(items, 76);
        QVERIFY(lines.size() > 5);
        for (qsizetype i = 0; i < lines.size(); ++i) {
            QVERIFY2(lines[i].size() <= 76, qPrintable(lines[i]));
            if (i + 1 < lines.size()) {
                QVERIFY(lines[i].endsWith(u','));
                // The next item would not have fitted.
                QVERIFY(lines[i].size() + 1 + lines[i + 1].section(u',', 0, 0).size() + 1 > 76);
            }
        }
        QCOMPARE(lines.join(u' '), items.join(QStringLiteral(", ")));
        // A line of exactly the width stays one line.
        const QStringList exact{QString(37, u'1'), QString(37, u'2')}; // 37 + ", " + 37 = 76
        QCOMPARE(figures::wrapItems(exact, 76).size(), 1);
        QCOMPARE(figures::wrapItems(exact, 75).size(), 2);
    }

    // Every area in the main window's order, an empty one as 0 of 0, numbers
    // of no area apart; the shares against a count made here.
    void statsAgainstACount()
    {
        Collection c;
        c.addArea("FR", "Færøerne");
        c.addArea("DK", "Danmark");
        c.addArea("IS", "Island");
        c.addArea("", "Uden ID");
        for (int n = 1; n <= 7; ++n) // O on 1..5, *** on odd numbers, * on none
            c.addNumber("DK", "Danmark", n, {}, marks(n % 2 ? "x" : "", "", n <= 5 ? "O" : ""));
        c.addNumber("DK", "Danmark", 8, "a", marks(" ", "", "")); // a space is a mark
        c.addNumber("FR", "Færøerne", 1, {}, marks("", "*", "O"));
        c.addNumber("FR", "Færøerne", 2, {}, {});                                          // NULL marks
        c.addNumber(QString(), "Uden ID", 1, {}, marks("", "", "O"));                      // blank ID links as blank
        c.addNumber("XX", "Ingen", 1, {}, marks("", "", "O"));                             // no such area
        c.exec("UPDATE stm2manc SET \"O\" = '' WHERE \"Nummer\" = 2 AND \"Land\" = 'FR'"); // empty, not NULL

        const Run text = stats({c.path()});
        QCOMPARE(text.code, 0);
        const QStringList lines = text.out.split(u'\n', Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 7);
        QVERIFY(lines[1].startsWith("FR") && lines[2].startsWith("DK") && lines[3].startsWith("IS"));
        QVERIFY2(lines[3].simplified() == "IS Island 0 0 – 0 – 0 –", qPrintable(lines[3]));
        QVERIFY2(lines[6].contains("1 number(s) belong to no area"), qPrintable(lines[6]));

        const QJsonObject json = QJsonDocument::fromJson(stats({c.path(), "--format", "json"}).out.toUtf8()).object();
        const QJsonArray areas = json["areas"].toArray();
        QCOMPARE(areas.size(), 4);
        for (const QJsonValue& value : areas) {
            const QJsonObject area = value.toObject();
            const QString where = QStringLiteral("coalesce(\"Land\",'') = '%1' AND \"Stamoplysning\" = '%2'")
                                      .arg(area["id"].toString(), area["name"].toString());
            const int numbers = c.count("stm2manc", where);
            QCOMPARE(area["numbers"].toInt(), numbers);
            for (const char* mark : {"O", "***", "*"}) {
                const int marked = c.count("stm2manc", where + QStringLiteral(" AND length(\"%1\") > 0").arg(mark));
                const QJsonObject figures = area[mark].toObject();
                QCOMPARE(figures["marked"].toInt(), marked);
                if (numbers == 0)
                    QVERIFY(figures["percent"].isNull());
                else
                    QCOMPARE(qRound(figures["percent"].toDouble() * 10), int(std::floor(marked * 1000.0 / numbers)));
            }
        }
        QCOMPARE(json["total"].toObject()["numbers"].toInt(), 11);
        QCOMPARE(json["numbersWithoutArea"].toInt(), 1);
        // 5 of 8 used in DK: 62.5; 4 of 8 mint: 50.0 (with the space).
        QCOMPARE(areas[1].toObject()["O"].toObject()["percent"].toDouble(), 62.5);
        QCOMPARE(areas[1].toObject()["***"].toObject()["marked"].toInt(), 5);

        const QStringList csv = stats({c.path(), "--format", "csv"}).out.split(u'\n', Qt::SkipEmptyParts);
        QCOMPARE(csv.value(0), QString("ID,Area,Numbers,O,O %,***,*** %,*,* %"));
        QCOMPARE(csv.value(3), QString("IS,Island,0,0,,0,,0,"));
        QCOMPARE(csv.value(5), QString(",Total,11,7,63.6,5,45.4,1,9.0"));
        QVERIFY(stats({c.path(), "--format", "xml"}).code == 1);
    }

    // 100.0 % only when every number is marked: shares are rounded down.
    void completeMeansComplete()
    {
        QCOMPARE(figures::tenthsOfPercent(1999, 2000), std::optional<qint64>(999));
        QCOMPARE(figures::tenthsOfPercent(2000, 2000), std::optional<qint64>(1000));
        QCOMPARE(figures::tenthsOfPercent(0, 0), std::nullopt);
    }

    void wantLists()
    {
        Collection c;
        c.addArea("DK", "Danmark");
        c.addArea("FR", "Færøerne");
        c.addArea("GR", "Grønland");
        c.addArea("IS", "Island");
        for (int n : {714, 715, 716, 717, 718, 719, 720, 725, 730, 731, 732, 733})
            c.addNumber("DK", "Danmark", n);
        c.addNumber("DK", "Danmark", 721, {}, marks("", "", "O")); // marked: a gap
        c.addNumber("DK", "Danmark", 722, "a");
        c.addNumber("DK", "Danmark", 722, {}, marks("", "", "O"));
        c.addNumber("FR", "Færøerne", 1, {}, marks("", "", "O")); // nothing wanted: left out
        c.addNumber("GR", "Grønland", 3, "b");
        c.addNumber("GR", "Grønland", 3, "B");
        c.addNumber("IS", "Island", -2);
        c.addNumber("IS", "Island", -1, {}, marks("***", "", ""));

        const Run text = wants({c.path(), "--condition", "used"});
        QCOMPARE(text.code, 0);
        QCOMPARE(text.out, QString("Wanted, used (O)\n\nDanmark (DK)\n714–720, 722a, 725, 730–733\n\n"
                                   "Grønland (GR)\n3B, 3b\n\nIsland (IS)\n-2–-1\n"));
        QCOMPARE(wants({c.path(), "--condition", "mint", "--area-id", "IS"}).out,
                 QString("Wanted, mint (***)\n\nIsland (IS)\n-2\n"));
        QCOMPARE(wants({c.path(), "--condition", "used", "--format", "csv", "--area-name", "Danmark"}).out,
                 QString("Area ID,Area,Numbers\nDK,Danmark,714-720\nDK,Danmark,722a\nDK,Danmark,725\n"
                         "DK,Danmark,730-733\n"));
        QCOMPARE(wants({c.path(), "--condition", "used", "--format", "markdown", "--area-id", "GR"}).out,
                 QString("# Wanted, used (O)\n\n## Grønland (GR)\n\n3B, 3b\n"));

        const Run none = wants({c.path(), "--condition", "used", "--area-id", "FR"});
        QCOMPARE(none.code, 0);
        QVERIFY(none.out.isEmpty());
        QVERIFY2(none.err.contains("No chosen area has a shortfall in used (O)."), qPrintable(none.err));
        const Run unknown = wants({c.path(), "--condition", "used", "--area-id", "DK", "--area-name", "Grønland"});
        QCOMPARE(unknown.code, 1);
        QVERIFY2(unknown.err.contains("no area with ID 'DK' and name 'Grønland'") &&
                     unknown.err.contains("GR\tGrønland"),
                 qPrintable(unknown.err));
        // The shell would expand a bare *: conditions are words.
        const Run star = wants({c.path(), "--condition", "*"});
        QCOMPARE(star.code, 1);
        QVERIFY(star.err.contains("--condition is used, mint or unused"));
        QCOMPARE(wants({c.path()}).code, 1);
    }

    // Two areas with one ID and name show the same numbers but count once in
    // the total; texts a terminal, a spreadsheet or Markdown would act on are
    // shown as text; blanks get readable headings.
    void duplicatesAndOddTexts()
    {
        Collection c;
        c.addArea("DK", "Danmark");
        c.addArea("DK", "Danmark");
        c.addArea("Z0", QString());
        c.addArea(QString(), QString());
        c.addArea("=X", "Esc\x1b]0;title\x07 + ~&");
        c.addNumber("DK", "Danmark", 1, {}, marks("", "", "O"));
        c.addNumber("DK", "Danmark", 2);
        c.addNumber("Z0", QString(), 3);
        c.addNumber(QString(), QString(), QVariant()); // names nothing
        c.addNumber("=X", "Esc\x1b]0;title\x07 + ~&", -5);
        c.addNumber("=X", "Esc\x1b]0;title\x07 + ~&", -4);

        const QJsonObject json = QJsonDocument::fromJson(stats({c.path(), "--format", "json"}).out.toUtf8()).object();
        QCOMPARE(json["areas"].toArray()[1].toObject()["numbers"].toInt(), 2);
        QCOMPARE(json["total"].toObject()["numbers"].toInt(), 6);
        QCOMPARE(json["total"].toObject()["O"].toObject()["marked"].toInt(), 1);
        QCOMPARE(json["numbersWithoutArea"].toInt(), 0);

        const Run text = wants({c.path(), "--condition", "used"});
        QCOMPARE(text.out, QString("Wanted, used (O)\n\nDanmark (DK)\n2\n\nDanmark (DK)\n2\n\nZ0\n3\n\n"
                                   "Esc\\x1b]0;title\\x07 + ~& (=X)\n-5–-4\n"));
        QVERIFY2(text.err.contains("1 shortfall(s) with neither number nor variant are left out"),
                 qPrintable(text.err));
        QCOMPARE(wants({c.path(), "--condition", "used", "--format", "csv", "--area-id", "=X"}).out,
                 QString("Area ID,Area,Numbers\n'=X,Esc\\x1b]0;title\\x07 + ~&,'-5--4\n"));
        QVERIFY(wants({c.path(), "--condition", "used", "--format", "markdown", "--area-id", "=X"})
                    .out.contains("## Esc\\\\x1b\\]0;title\\\\x07 \\+ \\~\\& (=X)\n\n-5–-4\n"));
        const QStringList csv = stats({c.path(), "--format", "csv"}).out.split(u'\n');
        QCOMPARE(csv.value(3), QString("Z0,,1,0,0.0,0,0.0,0,0.0"));

        const Run unknown = wants({c.path(), "--condition", "used", "--area-name", "\x1b[2J"});
        QCOMPARE(unknown.code, 1);
        QVERIFY(!unknown.err.contains(QChar(0x1b)));
        QVERIFY2(unknown.err.contains("name '\\x1b[2J'") && unknown.err.contains("\n  =X\tEsc\\x1b]0;title"),
                 qPrintable(unknown.err));
        QTemporaryDir dir;
        const Run missing = match({dir.filePath("tilbud\x1b[2J.csv"), c.path(), "--condition", "used"});
        QCOMPARE(missing.code, 1);
        QVERIFY2(!missing.err.contains(QChar(0x1b)) && missing.err.contains("tilbud\\x1b[2J.csv"),
                 qPrintable(missing.err));

        // Nothing wanted: a CSV still has its header line.
        const Run none = wants({c.path(), "--condition", "used", "--format", "csv", "--area-id", "XX"});
        QCOMPARE(none.code, 1);
        c.addArea("FR", "Færøerne");
        QCOMPARE(wants({c.path(), "--condition", "used", "--format", "csv", "--area-id", "FR"}).out,
                 QString("Area ID,Area,Numbers\n"));
    }

    // Many areas are read in one pass, a few range by range: both give the
    // same numbers in the same order, blanks and foreign values included.
    void onePassMatchesRanges()
    {
        Collection c;
        for (int a = 0; a < 12; ++a) {
            const QString id = a == 3 ? QString() : QStringLiteral("A%1").arg(a % 5);
            c.addArea(id, QStringLiteral("Område %1").arg(a % 7));
            for (int n = 20; n > 0; n -= (a % 3) + 1)
                c.addNumber(id, QStringLiteral("Område %1").arg(a % 7), n, n % 4 ? QString() : QStringLiteral("b"),
                            marks("", "", n % 5 ? "" : "O"));
            c.addNumber(id, QStringLiteral("Område %1").arg(a % 7), 7, "a");
            c.addNumber(id, QStringLiteral("Område %1").arg(a % 7), QVariant());
        }
        c.exec("UPDATE stm2manc SET \"Type\" = '' WHERE \"Nummer\" = 6");
        c.exec("UPDATE stm2manc SET \"Nummer\" = '12x' WHERE \"Nummer\" = 13");
        c.closeConnections();
        Database db(c.path(), Database::Access::ReadOnly);
        const figures::Snapshot snapshot(db);
        const QList<figures::Area> areas = figures::readAreas(db);
        QCOMPARE(areas.size(), 12);
        const auto text = [](const QList<figures::AreaWants>& wants) {
            QStringList out;
            for (const figures::AreaWants& w : wants) {
                QStringList entries;
                for (const figures::Entry& e : w.entries)
                    entries << (e.number ? QString::number(*e.number) : "<" + e.numberText + ">") + "/" + e.type;
                out << QString::number(w.area.id) + ": " + entries.join(u' ');
            }
            return out;
        };
        QStringList oneByOne;
        for (const figures::Area& area : areas)
            oneByOne << text(figures::readWants(db, Condition::Used, {area}));
        QCOMPARE(text(figures::readWants(db, Condition::Used, areas)), oneByOne);
        QVERIFY(oneByOne.join(u' ').contains("<12x>") && oneByOne.join(u' ').contains("6/ "));
    }

    // Offers in three languages and both encodings, with and without a
    // header; a number of two areas listed under both; a variant in another
    // letter case and other conditions never fill a gap.
    void offers_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("extra");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<QString>("note"); // how the columns were found
        // Lines 2 and 3 of a file with a header fill gaps in DK, line 2 in GR too.
        const auto both = [](const QString& a, const QString& b, int read, int first = 2) {
            return QStringLiteral("Danmark (DK): 2 line(s)\n  line %1: %3\n  line %2: %4\n\nGrønland (GR): 1 line(s)\n"
                                  "  line %1: %3\n\n2 of %5 offer line(s) read fill an empty used (O) mark, in 2 "
                                  "areas.\n")
                .arg(first)
                .arg(first + 1)
                .arg(a, b)
                .arg(read);
        };
        QTest::newRow("Danish header, Windows-1252")
            << windows1252("Nr;Type;Stand;Bemærkning\n5;;O;pæn\n7;a;stemplet;\n7;A;O;\n5;;postfrisk;\n")
            << QStringList() << both("5;;O;pæn", "7;a;stemplet;", 4) + "1 line(s) offer another condition.\n"
            << "is taken as the header: column 1 ('Nr') is read as the catalogue number.";
        QTest::newRow("German header, UTF-8")
            << QString("Nr.;Variante;Erhaltung;Preis\n5;;gestempelt;1,50 €\n7a;;gest.;2,00 €\n").toUtf8()
            << QStringList() << both("5;;gestempelt;1,50 €", "7a;;gest.;2,00 €", 2) << "column 1 ('Nr.') is read";
        QTest::newRow("English header, commas, quotes")
            << QByteArray("Number,Variant,Condition,Note\n5,,used,\"fine, light\"\n7,a,O,\n99,,O,\n") << QStringList()
            << both("5,,used,\"fine, light\"", "7,a,O,", 3) << "column 1 ('Number') is read";
        QTest::newRow("no header, tabs") << QByteArray("5\t\tO\n7\ta\t\n") << QStringList()
                                         << both("5\\x09\\x09O", "7\\x09a\\x09", 2, 1)
                                         << "has no header line naming its columns";
        QTest::newRow("columns chosen") << QByteArray("x;5;O\nx;7a;\n") << QStringList{"--columns", "2,0,3"}
                                        << both("x;5;O", "x;7a;", 2, 1) << QString();
        QTest::newRow("columns and a header")
            << QByteArray("Los;Nr;Stand\nx;5;O\nx;7a;\n") << QStringList{"--columns", "2,0,3", "--header"}
            << both("x;5;O", "x;7a;", 2) << "as --header says: column 2 ('Nr')";
    }
    void offers()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QStringList, extra);
        QFETCH(QString, expected);
        QFETCH(QString, note);
        Collection c;
        c.addArea("DK", "Danmark");
        c.addArea("GR", "Grønland");
        c.addNumber("DK", "Danmark", 5);
        c.addNumber("DK", "Danmark", 7, "a");
        c.addNumber("DK", "Danmark", 99, {}, marks("", "", "O"));
        c.addNumber("GR", "Grønland", 5);
        QTemporaryDir dir;
        writeFile(dir.filePath("offer.csv"), bytes);
        const Run r = match(QStringList{dir.filePath("offer.csv"), c.path(), "--condition", "used"} + extra);
        QCOMPARE(r.code, 0);
        QCOMPARE(r.out.left(expected.size()), expected);
        QVERIFY2(note.isEmpty() ? !r.out.contains("header") : r.out.contains(note), qPrintable(r.out));
    }

    void unreadableOfferLines()
    {
        Collection c;
        c.addArea("DK", "Danmark");
        c.addNumber("DK", "Danmark", 5);
        QTemporaryDir dir;
        writeFile(dir.filePath("offer.csv"), "Nr;Stand\n5;O\nabc;O\n714-720;O\n5;fin\n");
        const Run r = match({dir.filePath("offer.csv"), c.path(), "--condition", "used", "--area-id", "DK"});
        QCOMPARE(r.code, 0);
        QVERIFY2(r.out.contains("1 of 1 offer line(s) read fill") && r.out.contains("3 line(s) could not be read:\n"
                                                                                    "  line 3: no catalogue number in "
                                                                                    "'abc'\n  line 4: '714-720' is a "
                                                                                    "range"),
                 qPrintable(r.out));
        QVERIFY(r.out.contains("  line 5: 'fin' names no condition"));
        QCOMPARE(match({dir.filePath("missing.csv"), c.path(), "--condition", "used"}).code, 1);
        QCOMPARE(match({dir.filePath("offer.csv"), c.path(), "--condition", "used", "--columns", "x"}).code, 1);
    }

    // A bidirectional control in an area name or an offer line would reorder
    // what the terminal shows after it; each is shown as an escape.
    void bidiControlsAreEscaped_data()
    {
        QTest::addColumn<int>("control");
        for (const int u :
             {0x202a, 0x202b, 0x202c, 0x202d, 0x202e, 0x2066, 0x2067, 0x2068, 0x2069, 0x200e, 0x200f, 0x061c})
            QTest::newRow(qPrintable(QString::number(u, 16))) << u;
    }
    void bidiControlsAreEscaped()
    {
        QFETCH(int, control);
        const QString c = QChar(control);
        const QString escape = QStringLiteral("\\u%1").arg(control, 4, 16, QChar(u'0'));
        Collection collection;
        collection.addArea("DK", "Dan" + c + "mark");
        collection.addNumber("DK", "Dan" + c + "mark", 5);
        QTemporaryDir dir;
        writeFile(dir.filePath("offer.csv"), QString("5;;O;pris " + c + "12\n").toUtf8());
        const Run r = match({dir.filePath("offer.csv"), collection.path(), "--condition", "used"});
        QCOMPARE(r.code, 0);
        QVERIFY2(!r.out.contains(c) &&
                     r.out.startsWith("Dan" + escape + "mark (DK): 1 line(s)\n  line 1: 5;;O;pris " + escape + "12\n"),
                 qPrintable(r.out));
    }

    // No collection, a damaged one, and a folder that does not exist are
    // refused in plain words; nothing is created in the folder.
    void refusals()
    {
        QTemporaryDir empty;
        const Run none = stats({empty.path()});
        QCOMPARE(none.code, 1);
        QVERIFY2(none.err.contains("There is no collection in"), qPrintable(none.err));
        QVERIFY(folderListing(empty.path()).isEmpty());

        Collection c;
        c.addArea("DK", "Danmark");
        c.closeConnections();
        QFile numbers(c.file("stm2manc.DB"));
        QVERIFY(numbers.open(QIODevice::ReadWrite));
        numbers.seek(numbers.size() / 2);
        numbers.write(QByteArray(4096, '\xA5'));
        numbers.close();
        const Run damaged = wants({c.path(), "--condition", "used"});
        QCOMPARE(damaged.code, 1);
        QVERIFY2(damaged.err.contains("stm2manc.DB"), qPrintable(damaged.err));
        QVERIFY(damaged.out.isEmpty());
    }

    // Only reading: no lock file, no journals, not a byte changed; and while
    // another program writes the collection the figures are read at one moment.
    void readsBesideAWriter()
    {
        Collection c;
        c.addArea("DK", "Danmark");
        c.addNumber("DK", "Danmark", 0, {}, marks("", "", "O"));
        c.closeConnections();
        const QStringList before = folderListing(c.path());
        QCOMPARE(stats({c.path()}).code, 0);
        QCOMPARE(wants({c.path(), "--condition", "mint"}).code, 0);
        QCOMPARE(folderListing(c.path()), before);

        QProcess writer;
        writer.start(KVILBRO_CRASH_POSTER, {c.path()});
        QVERIFY(writer.waitForReadyRead(10000));
        qint64 last = 0;
        for (int i = 0; i < 20; ++i) {
            const Run r = stats({c.path(), "--format", "json"});
            QCOMPARE(r.code, 0);
            const QJsonObject dk = QJsonDocument::fromJson(r.out.toUtf8()).object()["areas"].toArray()[0].toObject();
            const qint64 numbers = dk["numbers"].toInteger();
            QVERIFY(numbers >= last);
            QCOMPARE(dk["O"].toObject()["marked"].toInt(), 1);
            last = numbers;
            const Run w = wants({c.path(), "--condition", "used"});
            QCOMPARE(w.code, 0);
            // The posted numbers 1, 2, ... form one run.
            QVERIFY2(w.out.contains(QRegularExpression("\n1(–\\d+)?\n$")), qPrintable(w.out));
        }
        writer.kill();
        writer.waitForFinished();
        QVERIFY(last > 1);
    }
};

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    FiguresTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_figures.moc"
