// The parts a table view stands on: the keyset must order rows exactly as the
// table file's index does, the statements must read the view's range and no
// other, and the row cache must serve rows across block boundaries.
#include "Collection.h"
#include "Database.h"
#include "Keyset.h"
#include "RowCache.h"
#include "TableDef.h"
#include "ViewSql.h"

#include <QRandomGenerator>
#include <QTest>

using namespace kvilbro;
using namespace kvilbro::test;

namespace {

// Field indexes of the numbers table by name.
QList<int> fields(const QStringList& names)
{
    const TableDef& def = TableDef::get(TableId::Numbers);
    QList<int> out;
    for (const QString& n : names)
        out << def.fieldIndex(n);
    return out;
}

const QStringList Order{"Land", "Stamoplysning", "Nummer", "Type", "Tæller"};

ViewSql numbersSql()
{
    return ViewSql(TableDef::get(TableId::Numbers), fields(Order), fields({"Land", "Stamoplysning"}));
}

Keyset loadRange(Database& db, const ViewSql& sql, const QList<QVariant>& range)
{
    Keyset keyset(int(Order.size()) - 1);
    Statement stmt = db.prepare(TableId::Numbers, sql.keyset());
    ViewSql::bindRange(stmt, range);
    keyset.load(stmt);
    return keyset;
}

} // namespace

class ViewPartsTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { pinEnvironment(); }

    // NULL, then numbers (integers and reals compared by value), then text by
    // its UTF-8 bytes, then blobs: the order SQLite's BINARY collation gives.
    void sortValuesCompareAsTheEngine_data()
    {
        QTest::addColumn<QVariant>("lower");
        QTest::addColumn<QVariant>("higher");
        QTest::newRow("null before number") << QVariant() << QVariant(qint64(-5));
        QTest::newRow("blank text is null") << QVariant(QString()) << QVariant(qint64(0));
        QTest::newRow("integers") << QVariant(qint64(9)) << QVariant(qint64(10));
        QTest::newRow("real and integer") << QVariant(9.5) << QVariant(qint64(10));
        QTest::newRow("number before text") << QVariant(qint64(999)) << QVariant(QString("1"));
        QTest::newRow("capitals first") << QVariant(QString("Z")) << QVariant(QString("a"));
        QTest::newRow("Danish letters last") << QVariant(QString("z")) << QVariant(QString("Æ"));
        QTest::newRow("prefix first") << QVariant(QString("Ch")) << QVariant(QString("Cha"));
        QTest::newRow("text before blob") << QVariant(QString("ÿ")) << QVariant(QByteArray("a"));
    }
    void sortValuesCompareAsTheEngine()
    {
        QFETCH(QVariant, lower);
        QFETCH(QVariant, higher);
        const SortValue a = SortValue::from(lower);
        const SortValue b = SortValue::from(higher);
        QCOMPARE(SortValue::compare(a, b), -1);
        QCOMPARE(SortValue::compare(b, a), 1);
        QCOMPARE(SortValue::compare(a, a), 0);
    }

    // A stored row finds the place the index would give it, whatever its keys.
    void insertPositionAgreesWithTheIndex()
    {
        Collection c;
        QRandomGenerator random(20261209);
        const QStringList types{"", "a", "b", "Ch", "æ", "A"};
        for (int i = 0; i < 300; ++i)
            c.addNumber("DK", "Danmark", int(random.bounded(40)), types[int(random.bounded(types.size()))]);
        c.addNumber("IS", "Island", 5);
        Database db(c.path());
        const ViewSql sql = numbersSql();
        Keyset keyset = loadRange(db, sql, {"DK", "Danmark"});
        QCOMPARE(keyset.size(), 300);

        // Rows placed one by one, in random order, end in the index's order.
        Keyset rebuilt(int(Order.size()) - 1);
        Statement rows = db.prepare(TableId::Numbers, "SELECT Tæller, Land, Stamoplysning, Nummer, Type FROM stm2manc "
                                                      "WHERE Land = 'DK' ORDER BY random()");
        while (rows.step()) {
            const QList<QVariant> keys{rows.column(1), rows.column(2), rows.column(3), rows.column(4)};
            rebuilt.insert(rebuilt.insertPosition(keys, rows.columnInt(0)), rows.columnInt(0), keys);
        }
        QCOMPARE(rebuilt.size(), keyset.size());
        for (int i = 0; i < keyset.size(); ++i)
            QCOMPARE(rebuilt.rowId(i), keyset.rowId(i));
    }

    void statementsReadTheRangeOnly()
    {
        Collection c;
        c.addNumber("DK", "Danmark", 2);
        c.addNumber("DK", "Danmark", 1);
        c.addNumber("DK", "Dansk Vestindien", 1);
        c.addNumber("", "Uden land", 7); // a blank link value is stored as NULL
        Database db(c.path());
        const ViewSql sql = numbersSql();
        QCOMPARE(loadRange(db, sql, {"DK", "Danmark"}).size(), 2);
        QCOMPARE(loadRange(db, sql, {QString(), "Uden land"}).size(), 1);

        // firstWhere numbers its own parameters after the link's.
        Statement first = db.prepare(TableId::Numbers, sql.firstWhere({"\"Nummer\"=?3"}));
        ViewSql::bindRange(first, {"DK", "Danmark"});
        first.bindInt(3, 1);
        QVERIFY(first.step());
        QCOMPARE(first.columnInt(0), c.scalar("SELECT Tæller FROM stm2manc WHERE Stamoplysning = 'Danmark' AND "
                                              "Nummer = 1")
                                         .toLongLong());
    }

    void cacheServesEveryBlock()
    {
        Collection c;
        c.exec("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 200) "
               "INSERT INTO stm2manc (Land, Stamoplysning, Nummer) SELECT 'DK', 'Danmark', i FROM n");
        Database db(c.path());
        const ViewSql sql = numbersSql();
        const Keyset keyset = loadRange(db, sql, {"DK", "Danmark"});
        const TableDef& def = TableDef::get(TableId::Numbers);
        RowCache cache(db, def);
        cache.setBlockSql(sql.block());
        const int number = def.fieldIndex(u"Nummer");
        // Across block edges, and the short last block.
        for (int i : {0, 63, 64, 65, 127, 128, 199, 1})
            QCOMPARE(cache.row(keyset, i).value(number).toInt(), i + 1);

        // A row deleted behind the keyset reads as blank, not as a neighbour's.
        c.exec("DELETE FROM stm2manc WHERE Nummer = 150");
        cache.clear();
        QVERIFY(cache.row(keyset, 149).value(number).isNull());
        QCOMPARE(cache.row(keyset, 150).value(number).toInt(), 151);
    }
};

QTEST_MAIN(ViewPartsTest)
#include "tst_viewparts.moc"
