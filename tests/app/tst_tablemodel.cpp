// The grid model follows its view through every kind of change without
// breaking the model rules, and shows exactly the view's rows.
#include "Collection.h"
#include "CollectionViews.h"
#include "TableModel.h"
#include "TableView.h"

#include <QAbstractItemModelTester>
#include <QPersistentModelIndex>
#include <QTest>

using namespace kvilbro;

class TableModelTest : public QObject {
    Q_OBJECT

    static QStringList shown(const TableModel& m)
    {
        QStringList out;
        for (int r = 0; r < m.rowCount(); ++r)
            out << m.index(r, 0).data().toString() + m.index(r, 1).data().toString();
        return out;
    }
    static QStringList stored(TableView& v)
    {
        QStringList out;
        for (int r = 0; r < v.rowCount(); ++r)
            out << v.rowText(r, v.fieldIndex(u"Nummer")) + v.rowText(r, v.fieldIndex(u"Type"));
        return out;
    }

private slots:
    void initTestCase() { test::pinEnvironment(); }

    void followsEveryChange()
    {
        test::Collection c;
        c.addArea("DK", "Danmark");
        c.addArea("IS", "Island");
        for (int n : {10, 20, 30})
            c.addNumber("DK", "Danmark", n);
        Database db(c.path());
        const CollectionViews views(db, CollectionWindow::AllInformationList);
        TableView& areas = views.areas();
        TableView& numbers = views.numbers();
        TableModel model(numbers, {{"Nummer", 50}, {"Type", 50}});
        model.setEditable(true);
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);

        auto check = [&](const QStringList& expected) {
            QCOMPARE(shown(model), expected);
            if (numbers.rowCount() > 0)
                QCOMPARE(shown(model), stored(numbers));
        };
        check({"10", "20", "30"});
        numbers.moveToRow(1);
        numbers.insert();
        check({"10", "", "20", "30"});
        numbers.setText(u"Nummer", "40");
        check({"10", "40", "20", "30"});
        numbers.post(); // moves to its place
        check({"10", "20", "30", "40"});
        numbers.first();
        numbers.edit();
        numbers.setText(u"Type", "a");
        numbers.setText(u"Nummer", "25");
        numbers.post();
        check({"20", "25a", "30", "40"});
        numbers.append();
        check({"20", "25a", "30", "40", ""});
        numbers.cancel();
        check({"20", "25a", "30", "40"});
        numbers.last();
        numbers.remove();
        check({"20", "25a", "30"});
        areas.next(); // an area without numbers: one empty row to type into
        check({""});
        numbers.insert();
        check({""});
        numbers.setText(u"Nummer", "1");
        numbers.post();
        check({"1"});
        numbers.remove();
        check({""});
        areas.first();
        check({"20", "25a", "30"});
    }

    // A grid keeps its current row and selection through persistent indexes:
    // they must follow a stored row to its place in the order, and the rows
    // it passed must shift, or the grid shows one row and edits another.
    // A foreign file's oversized text shows only as much as its field holds.
    void showsNoMoreThanTheFieldHolds()
    {
        test::Collection c;
        c.addArea("DK", "Danmark");
        c.addNumber("DK", "Danmark", 1, QString(20000, 'a'));
        Database db(c.path());
        const CollectionViews views(db, CollectionWindow::MainWindow);
        TableModel model(views.numbers(), {{"Nummer", 50}, {"Type", 50}});
        QCOMPARE(model.index(0, 1).data().toString(), QString(10, 'a'));
    }

    void storedRowTakesItsIndexAlong_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QStringList>("after");
        QTest::addColumn<int>("editedRow");
        QTest::newRow("down the order") << "25" << QStringList{"20", "25", "30"} << 1;
        QTest::newRow("to the end") << "35" << QStringList{"20", "30", "35"} << 2;
        QTest::newRow("stays") << "15" << QStringList{"15", "20", "30"} << 0;
    }
    void storedRowTakesItsIndexAlong()
    {
        QFETCH(QString, typed);
        test::Collection c;
        c.addArea("DK", "Danmark");
        for (int n : {10, 20, 30})
            c.addNumber("DK", "Danmark", n);
        Database db(c.path());
        const CollectionViews views(db, CollectionWindow::MainWindow);
        TableView& numbers = views.numbers();
        TableModel model(numbers, {{"Nummer", 50}, {"Type", 50}});
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);

        const QPersistentModelIndex edited(model.index(0, 0));
        const QPersistentModelIndex thirty(model.index(2, 0));
        numbers.first();
        numbers.edit();
        numbers.setText(u"Nummer", typed);
        numbers.post();
        QTEST(shown(model), "after");
        QTEST(edited.row(), "editedRow");
        QCOMPARE(edited.data().toString(), typed);
        QCOMPARE(thirty.data().toString(), QStringLiteral("30"));
    }
};

QTEST_MAIN(TableModelTest)
#include "tst_tablemodel.moc"
