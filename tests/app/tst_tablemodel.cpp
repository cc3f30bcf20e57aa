// The grid model follows its view through every kind of change without
// breaking the model rules, and shows exactly the view's rows.
#include "Collection.h"
#include "CollectionViews.h"
#include "TableModel.h"
#include "TableView.h"

#include <QAbstractItemModelTester>
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
};

QTEST_MAIN(TableModelTest)
#include "tst_tablemodel.moc"
