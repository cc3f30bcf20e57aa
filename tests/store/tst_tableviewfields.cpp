// The table view's field rules (widths, integers, dates) and locating rows.
#include "Collection.h"
#include "ViewTestSupport.h"

#include <QTest>

using namespace kvilbro;
using namespace kvilbro::test;

class TableViewFieldsTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { test::pinEnvironment(); }

    void fieldRules()
    {
        Collection c;
        c.addArea(QStringLiteral("DK"), QStringLiteral("Danmark"));
        Views v(c.path());
        v.numbers.insert();
        QCOMPARE(v.numbers.fieldIndex(u"o"), v.numbers.fieldIndex(u"O"));
        QCOMPARE(v.numbers.fieldIndex(u"BEMÆRKNING"), v.numbers.fieldIndex(u"Bemærkning"));
        QVERIFY(errorOf([&] {
                    v.numbers.fieldIndex(u"Nummer2");
                }).contains(QStringLiteral("Feltet 'Nummer2' findes ikke")));

        v.numbers.setText(u"type", QStringLiteral("abcdefghijKLM"));
        v.numbers.setText(u"***", QStringLiteral("æøåæ"));
        v.numbers.setText(u"*", QStringLiteral("xx"));
        v.numbers.setText(u"O", QString());
        v.numbers.setText(u"Billede", QStringLiteral("/billeder/") + QString(80, u'å'));
        v.numbers.setText(u"Bemærkning", QStringLiteral("a\u030A") + QString(60, u'b')); // a with a combining ring
        v.numbers.setText(u"Nummer", QStringLiteral("-2147483648"));
        v.numbers.post();
        QCOMPARE(v.numbers.asText(u"Type"), QStringLiteral("abcdefghij"));
        QCOMPARE(v.numbers.asText(u"***"), QStringLiteral("æøå"));
        QCOMPARE(v.numbers.asText(u"Billede").size(), 75);
        QCOMPARE(v.numbers.asText(u"Bemærkning"), QStringLiteral("å") + QString(49, u'b'));
        QCOMPARE(v.numbers.asInteger(u"Nummer"), -2147483648LL);
        QCOMPARE(v.numbers.asText(u"Nummer"), QStringLiteral("-2147483648"));
        QCOMPARE(c.scalar(QStringLiteral("SELECT typeof(O) FROM stm2manc")).toString(), QStringLiteral("null"));
        QCOMPARE(c.scalar(QStringLiteral("SELECT \"***\" FROM stm2manc")).toString(), QStringLiteral("æøå"));

        // Never half a character: a letter outside the basic plane is kept whole or left out.
        v.numbers.edit();
        v.numbers.setText(u"Type", QStringLiteral("abcdefghi\U0001F600xyz"));
        QCOMPARE(v.numbers.asText(u"Type"), QStringLiteral("abcdefghi\U0001F600"));
        // A text that fits is kept as typed: a decomposed file name still names its file.
        v.numbers.setText(u"Billede", QStringLiteral("/b/a\u030A.jpg"));
        QCOMPARE(v.numbers.asText(u"Billede"), QStringLiteral("/b/a\u030A.jpg"));
        v.numbers.cancel();

        // Writing needs a pending row.
        QVERIFY(
            errorOf([&] { v.numbers.setText(u"O", QStringLiteral("x")); }).contains(QStringLiteral("redigeres ikke")));
    }

    void integerField_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("stored"); // empty: refused
        QTest::newRow("largest") << "2147483647"
                                 << "2147483647";
        QTest::newRow("smallest") << "-2147483648"
                                  << "-2147483648";
        QTest::newRow("plus sign") << "+5"
                                   << "5";
        QTest::newRow("leading zeros") << "007"
                                       << "7";
        QTest::newRow("one past the largest") << "2147483648"
                                              << "";
        QTest::newRow("one below the smallest") << "-2147483649"
                                                << "";
        QTest::newRow("letters") << "12a"
                                 << "";
        QTest::newRow("sign only") << "-"
                                   << "";
        QTest::newRow("two signs") << "+-1"
                                   << "";
        QTest::newRow("space") << " 5"
                               << "";
        QTest::newRow("decimal") << "1.5"
                                 << "";
    }

    void integerField()
    {
        QFETCH(QString, text);
        QFETCH(QString, stored);
        Collection c;
        c.addArea(QStringLiteral("DK"), QStringLiteral("Danmark"));
        Views v(c.path());
        v.numbers.insert();
        v.numbers.setText(u"Nummer", QStringLiteral("1"));
        const QString message = errorOf([&] { v.numbers.setText(u"nummer", text); });
        if (stored.isEmpty()) {
            QCOMPARE(message, QStringLiteral("'%1' is not a valid integer value for field 'Nummer'").arg(text));
            QCOMPARE(v.numbers.asText(u"Nummer"), QStringLiteral("1")); // the field keeps its value
        } else {
            QCOMPARE(message, QString());
            v.numbers.post();
            QCOMPARE(c.scalar(QStringLiteral("SELECT Nummer FROM stm2manc")).toString(), stored);
        }
    }

    void integerWriteOutOfRange()
    {
        Collection c;
        c.addArea(QStringLiteral("DK"), QStringLiteral("Danmark"));
        Views v(c.path());
        v.numbers.insert();
        v.numbers.setInteger(u"Nummer", 2147483647);
        QCOMPARE(errorOf([&] { v.numbers.setInteger(u"Nummer", 2147483648LL); }),
                 QStringLiteral("'2147483648' is not a valid integer value for field 'Nummer'"));
        v.numbers.setInteger(u"Bemærkning", 42); // a text field takes the digits
        QCOMPARE(v.numbers.asText(u"Bemærkning"), QStringLiteral("42"));
        QCOMPARE(v.numbers.asInteger(u"Bemærkning"), 42);
        v.numbers.setText(u"Bemærkning", QStringLiteral("fire"));
        QCOMPARE(errorOf([&] { v.numbers.asInteger(u"Bemærkning"); }),
                 QStringLiteral("'fire' is not a valid integer value"));
    }

    void locate_data()
    {
        QTest::addColumn<QStringList>("fields");
        QTest::addColumn<QStringList>("values");
        QTest::addColumn<bool>("prefix");
        QTest::addColumn<QString>("found"); // number+type found, or empty for none
        const QStringList nummer{QStringLiteral("Nummer")};
        const QStringList nummerType{QStringLiteral("Nummer"), QStringLiteral("Type")};
        QTest::newRow("number, blank variant first") << nummer << QStringList{"7"} << true << "7";
        QTest::newRow("number read numerically") << nummer << QStringList{"007"} << true << "7";
        QTest::newRow("no prefix on numbers") << nummer << QStringList{"1"} << true << "";
        QTest::newRow("negative number") << nummer << QStringList{"-4"} << false << "-4";
        QTest::newRow("number in another area only") << nummer << QStringList{"99"} << true << "";
        QTest::newRow("number and variant") << nummerType << QStringList{"7", "b"} << false << "7b";
        QTest::newRow("number and blank variant") << nummerType << QStringList{"12", ""} << false << "12";
        QTest::newRow("variant prefix") << nummerType << QStringList{"714", "C"} << true << "714Ch";
        QTest::newRow("variant exact needs all") << nummerType << QStringList{"714", "C"} << false << "";
        QTest::newRow("variant case-sensitive") << nummerType << QStringList{"714", "ch"} << true << "";
        QTest::newRow("empty prefix matches all") << nummerType << QStringList{"714", ""} << true << "714";
        QTest::newRow("remark with Danish letters")
            << QStringList{QStringLiteral("Bemærkning")} << QStringList{QStringLiteral("Blå")} << true << "12";
    }

    void locate()
    {
        QFETCH(QStringList, fields);
        QFETCH(QStringList, values);
        QFETCH(bool, prefix);
        QFETCH(QString, found);
        Collection c;
        c.addArea(QStringLiteral("DK"), QStringLiteral("Danmark"));
        c.addArea(QStringLiteral("FR"), QStringLiteral("Færøerne"));
        const QString dk = QStringLiteral("Danmark");
        c.addNumber(QStringLiteral("DK"), dk, 7, QStringLiteral("b"));
        c.addNumber(QStringLiteral("DK"), dk, 7, QStringLiteral("a"));
        c.addNumber(QStringLiteral("DK"), dk, 7);
        c.addNumber(QStringLiteral("DK"), dk, 12, {}, {}, {}, QStringLiteral("Blå farve"));
        c.addNumber(QStringLiteral("DK"), dk, 714, QStringLiteral("Ch"));
        c.addNumber(QStringLiteral("DK"), dk, 714);
        c.addNumber(QStringLiteral("DK"), dk, -4);
        c.addNumber(QStringLiteral("FR"), QStringLiteral("Færøerne"), 99);
        Views v(c.path());
        v.numbers.last();
        const bool ok = v.numbers.locate(fields, values, prefix);
        QCOMPARE(ok, !found.isEmpty());
        QCOMPARE(current(v.numbers), found.isEmpty() ? QStringLiteral("714Ch") : found); // else stays on the last row
    }

    // A locate on the fields after the link is answered from the keyset; the
    // same fields asked in another order go to the table. Both must agree.
    void locateFromTheKeysetAgreesWithTheTable()
    {
        Collection c;
        c.addArea(QStringLiteral("DK"), QStringLiteral("Danmark"));
        c.addArea(QStringLiteral("FR"), QStringLiteral("Færøerne"));
        const QString dk = QStringLiteral("Danmark");
        for (const QString& type : {QString(), QStringLiteral("a"), QStringLiteral("A"), QStringLiteral("Ch"),
                                    QStringLiteral("å"), QStringLiteral("a")})
            c.addNumber(QStringLiteral("DK"), dk, 714, type);
        c.addNumber(QStringLiteral("DK"), dk, 0);
        c.addNumber(QStringLiteral("DK"), dk, -1, QStringLiteral("x"));
        c.addNumber(QStringLiteral("DK"), dk, 2147483647);
        c.addNumber(QStringLiteral("FR"), QStringLiteral("Færøerne"), 715);
        // A blank written as empty text by another program, not as NULL.
        c.exec(QStringLiteral("UPDATE stm2manc SET Type = '' WHERE Nummer = 0"));
        Views v(c.path());
        const QStringList numbers{"714", "0", "-1", "2147483647", "715", "7"};
        const QStringList types{"", "a", "A", "Ch", "ch", "å", "x", "C"};
        for (const QString& number : numbers) {
            for (const QString& type : types) {
                v.numbers.first();
                const bool byKeys =
                    v.numbers.locate({QStringLiteral("Nummer"), QStringLiteral("Type")}, {number, type}, false);
                const qint64 keysRow = v.numbers.currentRowId();
                v.numbers.first();
                const bool byTable =
                    v.numbers.locate({QStringLiteral("Type"), QStringLiteral("Nummer")}, {type, number}, false);
                QVERIFY2(byKeys == byTable && v.numbers.currentRowId() == keysRow,
                         qPrintable(number + QLatin1Char('/') + type));
            }
        }
    }

    void locateRefusesANonNumber_data()
    {
        QTest::addColumn<QString>("text");
        QTest::newRow("word") << "abc";
        QTest::newRow("empty") << "";
        QTest::newRow("too large") << "99999999999";
        QTest::newRow("trailing letters") << "12abc";
    }

    void locateRefusesANonNumber()
    {
        QFETCH(QString, text);
        Collection c;
        c.addArea(QStringLiteral("DK"), QStringLiteral("Danmark"));
        c.addNumber(QStringLiteral("DK"), QStringLiteral("Danmark"), 1);
        c.addNumber(QStringLiteral("DK"), QStringLiteral("Danmark"), 2);
        Views v(c.path());
        v.numbers.last();
        v.numbers.edit();
        v.numbers.setText(u"O", QStringLiteral("x"));
        QCOMPARE(errorOf([&] { v.numbers.locate({QStringLiteral("Nummer")}, {text}, true); }),
                 QStringLiteral("'%1' is not a valid integer value").arg(text));
        // The refused locate changed nothing: the row is still pending and current.
        QCOMPARE(v.numbers.state(), TableView::State::Edit);
        QCOMPARE(current(v.numbers), QStringLiteral("2"));
    }

    void locateAreaByDescriptionPrefix()
    {
        Collection c;
        c.addArea(QStringLiteral("FR"), QStringLiteral("Færøerne 1975-2000"));
        c.addArea(QStringLiteral("DK"), QStringLiteral("Danmark"));
        c.addArea(QStringLiteral("AA"), QStringLiteral("Færøerne"));
        c.addArea(QStringLiteral(""), QStringLiteral("Uden id"));
        Database db(c.path());
        TableView areas(db, TableId::Areas, {QStringLiteral("National ID"), QStringLiteral("Beskrivelse")});
        areas.open();
        const QStringList beskrivelse{QStringLiteral("Beskrivelse")};
        QVERIFY(areas.locate(beskrivelse, {QStringLiteral("Færøerne")}, true));
        QCOMPARE(areas.asText(u"National ID"), QStringLiteral("AA")); // first in this view's order
        QVERIFY(areas.locate(beskrivelse, {QStringLiteral("Dan")}, true));
        QVERIFY(!areas.locate(beskrivelse, {QStringLiteral("dan")}, true));
        QCOMPARE(areas.asText(u"National ID"), QStringLiteral("DK"));
        QVERIFY(!areas.locate(beskrivelse, {QStringLiteral("Dan")}, false));
        // A blank field and the empty text are one value.
        QVERIFY(areas.locate({QStringLiteral("National ID")}, {QString()}, false));
        QCOMPARE(areas.asText(u"Beskrivelse"), QStringLiteral("Uden id"));
    }
};

QTEST_MAIN(TableViewFieldsTest)
#include "tst_tableviewfields.moc"
