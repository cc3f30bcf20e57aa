// Each window's three views: the order and link that window works with.
#include "Collection.h"
#include "CollectionViews.h"
#include "Database.h"
#include "Error.h"
#include "TableView.h"

#include <QTest>

using namespace kvilbro;
using namespace kvilbro::test;

class CollectionViewsTest : public QObject {
    Q_OBJECT

private slots:
    void ordersAndLink_data()
    {
        QTest::addColumn<int>("window");
        QTest::addColumn<QStringList>("areaOrder");
        QTest::addColumn<QStringList>("numberOrder");
        const QStringList own{"Tæller"};
        const QStringList byArea{"National ID", "Beskrivelse", "Tæller"};
        const QStringList mainNumbers{"Land", "Stamoplysning", "Nummer", "Type", "Tæller"};
        QTest::newRow("main window") << int(CollectionWindow::MainWindow) << own << mainNumbers;
        QTest::newRow("mark-type list") << int(CollectionWindow::MarkTypeList) << byArea << mainNumbers;
        QTest::newRow("combined list") << int(CollectionWindow::CombinedList) << byArea << mainNumbers;
        QTest::newRow("all-information list") << int(CollectionWindow::AllInformationList) << own << mainNumbers;
        QTest::newRow("picture list") << int(CollectionWindow::PictureList) << own << mainNumbers;
    }
    void ordersAndLink()
    {
        QFETCH(int, window);
        Collection c;
        c.addArea("IS", "Island");
        c.addArea("DK", "Danmark");
        c.addArea("DK", "Dansk Vestindien");
        for (int n : {3, 1, 2})
            c.addNumber("DK", "Danmark", n);
        c.addNumber("DK", "Dansk Vestindien", 9);
        Database db(c.path());
        const CollectionViews views(db, CollectionWindow(window));

        QTEST(views.areas().orderFields(), "areaOrder");
        QTEST(views.numbers().orderFields(), "numberOrder");
        QCOMPARE(views.numbers().master(), &views.areas());
        QCOMPARE(views.areas().objectName(), QStringLiteral("Table1"));
        QCOMPARE(views.numbers().objectName(), QStringLiteral("Table2"));
        QCOMPARE(views.collector().objectName(), QStringLiteral("Table3"));

        // The numbers follow the area by both link fields.
        QVERIFY(views.areas().locate(CollectionViews::areaKeyFields(), {"DK", "Danmark"}, false));
        QStringList numbers;
        for (views.numbers().first(); !views.numbers().eof(); views.numbers().next())
            numbers << views.numbers().asText(u"Nummer");
        QCOMPARE(numbers, (QStringList{"1", "2", "3"}));
    }

    void aFailedOpenLeavesNothingBehind()
    {
        Collection c;
        c.exec("DROP INDEX stm2manc_order"); // nothing can serve the numbers' order now
        Database db(c.path());
        QObject owner;
        QVERIFY_THROWS_EXCEPTION(Error, CollectionViews(db, CollectionWindow::MainWindow, &owner));
        QVERIFY(owner.children().isEmpty());
    }
};

QTEST_MAIN(CollectionViewsTest)
#include "tst_collectionviews.moc"
