// The table view's rules: orders, links, pending rows, moving and two views on one table.
#include "Collection.h"
#include "ViewTestSupport.h"

#include <QSignalSpy>
#include <QTest>

using namespace kvilbro;
using namespace kvilbro::test;

class TableViewTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { test::pinEnvironment(); }

    void ordersAndLink()
    {
        Collection c;
        c.addArea(QStringLiteral("DK"), QStringLiteral("Danmark"));
        c.addArea(QStringLiteral("FR"), QStringLiteral("Færøerne"));
        c.addArea(QStringLiteral("AA"), QStringLiteral("Aaland"));
        for (const auto& [n, t] : QList<QPair<int, QString>>{
                 {12, {}}, {7, QStringLiteral("b")}, {7, {}}, {-3, {}}, {7, QStringLiteral("a")}, {100, {}}})
            c.addNumber(QStringLiteral("DK"), QStringLiteral("Danmark"), n, t);
        c.addNumber(QStringLiteral("FR"), QStringLiteral("Færøerne"), 1);
        c.addNumber(QStringLiteral("DK"), QStringLiteral("Danmark X"), 5); // another area's link
        Views v(c.path());

        // Areas in the table's own order, numbers by number, variant (blank first), counter.
        QCOMPARE(v.areas.asText(u"Beskrivelse"), QStringLiteral("Danmark"));
        QCOMPARE(walk(v.numbers), (QStringList{"-3", "7", "7a", "7b", "12", "100"}));
        v.areas.next();
        QCOMPARE(walk(v.numbers), QStringList{"1"});
        v.areas.next();
        QVERIFY(v.numbers.isEmpty());
        QVERIFY(v.numbers.eof());

        // A view that asks for the leading fields of an index gets the index's whole order.
        TableView report(v.db, TableId::Numbers, {QStringLiteral("land"), QStringLiteral("STAMOPLYSNING")});
        report.open();
        QCOMPARE(report.orderFields(), NumberOrder);
        TableView byId(v.db, TableId::Areas, {QStringLiteral("National ID"), QStringLiteral("Beskrivelse")});
        byId.open();
        QCOMPARE(byId.asText(u"National ID"), QStringLiteral("AA"));

        TableView impossible(v.db, TableId::Numbers, {QStringLiteral("Type")});
        const QString message = errorOf([&] { impossible.open(); });
        QVERIFY2(message.contains(QLatin1String("stm2manc.DB")) && message.contains(QStringLiteral("intet indeks")),
                 qPrintable(message));
    }

    void endFlag()
    {
        Collection c;
        c.addArea(QStringLiteral("DK"), QStringLiteral("Danmark"));
        c.addArea(QStringLiteral("IS"), QStringLiteral("Island"));
        c.addNumber(QStringLiteral("DK"), QStringLiteral("Danmark"), 1);
        c.addNumber(QStringLiteral("DK"), QStringLiteral("Danmark"), 2);
        Views v(c.path());

        v.numbers.first();
        QVERIFY(!v.numbers.eof());
        v.numbers.last();
        QVERIFY(!v.numbers.eof()); // only next passes the end
        QCOMPARE(current(v.numbers), QStringLiteral("2"));
        v.numbers.next();
        QVERIFY(v.numbers.eof());
        QCOMPARE(current(v.numbers), QStringLiteral("2")); // stays on the last row
        v.numbers.prior();
        QVERIFY(!v.numbers.eof());
        QCOMPARE(current(v.numbers), QStringLiteral("1"));
        v.numbers.prior();
        QVERIFY(v.numbers.bof());

        v.areas.next(); // Island has no numbers
        QVERIFY(v.numbers.eof());
        QCOMPARE(v.numbers.asText(u"Nummer"), QString());
        QCOMPARE(v.numbers.asInteger(u"Nummer"), 0);
        v.numbers.first();
        QVERIFY(v.numbers.eof());
    }

    void pendingRowIsFinishedByEveryMove_data()
    {
        QTest::addColumn<QString>("move");
        QTest::addColumn<bool>("typed");
        for (const char* move : {"first", "prior", "next", "last", "locate", "insert", "moveToRow", "refresh"}) {
            QTest::addRow("%s after a change", move) << QString::fromLatin1(move) << true;
            QTest::addRow("%s without a change", move) << QString::fromLatin1(move) << false;
        }
    }

    void pendingRowIsFinishedByEveryMove()
    {
        QFETCH(QString, move);
        QFETCH(bool, typed);
        auto act = [&move](TableView& view) {
            if (move == QLatin1String("first"))
                view.first();
            else if (move == QLatin1String("prior"))
                view.prior();
            else if (move == QLatin1String("next"))
                view.next();
            else if (move == QLatin1String("last"))
                view.last();
            else if (move == QLatin1String("locate"))
                QVERIFY(view.locate({QStringLiteral("Nummer")}, {QStringLiteral("20")}, true));
            else if (move == QLatin1String("insert"))
                view.insert();
            else if (move == QLatin1String("moveToRow"))
                view.moveToRow(0);
            else
                view.refresh();
        };

        for (const bool newRow : {false, true}) {
            Collection c;
            c.addArea(QStringLiteral("DK"), QStringLiteral("Danmark"));
            for (int n : {10, 20, 30})
                c.addNumber(QStringLiteral("DK"), QStringLiteral("Danmark"), n, {}, {}, {}, QStringLiteral("old"));
            Views v(c.path());
            v.numbers.moveToRow(1);
            if (newRow)
                v.numbers.insert();
            else
                v.numbers.edit();
            QVERIFY(v.numbers.state() != TableView::State::Browse);
            if (typed) {
                if (newRow)
                    v.numbers.setText(u"Nummer", QStringLiteral("15"));
                v.numbers.setText(u"Bemærkning", QStringLiteral("ny"));
            }
            act(v.numbers);
            if (move != QLatin1String("insert"))
                QCOMPARE(v.numbers.state(), TableView::State::Browse);
            const int rows = c.count(QStringLiteral("stm2manc"));
            const int changed = c.count(QStringLiteral("stm2manc"), QStringLiteral("\"Bemærkning\"='ny'"));
            QCOMPARE(rows, newRow && typed ? 4 : 3);
            QCOMPARE(changed, typed ? 1 : 0);
            // The view itself shows what the table holds.
            QCOMPARE(v.numbers.recordCount(), rows);
        }
    }

    void insertFillsLinkFieldsFromTheArea()
    {
        Collection c;
        c.addArea(QStringLiteral("GR"), QStringLiteral("Grønland"));
        c.addArea(QStringLiteral("FR"), QStringLiteral("Færøerne"));
        Views v(c.path());
        v.areas.next();
        QSignalSpy inserted(&v.numbers, &TableView::rowInserted);
        v.numbers.insert();
        QCOMPARE(inserted.count(), 1);
        QCOMPARE(v.numbers.asText(u"Land"), QStringLiteral("FR"));
        QCOMPARE(v.numbers.asText(u"Stamoplysning"), QStringLiteral("Færøerne"));
        QVERIFY(!v.numbers.isModified()); // the link fields are no change of the collector's
        QCOMPARE(v.numbers.rowCount(), 1);
        QCOMPARE(v.numbers.recordCount(), 0);
        v.numbers.setText(u"Nummer", QStringLiteral("7"));
        v.numbers.post();
        QCOMPARE(c.count(QStringLiteral("stm2manc"), QStringLiteral("Land='FR' AND Stamoplysning='Færøerne' AND "
                                                                    "Nummer=7 AND Type IS NULL AND \"***\" IS NULL")),
                 1);
        QCOMPARE(v.numbers.recordCount(), 1);

        // A new row nobody typed into disappears when the collector moves on.
        v.numbers.append();
        QCOMPARE(v.numbers.rowCount(), 2);
        QCOMPARE(v.numbers.currentRow(), 1);
        v.numbers.first();
        QCOMPARE(v.numbers.rowCount(), 1);
        QCOMPARE(c.count(QStringLiteral("stm2manc")), 1);

        // Edit on an empty view starts a new row of the area.
        v.areas.first();
        QVERIFY(v.numbers.isEmpty());
        v.numbers.edit();
        QCOMPARE(v.numbers.state(), TableView::State::Insert);
        QCOMPARE(v.numbers.asText(u"Land"), QStringLiteral("GR"));
    }

    void masterMoveFinishesTheDetailRow()
    {
        Collection c;
        c.addArea(QStringLiteral("DK"), QStringLiteral("Danmark"));
        c.addArea(QStringLiteral("FR"), QStringLiteral("Færøerne"));
        for (int n : {1, 2, 3})
            c.addNumber(QStringLiteral("DK"), QStringLiteral("Danmark"), n);
        for (int n : {50, 60})
            c.addNumber(QStringLiteral("FR"), QStringLiteral("Færøerne"), n);
        Views v(c.path());

        v.numbers.last();
        v.numbers.edit();
        v.numbers.setText(u"O", QStringLiteral("x"));
        v.areas.next();
        QCOMPARE(v.numbers.state(), TableView::State::Browse);
        QCOMPARE(c.scalar(QStringLiteral("SELECT O FROM stm2manc WHERE Nummer=3")).toString(), QStringLiteral("x"));
        QCOMPARE(current(v.numbers), QStringLiteral("50")); // the new area's first row
        QCOMPARE(v.numbers.recordCount(), 2);

        v.numbers.append(); // nothing typed: dropped by the move
        v.areas.prior();
        QCOMPARE(c.count(QStringLiteral("stm2manc")), 5);
        QCOMPARE(walk(v.numbers), (QStringList{"1", "2", "3"}));

        // Two areas with the same link fields share their rows.
        c.addArea(QStringLiteral("DK"), QStringLiteral("Danmark"));
        v.areas.refresh(); // written by another program: seen on reread
        v.areas.last();
        QCOMPARE(v.areas.recordCount(), 3);
        QCOMPARE(walk(v.numbers), (QStringList{"1", "2", "3"}));
    }

    void deleteMovesToTheNextRowElseThePrevious()
    {
        Collection c;
        c.addArea(QStringLiteral("DK"), QStringLiteral("Danmark"));
        for (int n : {1, 2, 3})
            c.addNumber(QStringLiteral("DK"), QStringLiteral("Danmark"), n);
        Views v(c.path());

        v.numbers.first();
        v.numbers.remove();
        QCOMPARE(current(v.numbers), QStringLiteral("2"));
        v.numbers.last();
        v.numbers.remove();
        QCOMPARE(current(v.numbers), QStringLiteral("2"));
        QVERIFY(!v.numbers.eof());
        v.numbers.remove();
        QVERIFY(v.numbers.isEmpty());
        QVERIFY(v.numbers.eof());
        QCOMPARE(c.count(QStringLiteral("stm2manc")), 0);
        const QString message = errorOf([&] { v.numbers.remove(); });
        QVERIFY2(message.contains(QStringLiteral("ingen række at slette")), qPrintable(message));

        // Delete during an insert only drops the new row.
        c.addNumber(QStringLiteral("DK"), QStringLiteral("Danmark"), 9);
        v.numbers.refresh();
        v.numbers.insert();
        v.numbers.setText(u"Nummer", QStringLiteral("4"));
        v.numbers.remove();
        QCOMPARE(v.numbers.state(), TableView::State::Browse);
        QCOMPARE(c.count(QStringLiteral("stm2manc")), 1);
        QCOMPARE(current(v.numbers), QStringLiteral("9"));

        // Delete during an edit removes the row and forgets the edit.
        v.numbers.edit();
        v.numbers.setText(u"Type", QStringLiteral("a"));
        v.numbers.remove();
        QCOMPARE(c.count(QStringLiteral("stm2manc")), 0);
    }

    void cancelAndPostPositions()
    {
        Collection c;
        c.addArea(QStringLiteral("DK"), QStringLiteral("Danmark"));
        for (int n : {10, 20, 30, 40})
            c.addNumber(QStringLiteral("DK"), QStringLiteral("Danmark"), n, {}, {}, {}, QStringLiteral("r%1").arg(n));
        Views v(c.path());

        v.numbers.moveToRow(1);
        v.numbers.edit();
        v.numbers.setText(u"Bemærkning", QStringLiteral("changed"));
        v.numbers.cancel();
        QCOMPARE(v.numbers.asText(u"Bemærkning"), QStringLiteral("r20"));
        QCOMPARE(c.count(QStringLiteral("stm2manc"), QStringLiteral("\"Bemærkning\"='changed'")), 0);

        v.numbers.moveToRow(2);
        v.numbers.insert();
        QCOMPARE(v.numbers.currentRow(), 2);
        QCOMPARE(v.numbers.rowText(3, 2), QStringLiteral("30")); // the stored rows move down one
        v.numbers.cancel();
        QCOMPARE(current(v.numbers), QStringLiteral("30"));

        // Post keeps the stored row current, at its place in the order.
        v.numbers.edit();
        v.numbers.setText(u"Nummer", QStringLiteral("5"));
        v.numbers.post();
        QCOMPARE(v.numbers.currentRow(), 0);
        QCOMPARE(current(v.numbers), QStringLiteral("5"));
        QCOMPARE(walk(v.numbers), (QStringList{"5", "10", "20", "40"}));

        v.numbers.moveToRow(0);
        v.numbers.insert();
        v.numbers.setText(u"Nummer", QStringLiteral("25"));
        v.numbers.setText(u"Type", QStringLiteral("b"));
        v.numbers.post();
        QCOMPARE(v.numbers.currentRow(), 3);
        v.numbers.append();
        v.numbers.setText(u"Nummer", QStringLiteral("25"));
        v.numbers.post(); // a blank variant sorts before "b"
        QCOMPARE(v.numbers.currentRow(), 3);
        QCOMPARE(walk(v.numbers), (QStringList{"5", "10", "20", "25", "25b", "40"}));

        // An explicit post stores even an untouched new row.
        v.numbers.append();
        v.numbers.post();
        QCOMPARE(c.count(QStringLiteral("stm2manc"), QStringLiteral("Nummer IS NULL AND Land='DK'")), 1);
        QCOMPARE(v.numbers.currentRow(), 0); // a blank number sorts first
    }

    void twoViewsOnOneTable()
    {
        Collection c;
        c.addArea(QStringLiteral("DK"), QStringLiteral("Danmark"));
        c.addNumber(QStringLiteral("DK"), QStringLiteral("Danmark"), 1);
        c.addNumber(QStringLiteral("DK"), QStringLiteral("Danmark"), 5);
        Views v(c.path());
        TableView other(v.db, TableId::Numbers, {QStringLiteral("Land"), QStringLiteral("Stamoplysning")});
        TableView otherAreas(v.db, TableId::Areas);
        other.setMaster(&otherAreas, {QStringLiteral("Land"), QStringLiteral("Stamoplysning")},
                        {QStringLiteral("National ID"), QStringLiteral("Beskrivelse")});
        otherAreas.open();
        other.open();

        other.append();
        other.setText(u"Nummer", QStringLiteral("3"));
        other.post();
        QCOMPARE(v.numbers.recordCount(), 2); // not seen before it moves
        v.numbers.next();
        QCOMPARE(v.numbers.recordCount(), 3);
        QCOMPARE(current(v.numbers), QStringLiteral("3")); // from 1, the next row is now 3

        v.numbers.edit();
        v.numbers.setText(u"O", QStringLiteral("x"));
        v.numbers.post();
        other.first();
        other.next();
        QCOMPARE(other.asText(u"O"), QStringLiteral("x"));

        // A row deleted through one view is gone from the other at its next move.
        other.remove();
        v.numbers.first();
        QCOMPARE(walk(v.numbers), (QStringList{"1", "5"}));

        // Editing a row that another view deleted says so and stores nothing.
        v.numbers.first();
        other.first();
        other.remove();
        const QString message = errorOf([&] { v.numbers.edit(); });
        QVERIFY2(message.contains(QStringLiteral("slettet i et andet vindue")), qPrintable(message));
        QCOMPARE(v.numbers.state(), TableView::State::Browse);
    }

    void collectorRowAndDate()
    {
        Collection c;
        c.setCollector({QStringLiteral("Jens Ærø"), QStringLiteral("Vej 1"), QStringLiteral("8000 Århus"),
                        QStringLiteral("12"), QString(), QStringLiteral("2026-03-07")});
        Views v(c.path());
        QCOMPARE(v.collector.asText(u"brugernavn"), QStringLiteral("Jens Ærø"));
        QCOMPARE(v.collector.asText(u"Email"), QString());
        QCOMPARE(v.collector.asText(u"Dato"), QLocale().toString(QDate(2026, 3, 7), QLocale::ShortFormat));
    }

    void signalsFollowTheCursor()
    {
        Collection c;
        c.addArea(QStringLiteral("DK"), QStringLiteral("Danmark"));
        c.addArea(QStringLiteral("FR"), QStringLiteral("Færøerne"));
        c.addNumber(QStringLiteral("DK"), QStringLiteral("Danmark"), 1);
        Views v(c.path());
        QSignalSpy detailReset(&v.numbers, &TableView::rowsReset);
        QSignalSpy moved(&v.numbers, &TableView::positionChanged);
        QSignalSpy changed(&v.numbers, &TableView::rowChanged);
        v.areas.next();
        QCOMPARE(detailReset.count(), 1);
        v.areas.next(); // already on the last area: no change for the numbers
        QCOMPARE(detailReset.count(), 1);
        v.numbers.insert();
        v.numbers.setText(u"Nummer", QStringLiteral("4"));
        QCOMPARE(changed.count(), 1);
        QCOMPARE(changed.takeFirst().at(0).toInt(), 0);
        QVERIFY(moved.count() >= 2);

        // A stored row tells where it went, so that a grid need not read everything again.
        v.areas.prior();
        QSignalSpy rowMoved(&v.numbers, &TableView::rowMoved);
        QSignalSpy removed(&v.numbers, &TableView::rowRemoved);
        const int resetsBefore = detailReset.count();
        v.numbers.insert(); // before 1
        v.numbers.setText(u"Nummer", QStringLiteral("9"));
        v.numbers.post();
        QCOMPARE(rowMoved.takeFirst(), (QList<QVariant>{0, 1}));
        v.numbers.first();
        v.numbers.remove();
        QCOMPARE(removed.takeFirst(), QList<QVariant>{0});
        QCOMPARE(detailReset.count(), resetsBefore);
    }
};

QTEST_GUILESS_MAIN(TableViewTest)
#include "tst_tableview.moc"
