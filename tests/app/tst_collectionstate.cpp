// What the program does with the collection around the collector's work: the
// table files alone hold every posted row soon after the work stops, and a
// collection that cannot be written is said to be so once, at start.
#include "MainWindowFixture.h"

#include "TableView.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

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
