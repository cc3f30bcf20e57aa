// What the program does with the collection around the collector's work: the
// table files alone hold every posted row soon after the work stops, a
// collection that cannot be written is said to be so once, at start, and the
// program can always be ended without losing what can be kept.
#include "MainWindowFixture.h"

#include "StoreMessages.h"
#include "TableView.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>

#include <sqlite3.h>

using namespace kvilbro;
using namespace kvilbro::test;

namespace {

// Rows with `number` in a copy of the three table files alone, without their journals.
int rowsInFilesAlone(const QString& dir, int number)
{
    QTemporaryDir copy;
    for (const char* f : {"stm2frim.db", "stm2manc.DB", "Bruger2.db"})
        QFile::copy(QDir(dir).filePath(f), copy.filePath(f));
    sqlite3* db = nullptr;
    sqlite3_open_v2(QFile::encodeName(copy.filePath("stm2manc.DB")).constData(), &db, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt* stmt = nullptr;
    int count = -1;
    if (sqlite3_prepare_v2(db, "SELECT count(*) FROM stm2manc WHERE Nummer = ?1", -1, &stmt, nullptr) == SQLITE_OK) {
        sqlite3_bind_int(stmt, 1, number);
        if (sqlite3_step(stmt) == SQLITE_ROW)
            count = sqlite3_column_int(stmt, 0);
    }
    sqlite3_finalize(stmt);
    sqlite3_close(db);
    return count;
}

} // namespace

class CollectionStateTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { pinEnvironment(); }

    void postedRowsReachTheFilesWhenIdle()
    {
        MainWindowFixture f(fillSample);
        TableView& numbers = *f.window().Table2;
        numbers.append();
        numbers.setInteger(u"Nummer", 4711);
        numbers.post();
        QTRY_COMPARE_WITH_TIMEOUT(rowsInFilesAlone(f.collection().path(), 4711), 1, 5000);
    }

    // A row that cannot be stored never keeps the program open against the
    // collector's will, nor is it dropped without asking.
    void closingWithAPendingRow_data()
    {
        QTest::addColumn<bool>("storable");
        QTest::addColumn<bool>("closeAnyway");
        QTest::newRow("stored") << true << false;
        QTest::newRow("not storable, stay") << false << false;
        QTest::newRow("not storable, close") << false << true;
    }
    void closingWithAPendingRow()
    {
        QFETCH(bool, storable);
        QFETCH(bool, closeAnyway);
        MainWindowFixture f(fillSample);
        TForm2& w = f.window();
        w.Table2->append();
        w.Table2->setInteger(u"Nummer", 4711);
        if (!storable) {
            // The file is replaced under the program, so the row cannot go in.
            const QString path = f.collection().file("stm2manc.DB");
            f.collection().closeConnections();
            QVERIFY(QFile::copy(path, path + ".ny"));
            QVERIFY(QFile::remove(path));
            QVERIFY(QFile::rename(path + ".ny", path));
            const QString reason =
                storemessages::fileGone(QDir::toNativeSeparators(QFileInfo(path).canonicalFilePath()));
            f.dialogs.answerConfirm("Rækken kan ikke gemmes:\n" + reason + "\n\nLuk uden at gemme den?", closeAnyway);
        }
        const bool closed = w.close();
        QCOMPARE(closed, storable || closeAnyway);
        QCOMPARE(f.dialogs.shownOf("confirm").size(), storable ? 0 : 1);
        QCOMPARE(w.Table2->state(), closed ? TableView::State::Browse : TableView::State::Insert);
        QCOMPARE(f.collection().count("stm2manc", "Nummer = 4711"), storable ? 1 : 0);
    }

    // Logout and shutdown store what is being typed and end the program.
    void terminationStoresThePendingRow()
    {
        MainWindowFixture f(fillSample);
        TForm2& w = f.window();
        w.Table2->edit();
        w.Table2->setText(u"Bemærkning", "skrevet lige før logud");
        ::raise(SIGTERM);
        QTRY_COMPARE(w.Table2->state(), TableView::State::Browse);
        QCOMPARE(f.collection().count("stm2manc", "\"Bemærkning\" = 'skrevet lige før logud'"), 1);
    }

    void readOnlyCollectionIsSaidOnce()
    {
        MainWindowFixture f([](Collection& c) {
            fillSample(c);
            c.closeConnections();
            for (const char* name : {"stm2frim.db", "stm2manc.DB", "Bruger2.db"}) {
                QFile::remove(c.file(name) + "-wal");
                QFile::remove(c.file(name) + "-shm");
                QFile::setPermissions(c.file(name), QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);
            }
        });
        const QStringList said = f.dialogs.messages().filter("skrivebeskyttet");
        QCOMPARE(said.size(), 1);
        QVERIFY(f.window().Table2->recordCount() > 0);
    }
};

QTEST_MAIN(CollectionStateTest)
#include "tst_collectionstate.moc"
