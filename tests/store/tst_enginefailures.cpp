// What the collector is told when the table files cannot be used, and that a
// failed post leaves the table as it was and the row pending.
#include "Collection.h"
#include "Error.h"
#include "MainViews.h"
#include "TableView.h"
#include "ViewTestSupport.h"

#include <QFile>
#include <QTest>

#include <sqlite3.h>

using namespace kvilbro;
using kvilbro::test::Collection;
using kvilbro::test::openError;

namespace {

using Numbers = kvilbro::test::MainViews;

} // namespace

class EngineFailuresTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { test::pinEnvironment(); }

    void openRefusesBadFiles_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("damage");
        QTest::addColumn<QString>("expected");
        for (const char* f : {"stm2frim.db", "stm2manc.DB", "Bruger2.db"}) {
            QTest::addRow("%s missing", f) << f << "remove"
                                           << "findes ikke i mappen";
            QTest::addRow("%s not SQLite", f) << f << "text"
                                              << "er ikke en tabelfil";
        }
        QTest::newRow("a field missing") << "stm2manc.DB"
                                         << "no Type"
                                         << "mangler feltet 'Type'";
        QTest::newRow("a field of the wrong type") << "stm2manc.DB"
                                                   << "text Nummer"
                                                   << "har en forkert type";
        QTest::newRow("another table") << "stm2frim.db"
                                       << "other table"
                                       << "indeholder ikke tabellen stm2frim";
    }

    void openRefusesBadFiles()
    {
        QFETCH(QString, file);
        QFETCH(QString, damage);
        QFETCH(QString, expected);
        Collection c;
        const QString path = c.file(file);
        QFile::remove(path + QStringLiteral("-wal"));
        QFile::remove(path + QStringLiteral("-shm"));
        QVERIFY(QFile::remove(path));
        if (damage != QLatin1String("remove")) {
            if (damage == QLatin1String("text")) {
                QFile f(path);
                QVERIFY(f.open(QIODevice::WriteOnly));
                f.write(QByteArray("Nummer;Type\r\n1;a\r\n").repeated(300));
            } else {
                sqlite3* db = nullptr;
                QCOMPARE(sqlite3_open(QFile::encodeName(path).constData(), &db), SQLITE_OK);
                const char* sql = damage == QLatin1String("no Type")
                                      ? "CREATE TABLE stm2manc (Land TEXT, Stamoplysning TEXT, Nummer INTEGER, "
                                        "\"***\" TEXT, \"*\" TEXT, O TEXT, Billede TEXT, \"Bemærkning\" TEXT, "
                                        "\"Tæller\" INTEGER PRIMARY KEY)"
                                  : damage == QLatin1String("text Nummer")
                                      ? "CREATE TABLE stm2manc (Land TEXT, Stamoplysning TEXT, Nummer TEXT, Type TEXT, "
                                        "\"***\" TEXT, \"*\" TEXT, O TEXT, Billede TEXT, \"Bemærkning\" TEXT, "
                                        "\"Tæller\" INTEGER PRIMARY KEY)"
                                      : "CREATE TABLE areas (x TEXT)";
                QCOMPARE(sqlite3_exec(db, sql, nullptr, nullptr, nullptr), SQLITE_OK);
                sqlite3_close(db);
            }
        }
        const QString message = openError(c.path());
        QVERIFY2(message.contains(expected), qPrintable(message));
        QVERIFY2(message.contains(file), qPrintable(message)); // names the file
    }

    void damagedFileSaysSo()
    {
        Collection c;
        c.addArea(QStringLiteral("DK"), QStringLiteral("Danmark"));
        c.exec(QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 3000) "
                              "INSERT INTO stm2manc (Land, Stamoplysning, Nummer, \"Bemærkning\") "
                              "SELECT 'DK', 'Danmark', i, 'bemærkning ' || i FROM n"));
        c.closeConnections(); // everything written into the file itself
        {
            QFile f(c.file(QStringLiteral("stm2manc.DB")));
            QVERIFY(f.open(QIODevice::ReadWrite));
            QVERIFY(f.size() > 40000);
            // Overwrite everything after the schema page.
            f.seek(4096);
            f.write(QByteArray(int(f.size() - 4096), '\x5a'));
        }
        QString message = openError(c.path());
        if (message.isEmpty()) {
            try {
                Numbers n(c.path());
            } catch (const Error& e) {
                message = e.message();
            }
        }
        QVERIFY2(message.contains(QStringLiteral("beskadiget")) && message.contains(QLatin1String("stm2manc.DB")),
                 qPrintable(message));
    }

    void lockedByAnotherProgram()
    {
        Collection c;
        c.addArea(QStringLiteral("DK"), QStringLiteral("Danmark"));
        c.addNumber(QStringLiteral("DK"), QStringLiteral("Danmark"), 1);
        Numbers n(c.path());
        n.db.setBusyTimeout(50);

        sqlite3* other = nullptr;
        QCOMPARE(sqlite3_open(QFile::encodeName(c.file(QStringLiteral("stm2manc.DB"))).constData(), &other), SQLITE_OK);
        QCOMPARE(sqlite3_exec(other, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);

        n.numbers.append();
        n.numbers.setText(u"Nummer", QStringLiteral("2"));
        QString message;
        try {
            n.numbers.post();
        } catch (const Error& e) {
            message = e.message();
        }
        QVERIFY2(message.contains(QStringLiteral("låst af et andet program")) &&
                     message.contains(QLatin1String("stm2manc.DB")),
                 qPrintable(message));
        QCOMPARE(n.numbers.state(), TableView::State::Insert);
        QCOMPARE(n.numbers.asText(u"Nummer"), QStringLiteral("2"));

        QCOMPARE(sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr), SQLITE_OK);
        sqlite3_close(other);
        n.numbers.post(); // the same row goes in once the other program lets go
        QCOMPARE(c.count(QStringLiteral("stm2manc")), 2);
    }

    void failedPostChangesNothing_data()
    {
        QTest::addColumn<QString>("pragma");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<bool>("insert");
        QTest::newRow("read-only, new row") << "PRAGMA main.query_only=1"
                                            << "er skrivebeskyttet" << true;
        QTest::newRow("read-only, edit") << "PRAGMA main.query_only=1"
                                         << "er skrivebeskyttet" << false;
        QTest::newRow("disk full, new row") << "PRAGMA main.max_page_count=%1"
                                            << "Disken er fuld" << true;
    }

    void failedPostChangesNothing()
    {
        QFETCH(QString, pragma);
        QFETCH(QString, expected);
        QFETCH(bool, insert);
        Collection c;
        c.addArea(QStringLiteral("DK"), QStringLiteral("Danmark"));
        c.addNumber(QStringLiteral("DK"), QStringLiteral("Danmark"), 1, {}, {}, {}, QStringLiteral("kort"));
        Numbers n(c.path());
        const qint64 pages = c.scalar(QStringLiteral("PRAGMA page_count")).toLongLong();
        n.db.exec(TableId::Numbers, pragma.contains(u'%') ? pragma.arg(pages) : pragma);

        if (insert)
            n.numbers.append();
        else
            n.numbers.edit();
        // Enough text to need a new page when it does not fit the file any more.
        const QString remark = QString(50, u'x');
        for (int i = 0; i < 200; ++i) {
            QString message;
            try {
                n.numbers.setText(u"Bemærkning", remark);
                n.numbers.setText(u"Billede", QString(75, QChar(u'a' + i % 26)));
                n.numbers.setText(u"Nummer", QString::number(1000 + i));
                n.numbers.post();
            } catch (const Error& e) {
                message = e.message();
            }
            if (message.isEmpty()) {
                QVERIFY(insert); // only new rows can fill the file
                n.numbers.append();
                continue;
            }
            QVERIFY2(message.contains(expected) && message.contains(QLatin1String("stm2manc.DB")), qPrintable(message));
            QVERIFY(n.numbers.state() != TableView::State::Browse);
            QCOMPARE(n.numbers.asText(u"Bemærkning"), remark);
            n.db.exec(TableId::Numbers, QStringLiteral("PRAGMA main.query_only=0"));
            n.db.exec(TableId::Numbers, QStringLiteral("PRAGMA main.max_page_count=1073741823"));
            const int before = c.count(QStringLiteral("stm2manc"));
            QCOMPARE(c.count(QStringLiteral("stm2manc"), QStringLiteral("Nummer=%1").arg(1000 + i)), 0);
            n.numbers.post(); // nothing was half-written: the same row stores once there is room
            QCOMPARE(c.count(QStringLiteral("stm2manc")), before + (insert ? 1 : 0));
            return;
        }
        QFAIL("the post never failed");
    }
};

QTEST_GUILESS_MAIN(EngineFailuresTest)
#include "tst_enginefailures.moc"
