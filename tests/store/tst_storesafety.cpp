// The collection stays whole whatever it is handed: a second program on the
// same folder, table files made to run code or damaged, a file replaced
// under the program, a read-only medium, links that must match byte for byte.
#include "Collection.h"
#include "CollectionLock.h"
#include "Error.h"
#include "FileFaults.h"
#include "MainViews.h"
#include "TableView.h"
#include "ViewTestSupport.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTest>

#include <sqlite3.h>
#include <sys/stat.h>

using namespace kvilbro;
using kvilbro::test::Collection;
using kvilbro::test::errorOf;
using kvilbro::test::MainViews;
using kvilbro::test::openError;

namespace {

QByteArray fileHash(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256);
}

} // namespace

class StoreSafetyTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { test::pinEnvironment(); }

    // A second program on the folder is refused at once, also after a file of
    // the folder was opened and closed elsewhere (as a file dialog does).
    void oneWriterPerCollection()
    {
        Collection c;
        c.addArea("DK", "Danmark");
        c.closeConnections();
        QProcess other;
        other.start(KVILBRO_CRASH_POSTER, {c.path()});
        QVERIFY(other.waitForReadyRead(10000));
        {
            QFile dialogPeek(c.file("stm2manc.DB"));
            QVERIFY(dialogPeek.open(QIODevice::ReadOnly));
        }
        const QString message = openError(c.path());
        QVERIFY2(message.contains("allerede åben") && message.contains(QDir(c.path()).canonicalPath()),
                 qPrintable(message));
        other.kill();
        other.waitForFinished();
        // Within one program the folder may be opened twice (the reports' own views).
        MainViews first(c.path());
        MainViews second(c.path());
        QVERIFY(!first.db.isReadOnly() && !second.db.isReadOnly());
    }

    // The lock file names its holder, and deleting it under the holder lets
    // no second writer in.
    void lockFileNamesHolderAndSurvivesDeletion_data()
    {
        QTest::addColumn<bool>("deleted");
        QTest::newRow("named") << false;
        QTest::newRow("deleted") << true;
    }
    void lockFileNamesHolderAndSurvivesDeletion()
    {
        QFETCH(bool, deleted);
        Collection c;
        c.addArea("DK", "Danmark");
        c.closeConnections();
        QProcess other;
        other.start(KVILBRO_CRASH_POSTER, {c.path()});
        QVERIFY(other.waitForReadyRead(10000));
        if (deleted)
            QVERIFY(QFile::remove(c.file(CollectionLock::fileName())));
        const QString message = openError(c.path());
        other.kill();
        other.waitForFinished();
        QVERIFY2(message.contains("allerede åben"), qPrintable(message));
        if (!deleted)
            QVERIFY2(message.contains("crash_poster") && message.contains(QString::number(other.processId())),
                     qPrintable(message));
    }

    // A file refused at open is left as it was: what its journal holds is not
    // moved into it when the connection closes.
    void refusedFileLeftAsItWas()
    {
        Collection c;
        c.addArea("DK", "Danmark");
        c.closeConnections();
        Collection hostile;
        hostile.closeConnections();
        sqlite3* writer = nullptr;
        sqlite3_open(QFile::encodeName(c.file("stm2manc.DB")).constData(), &writer);
        QCOMPARE(sqlite3_exec(writer,
                              "PRAGMA wal_autocheckpoint=0; CREATE TRIGGER t AFTER INSERT ON stm2manc "
                              "BEGIN DELETE FROM stm2manc; END",
                              nullptr, nullptr, nullptr),
                 SQLITE_OK);
        for (const QString f : {"stm2manc.DB", "stm2manc.DB-wal"}) {
            QFile::remove(hostile.file(f));
            QVERIFY(QFile::copy(c.file(f), hostile.file(f)));
        }
        sqlite3_close(writer);
        const QByteArray before = fileHash(hostile.file("stm2manc.DB"));
        QVERIFY(openError(hostile.path()).contains("trigger"));
        QVERIFY(openError(hostile.path(), Database::Access::ReadOnly).contains("trigger"));
        QCOMPARE(fileHash(hostile.file("stm2manc.DB")), before);
    }

    // A lock file that cannot be used stops the program instead of letting it
    // open a writable collection without the lock, or for reading only unasked.
    void unusableLockFileIsAnError()
    {
        Collection c;
        c.closeConnections();
        QFile::remove(c.file(CollectionLock::fileName()));
        QVERIFY(QDir(c.path()).mkdir(CollectionLock::fileName()));
        const QString message = openError(c.path());
        QVERIFY2(message.contains("Låsefilen") && message.contains(CollectionLock::fileName()), qPrintable(message));
    }

    // No room on the disk for the engine's index file at open is said as such;
    // the file is not called damaged.
    void fullDiskAtOpen()
    {
        Collection c;
        c.addArea("DK", "Danmark");
        c.closeConnections();
        QVERIFY(!QFile::exists(c.file("stm2manc.DB-shm")));
        QString message;
        {
            test::FileSizeLimit full(1024);
            message = openError(c.path());
        }
        QVERIFY2(message.contains("Disken er fuld") && !message.contains("beskadiget"), qPrintable(message));
        MainViews afterwards(c.path());
        QCOMPARE(afterwards.areas.recordCount(), 1);
    }

    // A deleted row's id is never given to a new row, in files made before
    // ids counted up for ever too (they are rebuilt once, keeping every row).
    void rowIdsAreNotReused()
    {
        Collection c;
        c.closeConnections();
        const QString path = c.file("stm2manc.DB");
        QVERIFY(QFile::remove(path));
        sqlite3* raw = nullptr;
        QCOMPARE(sqlite3_open(QFile::encodeName(path).constData(), &raw), SQLITE_OK);
        QCOMPARE(sqlite3_exec(raw,
                              "CREATE TABLE stm2manc (Land TEXT, Stamoplysning TEXT, Nummer INTEGER, Type TEXT, "
                              "\"***\" TEXT, \"*\" TEXT, O TEXT, Billede TEXT, \"Bemærkning\" TEXT, "
                              "\"Tæller\" INTEGER PRIMARY KEY);"
                              "CREATE INDEX stm2manc_order ON stm2manc (Land, Stamoplysning, Nummer, Type, \"Tæller\");"
                              "INSERT INTO stm2manc (Land, Stamoplysning, Nummer) VALUES ('DK','Danmark',1),"
                              "('DK','Danmark',2),('DK','Danmark',3);",
                              nullptr, nullptr, nullptr),
                 SQLITE_OK);
        sqlite3_close(raw);
        c.addArea("DK", "Danmark");
        MainViews v(c.path());
        QCOMPARE(v.numbers.recordCount(), 3);
        v.numbers.last();
        QCOMPARE(v.numbers.currentRowId(), 3);
        v.numbers.remove();
        v.numbers.append();
        v.numbers.setInteger(u"Nummer", 4);
        v.numbers.post();
        QCOMPARE(v.numbers.currentRowId(), 4);
        QCOMPARE(c.count("stm2manc"), 3);
    }

    // Files that hold anything that could run, or that are damaged, are
    // refused with the file and the reason named, and are not written to.
    void hostileFilesRefused_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("sql");
        QTest::addColumn<QString>("expected");
        QTest::newRow("trigger") << "stm2manc.DB"
                                 << "CREATE TRIGGER wipe AFTER UPDATE ON stm2manc BEGIN DELETE FROM stm2manc; END"
                                 << "udløseren (trigger) wipe";
        QTest::newRow("recursive trigger")
            << "stm2frim.db"
            << "CREATE TRIGGER again AFTER INSERT ON stm2frim BEGIN INSERT INTO stm2frim (Beskrivelse) VALUES "
               "(new.Beskrivelse); END"
            << "udløseren (trigger) again";
        QTest::newRow("view") << "Bruger2.db"
                              << "CREATE VIEW everything AS SELECT * FROM Bruger2"
                              << "visningen (view) everything";
        QTest::newRow("virtual table") << "stm2manc.DB"
                                       << "CREATE VIRTUAL TABLE words USING fts5(x)"
                                       << "words";
        QTest::newRow("case-blind link") << "stm2frim.db"
                                         << "DROP TABLE stm2frim; CREATE TABLE stm2frim (\"National ID\" TEXT, "
                                            "Beskrivelse TEXT COLLATE NOCASE, \"Tæller\" INTEGER PRIMARY KEY "
                                            "AUTOINCREMENT)"
                                         << "sammenligner feltet 'Beskrivelse' med NOCASE";
        QTest::newRow("unique index that skips rows") << "stm2manc.DB"
                                                      << "CREATE UNIQUE INDEX one ON stm2manc (Nummer)"
                                                      << "unikke indeks one";
        QTest::newRow("zero length") << "stm2manc.DB"
                                     << ""
                                     << "indeholder ikke tabellen stm2manc";
    }
    void hostileFilesRefused()
    {
        QFETCH(QString, file);
        QFETCH(QString, sql);
        QFETCH(QString, expected);
        Collection c;
        c.addArea("DK", "Danmark");
        c.addNumber("DK", "Danmark", 1);
        const QString path = c.file(file);
        if (sql.isEmpty()) {
            c.closeConnections();
            QFile::remove(path + "-wal");
            QFile::remove(path + "-shm");
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        } else {
            c.exec(QString(sql).replace("stm2manc", file == "stm2manc.DB" ? "stm2manc" : "stm2manc"));
        }
        c.closeConnections();
        const QByteArray before = fileHash(path);
        const QString message = openError(c.path());
        QVERIFY2(message.contains(expected) && message.contains(file), qPrintable(message));
        QCOMPARE(fileHash(path), before);
        if (sql.isEmpty())
            QVERIFY(!QFile::exists(path + "-wal"));
    }

    void damagedPagesRefused()
    {
        Collection c;
        c.addArea("DK", "Danmark");
        c.exec("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 3000) "
               "INSERT INTO stm2manc (Land, Stamoplysning, Nummer, \"Bemærkning\") "
               "SELECT 'DK', 'Danmark', i, 'bemærkning ' || i FROM n");
        c.closeConnections();
        {
            QFile f(c.file("stm2manc.DB"));
            QVERIFY(f.open(QIODevice::ReadWrite));
            // One page in the middle of the table, the rest sound.
            f.seek(f.size() / 2 / 4096 * 4096 + 100);
            f.write(QByteArray(800, '\x5a'));
        }
        const QString message = openError(c.path());
        QVERIFY2(message.contains("beskadiget") && message.contains("stm2manc.DB"), qPrintable(message));
    }

    // An insert the file's rules silently skip is reported, not taken for stored.
    void postChecksItsRow()
    {
        Collection c;
        c.addArea("DK", "Danmark");
        c.addNumber("DK", "Danmark", 1);
        MainViews v(c.path());
        // Another connection gives the table a rule that drops rows without a number.
        c.exec("CREATE TABLE t2 AS SELECT * FROM stm2manc; DROP TABLE stm2manc; "
               "CREATE TABLE stm2manc (Land TEXT, Stamoplysning TEXT, Nummer INTEGER NOT NULL ON CONFLICT IGNORE, "
               "Type TEXT, \"***\" TEXT, \"*\" TEXT, O TEXT, Billede TEXT, \"Bemærkning\" TEXT, "
               "\"Tæller\" INTEGER PRIMARY KEY AUTOINCREMENT); INSERT INTO stm2manc SELECT * FROM t2; DROP TABLE t2");
        v.numbers.append();
        v.numbers.setText(u"Bemærkning", "uden nummer");
        const QString message = errorOf([&] { v.numbers.post(); });
        QVERIFY2(message.contains("blev ikke gemt"), qPrintable(message));
        QCOMPARE(v.numbers.state(), TableView::State::Insert);
    }

    void noOrphansNoTwins()
    {
        Collection c;
        {
            MainViews empty(c.path());
            const QString message = errorOf([&] { empty.numbers.append(); });
            QVERIFY2(message.contains("intet samleområde"), qPrintable(message));
        }
        c.addArea("DK", "Danmark");
        c.addNumber("DK", "Danmark", 1);
        MainViews v(c.path());
        v.areas.append();
        v.areas.setText(u"National ID", "DK");
        v.areas.setText(u"Beskrivelse", "Danmark");
        const QString message = errorOf([&] { v.areas.post(); });
        QVERIFY2(message.contains("findes allerede et samleområde"), qPrintable(message));
        v.areas.setText(u"Beskrivelse", "Danmark II");
        v.areas.post();
        QCOMPARE(c.count("stm2frim"), 2);
    }

    // A file deleted or replaced under the program takes no more writes.
    void fileReplacedUnderTheProgram()
    {
        Collection c;
        c.addArea("DK", "Danmark");
        c.addNumber("DK", "Danmark", 1);
        c.closeConnections();
        MainViews v(c.path());
        const QString path = c.file("stm2manc.DB");
        QVERIFY(QFile::copy(path, path + ".copy"));
        QVERIFY(QFile::remove(path));
        QVERIFY(QFile::rename(path + ".copy", path));
        v.numbers.append();
        v.numbers.setInteger(u"Nummer", 2);
        const QString message = errorOf([&] { v.numbers.post(); });
        QVERIFY2(message.contains("slettet eller erstattet"), qPrintable(message));
    }

    // Files without write permission open for viewing; nothing is written.
    void readOnlyCollection()
    {
        Collection c;
        c.addArea("DK", "Danmark");
        c.addNumber("DK", "Danmark", 7);
        c.closeConnections();
        for (const char* f : {"stm2frim.db", "stm2manc.DB", "Bruger2.db"}) {
            QFile::remove(c.file(f) + "-wal");
            QFile::remove(c.file(f) + "-shm");
            QVERIFY(QFile::setPermissions(c.file(f), QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
        }
        const QByteArray before = fileHash(c.file("stm2manc.DB"));
        {
            MainViews v(c.path());
            QVERIFY(v.db.isReadOnly());
            QCOMPARE(v.numbers.asText(u"Nummer"), QString("7"));
            for (const auto& write : std::initializer_list<std::function<void()>>{
                     [&] { v.numbers.edit(); }, [&] { v.numbers.append(); }, [&] { v.numbers.remove(); }}) {
                const QString message = errorOf(write);
                QVERIFY2(message.contains("kun åben til læsning"), qPrintable(message));
            }
            QCOMPARE(v.numbers.state(), TableView::State::Browse);
        }
        QCOMPARE(fileHash(c.file("stm2manc.DB")), before);
        QVERIFY(!QFile::exists(c.file("stm2manc.DB-wal")));
    }

    // A reader that asks only to read leaves a writable folder exactly as it
    // was (no lock file, no journals), and reads beside a program that writes.
    void readOnlyAccessWritesNothing()
    {
        Collection c;
        c.addArea("DK", "Danmark");
        c.addNumber("DK", "Danmark", 7);
        c.closeConnections();
        const QStringList before = QDir(c.path()).entryList(QDir::Files | QDir::Hidden);
        const QByteArray numbersBefore = fileHash(c.file("stm2manc.DB"));
        {
            MainViews v(c.path(), Database::Access::ReadOnly);
            QVERIFY(v.db.isReadOnly());
            QCOMPARE(v.numbers.asText(u"Nummer"), QString("7"));
            QVERIFY(errorOf([&] { v.numbers.edit(); }).contains("kun åben til læsning"));
        }
        // The engine's journal files, made while it read, go with the last reader.
        QCOMPARE(QDir(c.path()).entryList(QDir::Files | QDir::Hidden), before);
        QCOMPARE(fileHash(c.file("stm2manc.DB")), numbersBefore);

        QProcess writer;
        writer.start(KVILBRO_CRASH_POSTER, {c.path()});
        QVERIFY(writer.waitForReadyRead(10000));
        QVERIFY(writer.waitForReadyRead(10000));
        qint64 seen = 0;
        {
            Database reader(c.path(), Database::Access::ReadOnly);
            QVERIFY(reader.isReadOnly());
            Statement count = reader.prepare(TableId::Numbers, "SELECT count(*) FROM main.stm2manc");
            QVERIFY(count.step());
            seen = count.columnInt(0);
        }
        writer.kill();
        writer.waitForFinished();
        QVERIFY2(seen >= 2, qPrintable(QString::number(seen)));
    }

    // Rows another program has in one file's journal are read, even when the
    // other files have no journal open.
    void readOnlyReadsTheJournalOfOneFile()
    {
        Collection c;
        c.addArea("DK", "Danmark");
        c.addNumber("DK", "Danmark", 7); // stays in the journal: the connection is kept
        QVERIFY(QFile::exists(c.file("stm2manc.DB-shm")) && !QFile::exists(c.file("Bruger2.db-shm")));
        MainViews v(c.path(), Database::Access::ReadOnly);
        QCOMPARE(v.numbers.asText(u"Nummer"), QString("7"));
    }

    // A reader that only reads beside other programs: it waits for, then
    // refuses, a file another program is in the middle of writing with a
    // rollback journal; reads the changes a journal without its index holds;
    // and makes nothing beside a stale index file.
    void readOnlyReaderHonoursOtherWriters()
    {
        const auto numbersCount = [](const QString& dir) {
            Database reader(dir, Database::Access::ReadOnly);
            Statement count = reader.prepare(TableId::Numbers, "SELECT count(*) FROM main.stm2manc");
            return count.step() ? count.columnInt(0) : -1;
        };
        const auto raw = [](const QString& path) {
            sqlite3* db = nullptr;
            sqlite3_open(QFile::encodeName(path).constData(), &db);
            return db;
        };
        {
            Collection c;
            c.addArea("DK", "Danmark");
            for (int n = 1; n <= 300; ++n)
                c.addNumber("DK", "Danmark", n, {}, {}, {}, QString(40, u'x'));
            c.closeConnections();
            sqlite3* writer = raw(c.file("stm2manc.DB"));
            QCOMPARE(sqlite3_exec(writer,
                                  "PRAGMA journal_mode=DELETE; PRAGMA cache_size=2; BEGIN; "
                                  "UPDATE stm2manc SET \"O\" = 'O', \"Bemærkning\" = 'ikke gemt'",
                                  nullptr, nullptr, nullptr),
                     SQLITE_OK);
            const QString message = openError(c.path(), Database::Access::ReadOnly);
            sqlite3_exec(writer, "ROLLBACK", nullptr, nullptr, nullptr);
            sqlite3_close(writer);
            QVERIFY2(message.contains("låst af et andet program"), qPrintable(message));
        }
        {
            Collection c;
            c.addArea("DK", "Danmark");
            c.closeConnections();
            Collection copy;
            copy.closeConnections();
            sqlite3* writer = raw(c.file("stm2manc.DB"));
            QCOMPARE(sqlite3_exec(writer,
                                  "PRAGMA wal_autocheckpoint=0; INSERT INTO stm2manc (\"Land\", \"Nummer\") "
                                  "VALUES ('DK', 1)",
                                  nullptr, nullptr, nullptr),
                     SQLITE_OK);
            for (const QString f : {"stm2manc.DB", "stm2manc.DB-wal"}) {
                QFile::remove(copy.file(f));
                QVERIFY(QFile::copy(c.file(f), copy.file(f)));
            }
            sqlite3_close(writer);
            QVERIFY(!QFile::exists(copy.file("stm2manc.DB-shm")));
            QCOMPARE(numbersCount(copy.path()), 1);
        }
        {
            Collection c;
            c.closeConnections();
            QFile stale(c.file("stm2manc.DB-shm"));
            QVERIFY(stale.open(QIODevice::WriteOnly));
            stale.write(QByteArray(32768, '\0'));
            stale.close();
            const QStringList before = QDir(c.path()).entryList(QDir::Files | QDir::Hidden);
            QCOMPARE(numbersCount(c.path()), 0);
            // Nothing is left beside it; the stale index may go with the reader.
            const QStringList after = QDir(c.path()).entryList(QDir::Files | QDir::Hidden);
            for (const QString& name : after)
                QVERIFY2(before.contains(name), qPrintable(name));
        }
    }

    // A reader opened while nobody wrote reads the collection as it is after a
    // writer started, committed and moved its journal into the file under it,
    // and finds the file sound; after it, the folder is as it was.
    void readerBesideALaterWriter()
    {
        Collection c;
        c.addArea("DK", "Danmark");
        for (int n = 1; n <= 200; ++n)
            c.addNumber("DK", "Danmark", n, {}, {}, {}, QString(40, u'x'));
        c.closeConnections();
        QVERIFY(!QFile::exists(c.file("stm2manc.DB-wal")));
        {
            Database reader(c.path(), Database::Access::ReadOnly);
            const auto count = [&] {
                Statement s = reader.prepare(TableId::Numbers, "SELECT count(*), sum(length(\"Bemærkning\")) "
                                                               "FROM main.stm2manc");
                return s.step() ? s.columnInt(0) * 1000000 + s.columnInt(1) : -1;
            };
            QCOMPARE(count(), 200 * 1000000LL + 200 * 40);
            {
                Database writer(c.path());
                writer.exec(TableId::Numbers,
                            "WITH RECURSIVE n(i) AS (SELECT 201 UNION ALL SELECT i + 1 FROM n WHERE i < 3200) "
                            "INSERT INTO main.stm2manc (\"Land\", \"Nummer\", \"Bemærkning\") "
                            "SELECT 'DK', i, printf('%.40c', 'y') FROM n");
                writer.exec(TableId::Numbers, "DELETE FROM main.stm2manc WHERE \"Nummer\" <= 100");
                writer.checkpoint();
            }
            QCOMPARE(count(), 3100 * 1000000LL + 3100 * 40);
            Statement check = reader.prepare(TableId::Numbers, "PRAGMA main.quick_check");
            QVERIFY(check.step());
            QCOMPARE(check.columnText(0), QString("ok"));
        }
        const QStringList after = QDir(c.path()).entryList(QDir::Files | QDir::Hidden);
        QVERIFY2(after.filter("-wal").isEmpty() && after.filter("-shm").isEmpty(), qPrintable(after.join(' ')));
    }

    // The three table files alone hold every posted row once the program is idle.
    void checkpointLeavesNothingInTheJournal()
    {
        Collection c;
        c.addArea("DK", "Danmark");
        c.closeConnections();
        MainViews v(c.path());
        v.numbers.append();
        v.numbers.setInteger(u"Nummer", 5);
        v.numbers.post();
        v.db.checkpoint();
        QTemporaryDir copy;
        for (const char* f : {"stm2frim.db", "stm2manc.DB", "Bruger2.db"})
            QVERIFY(QFile::copy(c.file(f), copy.filePath(f)));
        MainViews fromCopy(copy.path());
        QCOMPARE(fromCopy.numbers.recordCount(), 1);
    }
};

QTEST_GUILESS_MAIN(StoreSafetyTest)
#include "tst_storesafety.moc"
