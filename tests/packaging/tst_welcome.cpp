// The question a new collector gets on the first start from the desktop.
#include "Collection.h"
#include "WelcomeDialog.h"

#include <QLineEdit>
#include <QTest>

using namespace kvilbro;
using namespace kvilbro::test;

class WelcomeTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { pinEnvironment(); }

    void theDetailsBecomeTheCollectorRow()
    {
        Collection c;
        c.closeConnections();
        WelcomeDialog dialog(c.path());
        QCOMPARE(dialog.windowTitle(), QString("Velkommen til Kvilbro"));
        QTest::keyClicks(dialog.name, "Åse Møller");
        QTest::keyClicks(dialog.address, "  Søvej 3 ");
        QTest::keyClicks(dialog.town, "5000 Odense C");
        QTest::keyClicks(dialog.email, "aase@example.dk");
        // The fields hold no more than the table does.
        QTest::keyClicks(dialog.phone, QString(40, u'9'));
        QCOMPARE(dialog.phone->text().size(), 30);
        QVERIFY(dialog.save());
        QCOMPARE(c.count("Bruger2"), 1);
        QCOMPARE(
            c.scalar("SELECT Brugernavn || '|' || Adresse || '|' || \"By\" || '|' || Email FROM Bruger2").toString(),
            QString("Åse Møller|Søvej 3|5000 Odense C|aase@example.dk"));
        QCOMPARE(c.scalar("SELECT Dato FROM Bruger2").toString(), QDate::currentDate().toString(Qt::ISODate));
        // Asked again (a second run), the row is replaced, never doubled.
        QVERIFY(dialog.save());
        QCOMPARE(c.count("Bruger2"), 1);
    }
};

QTEST_MAIN(WelcomeTest)
#include "tst_welcome.moc"
