// Backups changed by someone who made the sums again: what the sums cannot
// show is still found, and nothing in such a backup is let in or waits.
#include "BackupSupport.h"
#include "Collection.h"
#include "CollectionBackup.h"
#include "ErrorOf.h"
#include "FileFaults.h"

#include <QCryptographicHash>
#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include <sqlite3.h>

#include <sys/stat.h>

using namespace kvilbro;
using namespace kvilbro::test;

class HostileBackupTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { pinEnvironment(); }

    // What no backup holds is refused at once: a FIFO instead of a file
    // (opening it would wait for ever), a line longer than any real one (read
    // whole, it would take all memory).
    void verifyRefusesWhatNoBackupHolds_data()
    {
        QTest::addColumn<QString>("change");
        QTest::addColumn<QString>("found");
        QTest::newRow("a FIFO as MANIFEST") << "fifo manifest"
                                            << "MANIFEST is not an ordinary file";
        QTest::newRow("a FIFO as a picture") << "fifo picture"
                                             << "pictures.txt line 1 names no picture of the backup.";
        QTest::newRow("a huge MANIFEST line") << "huge manifest"
                                              << "MANIFEST line 7 is too long.";
        QTest::newRow("a huge pictures.txt line") << "huge list"
                                                  << "pictures.txt line 1 is too long.";
    }
    void verifyRefusesWhatNoBackupHolds()
    {
        QFETCH(QString, change);
        QFETCH(QString, found);
        Collection c;
        withOnePicture(c);
        QTemporaryDir out;
        const QString folder = backup::make(c.path(), out.path(), 10, true, Noon).folder;
        // The sums made again, as anyone can.
        auto listOnly = [&](const QString& dropped) {
            QByteArray manifest;
            for (const QByteArray& line : fileBytes(folder + "/MANIFEST").split('\n')) {
                if (!line.isEmpty() && !line.endsWith("  " + dropped.toUtf8()))
                    manifest += line + '\n';
            }
            writeFile(folder + "/MANIFEST", manifest);
        };
        constexpr qint64 huge = 192 << 20; // sparse: nothing is written
        if (change == "fifo manifest") {
            QFile::remove(folder + "/MANIFEST");
            QCOMPARE(::mkfifo(QFile::encodeName(folder + "/MANIFEST").constData(), 0600), 0);
        } else if (change == "fifo picture") {
            QFile::remove(folder + "/pictures/00001-a.jpg");
            QCOMPARE(::mkfifo(QFile::encodeName(folder + "/pictures/00001-a.jpg").constData(), 0600), 0);
            listOnly("pictures/00001-a.jpg");
        } else if (change == "huge manifest") {
            QVERIFY(QFile::resize(folder + "/MANIFEST", huge));
        } else {
            const QByteArray oldSum =
                QCryptographicHash::hash(fileBytes(folder + "/pictures.txt"), QCryptographicHash::Sha256).toHex();
            QVERIFY(QFile::resize(folder + "/pictures.txt", 0));
            QVERIFY(QFile::resize(folder + "/pictures.txt", huge));
            QFile list(folder + "/pictures.txt");
            QCryptographicHash sum(QCryptographicHash::Sha256);
            QVERIFY(list.open(QIODevice::ReadOnly) && sum.addData(&list));
            writeFile(folder + "/MANIFEST", fileBytes(folder + "/MANIFEST").replace(oldSum, sum.result().toHex()));
        }
        const AddressSpaceLimit limit(64 << 20);
        const QStringList faults = backup::verify(folder);
        QVERIFY2(faults.join('|').contains(found), qPrintable(faults.join('|')));
        QTemporaryDir target;
        QVERIFY(errorOf([&] { backup::restore(folder, target.filePath("ny")); }).contains("damaged"));
        QVERIFY(!QFileInfo::exists(target.filePath("ny")));
    }

    // Sound sums are not enough: each table is checked as the program checks
    // it, and nothing in the backup may lead out of it.
    void verifyChecksWhatTheSumsCannot_data()
    {
        QTest::addColumn<QString>("change");
        QTest::addColumn<QString>("found");
        QTest::newRow("a trigger") << "CREATE TRIGGER t AFTER UPDATE ON stm2manc BEGIN SELECT 1; END"
                                   << "trigger";
        QTest::newRow("a foreign table") << "CREATE TABLE fremmed (x)"
                                         << "fremmed";
        QTest::newRow("an empty file") << "empty"
                                       << "indeholder ikke tabellen stm2manc";
        QTest::newRow("pictures from elsewhere") << "link"
                                                 << "pictures is a link";
    }
    void verifyChecksWhatTheSumsCannot()
    {
        QFETCH(QString, change);
        QFETCH(QString, found);
        Collection c;
        withOnePicture(c);
        QTemporaryDir out, elsewhere;
        const QString folder = backup::make(c.path(), out.path(), 10, true, Noon).folder;
        const QString numbers = folder + "/stm2manc.DB";
        const QByteArray before = QCryptographicHash::hash(fileBytes(numbers), QCryptographicHash::Sha256).toHex();
        if (change == "empty") {
            QVERIFY(QFile::resize(numbers, 0));
        } else if (change == "link") {
            writeFile(elsewhere.filePath("00001-a.jpg"), "a");
            QVERIFY(QDir(folder + "/pictures").removeRecursively());
            QVERIFY(QFile::link(elsewhere.path(), folder + "/pictures"));
        } else {
            sqlite3* db = nullptr;
            sqlite3_open(QFile::encodeName(numbers).constData(), &db);
            QCOMPARE(sqlite3_exec(db, change.toUtf8().constData(), nullptr, nullptr, nullptr), SQLITE_OK);
            sqlite3_close(db);
        }
        const QByteArray after = QCryptographicHash::hash(fileBytes(numbers), QCryptographicHash::Sha256).toHex();
        writeFile(folder + "/MANIFEST", fileBytes(folder + "/MANIFEST").replace(before, after));
        const QStringList faults = backup::verify(folder);
        QVERIFY2(faults.join('|').contains(found), qPrintable(faults.join('|')));
        QTemporaryDir target;
        QVERIFY(errorOf([&] { backup::restore(folder, target.filePath("ny")); }).contains("damaged"));
    }
};

QTEST_MAIN(HostileBackupTest)
#include "tst_hostilebackup.moc"
