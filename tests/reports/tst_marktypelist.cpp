// The mark-type want list over a fixed collection: its pages as text against
// checked-in references for each condition with the shortfall box clear and
// ticked, the edge cases of the filter and the columns, and finding the area.
// Set KVILBRO_UPDATE_GOLDEN=1 to write the references anew after a
// deliberate change, and review the diff.
#include "Collection.h"
#include "Database.h"
#include "ErrorGuard.h"
#include "PageText.h"
#include "PreviewWindow.h"
#include "ReportFixture.h"
#include "ScriptedDialogs.h"
#include "TQuickReport5.h"
#include "TableView.h"

#include <QFile>
#include <QPointer>
#include <QTest>
#include <QTimer>

using namespace kvilbro;
using namespace kvilbro::test;

namespace {

const AreaKey Danmark{"DK", "Danmark"};

// Numbers 1..n of Danmark; every third used, every fourth mint, every fifth unused.
void fill(Collection& c, int numbers)
{
    c.setCollector({"Jens Jensen", "Frimærkevej 1", "8000 Aarhus C", "12 34 56 78", "jens@example.dk", "2026-12-01"});
    c.addArea("DK", "Danmark 1851"); // sorts after "Danmark" and begins with it
    c.addArea("DK", "Danmark");
    c.addArea("AA", "Danmark"); // same description, another country: sorts first
    c.addArea("IS", "Island");
    c.addNumber("AA", "Danmark", 999);
    c.addNumber("DK", "Danmark 1851", 888);
    for (int n = 1; n <= numbers; ++n) {
        c.addNumber("DK", "Danmark", n, n % 7 == 0 ? "a" : "",
                    {n % 4 == 0 ? "x" : "", n % 5 == 0 ? "x" : "", n % 3 == 0 ? "x" : ""});
    }
}

struct List {
    explicit List(int numbers)
    {
        fill(collection, numbers);
        db = std::make_unique<Database>(collection.path());
        list = std::make_unique<TQuickReport5>(*db, dialogs, [this] { return shortfallsOnly; });
        list->report().setToday(QDate(2026, 12, 24));
    }
    PageList pages(Condition condition, const AreaKey& area = Danmark)
    {
        if (!list->prepare(condition, area))
            return PageList();
        return list->report().produce();
    }
    QStringList numbers(Condition condition)
    {
        QStringList out;
        const PageList all = pages(condition);
        for (const PagePtr& page : all.pages())
            out << rowNumbers(*page);
        return out;
    }

    Collection collection;
    std::unique_ptr<Database> db;
    ScriptedDialogs dialogs;
    bool shortfallsOnly = false;
    std::unique_ptr<TQuickReport5> list;
};

} // namespace

class MarkTypeListTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { pinEnvironment(); }

    void pages_data()
    {
        QTest::addColumn<int>("condition");
        QTest::addColumn<bool>("shortfallsOnly");
        QTest::addColumn<QString>("name");
        QTest::newRow("used") << int(Condition::Used) << false << "marktype-used";
        QTest::newRow("used, shortfalls") << int(Condition::Used) << true << "marktype-used-shortfalls";
        QTest::newRow("mint") << int(Condition::Mint) << false << "marktype-mint";
        QTest::newRow("mint, shortfalls") << int(Condition::Mint) << true << "marktype-mint-shortfalls";
        QTest::newRow("unused") << int(Condition::Unused) << false << "marktype-unused";
        QTest::newRow("unused, shortfalls") << int(Condition::Unused) << true << "marktype-unused-shortfalls";
    }
    void pages()
    {
        QFETCH(int, condition);
        QFETCH(QString, name);
        // 80 numbers: two columns on one page, so joins and the column header show.
        List l(80);
        l.shortfallsOnly = QTest::currentDataTag() && QByteArray(QTest::currentDataTag()).contains("shortfalls");
        const QString actual = PageText::dump(l.pages(Condition(condition)));
        compareWithGolden(KVILBRO_GOLDEN_DIR, name, actual);
    }

    void filterAndColumns()
    {
        List l(5);
        l.shortfallsOnly = true;
        // 3 is used: the used list leaves it out; 4 is mint.
        QCOMPARE(l.numbers(Condition::Used), (QStringList{"1", "2", "4", "5"}));
        QCOMPARE(l.numbers(Condition::Mint), (QStringList{"1", "2", "3", "5"}));
        l.shortfallsOnly = false;
        QCOMPARE(l.numbers(Condition::Unused), (QStringList{"1", "2", "3", "4", "5"}));
        // The column header and mark field follow the condition.
        QCOMPARE(l.list->report().definition().element(u"MarkCaption")->caption, QString("*"));
        QCOMPARE(l.list->report().definition().element(u"MarkField")->field, QString("*"));
        QCOMPARE(l.list->report().definition().element(u"Subtitle")->caption, QString("Ubrugte mærker"));
    }

    void everyNumberMarkedGivesOneEmptyPage()
    {
        List l(0);
        for (int n = 1; n <= 3; ++n)
            l.collection.addNumber("DK", "Danmark", n, "", {"", "", "x"});
        l.list->report().numberView().refresh();
        l.shortfallsOnly = true;
        const PageList pages = l.pages(Condition::Used);
        QCOMPARE(pages.count(), 1);
        QVERIFY(rowNumbers(*pages.pages().first()).isEmpty());
        QVERIFY(textsOf(*pages.pages().first()).contains("Nr."));
        // Ticked but none marked in that condition: every number, the mark column blank.
        QCOMPARE(l.numbers(Condition::Mint), (QStringList{"1", "2", "3"}));
    }

    void areaWithoutNumbersGivesNoPage()
    {
        List l(3);
        QCOMPARE(l.pages(Condition::Used, {"IS", "Island"}).count(), 0);
    }

    void moreNumbersThanFiveColumnsGoOn()
    {
        List l(400);
        const PageList pages = l.pages(Condition::Used);
        QVERIFY(pages.count() >= 2);
        const QStringList second = textsOf(*pages.pages()[1]);
        QVERIFY(second.contains("Side nr. "));
        QVERIFY(second.contains("2"));
        QStringList all;
        for (const PagePtr& page : pages.pages())
            all << rowNumbers(*page);
        QCOMPARE(all.size(), 400);
    }

    // "Danmark" must not print "Danmark 1851" (a prefix) nor the Danmark of
    // another country that sorts first: the area is found by both link fields.
    void findsTheAreaByBothLinkFields()
    {
        List l(2);
        QVERIFY(l.list->prepare(Condition::Used, Danmark));
        QCOMPARE(l.list->report().areaView().asText(u"National ID"), QString("DK"));
        QCOMPARE(l.list->report().areaView().asText(u"Beskrivelse"), QString("Danmark"));
        QCOMPARE(l.numbers(Condition::Used), (QStringList{"1", "2"}));
        QVERIFY(!l.list->prepare(Condition::Used, {"DK", "Danm"}));
    }

    // Choosing the mint list while the used list's preview is open: the open
    // preview closes before anything is rebound, so nothing can print the mint
    // list under the used list's screen, and the new preview is the one registered.
    void secondCommandClosesTheOpenPreview()
    {
        List l(5);
        ErrorGuard::setDialogs(&l.dialogs);
        QPointer<PreviewWindow> first;
        bool secondIsAnother = false;
        bool firstClosedBeforeRebinding = false;
        QString captionShown;
        QTimer::singleShot(0, [&] {
            first = l.list->report().previewWindow();
            QVERIFY(first && first->isVisible());
            QObject::connect(first, &PreviewWindow::closed, [&] {
                firstClosedBeforeRebinding = l.list->report().definition().element(u"MarkCaption")->caption == "O";
            });
            QTimer::singleShot(0, [&] {
                PreviewWindow* second = l.list->report().previewWindow();
                QVERIFY(second);
                secondIsAnother = second != first && second->isVisible() && !first->isVisible();
                captionShown = l.list->report().definition().element(u"MarkCaption")->caption;
                second->close();
            });
            l.list->run(Condition::Mint, Danmark);
        });
        l.list->run(Condition::Used, Danmark);
        ErrorGuard::setDialogs(nullptr);
        QVERIFY(secondIsAnother);
        QVERIFY(firstClosedBeforeRebinding);
        QCOMPARE(captionShown, QString("***"));
        QVERIFY(!l.list->report().previewWindow());
        QVERIFY(!l.list->report().isRunning());
    }
};

QTEST_MAIN(MarkTypeListTest)
#include "tst_marktypelist.moc"
