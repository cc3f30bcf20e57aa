// Backups the collector can trust: a consistent copy while another connection
// writes, sums and tables checked, damage found, restore only into an empty
// folder with picture paths pointed at the restored copies, and rotation.
#include "BackupCommands.h"
#include "BackupSupport.h"
#include "Collection.h"
#include "CollectionBackup.h"
#include "Error.h"
#include "ErrorOf.h"
#include "FileFaults.h"
#include "ToolRun.h"
#include "WorkFolder.h"

#include <QCryptographicHash>
#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include <sqlite3.h>

#include <unistd.h>

using namespace kvilbro;
using namespace kvilbro::test;

class BackupTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { pinEnvironment(); }

    void backupVerifyAndRestore()
    {
        Collection c;
        c.addArea("DK", "Danmark");
        QDir(c.path()).mkdir("billeder");
        writeFile(c.path() + "/billeder/714.jpg", "jpeg 714");
        c.addNumber("DK", "Danmark", 714, {}, {}, c.path() + "/billeder/714.jpg");
        c.addNumber("DK", "Danmark", 714, "Ch", {}, c.path() + "/billeder/714.jpg"); // the same file
        c.addNumber("DK", "Danmark", 715, {}, {}, c.path() + "/billeder/væk.jpg");   // gone
        c.closeConnections();
        QTemporaryDir out;

        const backup::Made made = backup::make(c.path(), out.filePath("kopier"), 10, true, Noon);
        QCOMPARE(QFileInfo(made.folder).fileName(), QString("kvilbro-backup-2026-12-10-120000"));
        QCOMPARE(made.pictures, 1);
        QCOMPARE(made.missingPictures, QStringList{c.path() + "/billeder/væk.jpg"});
        QCOMPARE(QDir(made.folder + "/pictures").entryList(QDir::Files), QStringList{"00001-714.jpg"});
        QVERIFY(backup::verify(made.folder).isEmpty());
        // The manifest is sha256sum's own format.
        const QList<QByteArray> lines = fileBytes(made.folder + "/MANIFEST").split('\n');
        QCOMPARE(lines.size(), 7); // three tables, the origin, the list, one picture, and the end
        QVERIFY(lines[5].endsWith("  pictures/00001-714.jpg"));
        for (const QByteArray& line : lines.mid(0, 6))
            QCOMPARE(line.indexOf("  "), 64);
        // Nothing beside the copies: no journal, no temporary folder.
        QCOMPARE(QDir(made.folder).entryList(QDir::Files),
                 (QStringList{"Bruger2.db", "MANIFEST", "ORIGIN", "pictures.txt", "stm2frim.db", "stm2manc.DB"}));
        QCOMPARE(QDir(out.filePath("kopier")).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden).size(),
                 1);

        const QString restoredDir = out.filePath("igen");
        const backup::Restored restored = backup::restore(made.folder, restoredDir);
        QCOMPARE(restored.rewritten, 2);
        QVERIFY(restored.kept.isEmpty());
        QCOMPARE(numbersIn(restoredDir), 3);
        const QStringList paths = picturesIn(restoredDir);
        const QString copy = restoredDir + "/billeder/00001-714.jpg";
        QCOMPARE(paths, (QStringList{copy, copy, c.path() + "/billeder/væk.jpg"}));
        QCOMPARE(fileBytes(copy), QByteArray("jpeg 714"));
    }

    void aCopyIsOneMomentWhileAnotherConnectionWrites()
    {
        Collection c;
        c.addArea("DK", "Danmark");
        for (int n = 1; n <= 100; ++n)
            c.addNumber("DK", "Danmark", n);
        sqlite3* writer = nullptr;
        sqlite3_open(QFile::encodeName(c.file("stm2manc.DB")).constData(), &writer);
        sqlite3_exec(writer, "PRAGMA journal_mode=WAL; BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
        for (int n = 101; n <= 1100; ++n)
            sqlite3_exec(writer,
                         QString("INSERT INTO stm2manc (Land, Stamoplysning, Nummer) VALUES ('DK', 'Danmark', %1)")
                             .arg(n)
                             .toUtf8()
                             .constData(),
                         nullptr, nullptr, nullptr);
        QTemporaryDir out;
        // The writer holds its transaction open: the backup neither waits nor sees it.
        const backup::Made made = backup::make(c.path(), out.path(), 10, false, Noon);
        sqlite3_exec(writer, "COMMIT", nullptr, nullptr, nullptr);
        sqlite3_close(writer);
        QCOMPARE(numbersIn(made.folder), 100);
        QVERIFY(backup::verify(made.folder).isEmpty());
        const backup::Made later = backup::make(c.path(), out.path(), 10, false, Noon.addSecs(1));
        QCOMPARE(numbersIn(later.folder), 1100);
    }

    void verifyFindsDamage_data()
    {
        QTest::addColumn<QString>("damage");
        QTest::addColumn<QString>("found");
        QTest::newRow("a byte changed") << "flip"
                                        << "stm2manc.DB has changed since the backup was made.";
        QTest::newRow("a table gone") << "remove"
                                      << "Bruger2.db is missing.";
        QTest::newRow("a file added") << "add"
                                      << "extra.db is not in the MANIFEST.";
        QTest::newRow("a path out of the folder") << "escape"
                                                  << "MANIFEST line 1 is not a sum and a file of the backup.";
        QTest::newRow("no manifest") << "nomanifest"
                                     << "MANIFEST";
    }
    void verifyFindsDamage()
    {
        QFETCH(QString, damage);
        QFETCH(QString, found);
        Collection c;
        c.addArea("DK", "Danmark");
        c.addNumber("DK", "Danmark", 1);
        c.closeConnections();
        QTemporaryDir out;
        const QString folder = backup::make(c.path(), out.path(), 10, false, Noon).folder;
        if (damage == "flip") {
            QByteArray bytes = fileBytes(folder + "/stm2manc.DB");
            bytes[bytes.size() - 10] = char(bytes[bytes.size() - 10] ^ 0x55);
            writeFile(folder + "/stm2manc.DB", bytes);
        } else if (damage == "remove") {
            QFile::remove(folder + "/Bruger2.db");
        } else if (damage == "add") {
            writeFile(folder + "/extra.db", "x");
        } else if (damage == "escape") {
            QByteArray manifest = fileBytes(folder + "/MANIFEST");
            manifest.prepend(QByteArray(64, 'a') + "  ../../etc/passwd\n");
            writeFile(folder + "/MANIFEST", manifest);
        } else {
            QFile::remove(folder + "/MANIFEST");
        }
        const QStringList faults = backup::verify(folder);
        QVERIFY2(faults.join('|').contains(found), qPrintable(faults.join('|')));
        // A damaged backup is never restored.
        QTemporaryDir target;
        QVERIFY(errorOf([&] { backup::restore(folder, target.filePath("ny")); }).contains("damaged"));
        QVERIFY(!QFileInfo::exists(target.filePath("ny")));
    }

    void restoreOnlyIntoAnEmptyFolder()
    {
        Collection c;
        c.addArea("DK", "Danmark");
        c.closeConnections();
        QTemporaryDir out;
        const QString folder = backup::make(c.path(), out.path(), 10, false, Noon).folder;
        // Over a collection: refused, and the collection is as it was.
        const QByteArray before = fileBytes(c.file("stm2frim.db"));
        QVERIFY(errorOf([&] { backup::restore(folder, c.path()); }).contains("never over a collection"));
        QCOMPARE(fileBytes(c.file("stm2frim.db")), before);
        // Into a folder with anything else in it: refused.
        QTemporaryDir other;
        writeFile(other.filePath("noter.txt"), "mine");
        QVERIFY(errorOf([&] { backup::restore(folder, other.path()); }).contains("not an empty folder"));
        QCOMPARE(QDir(other.path()).entryList(QDir::Files), QStringList{"noter.txt"});
        // Into an empty one: done.
        QTemporaryDir empty;
        backup::restore(folder, empty.path());
        QCOMPARE(numbersIn(empty.path()), 0);
    }

    void aRestoredPathTooLongKeepsTheOldOne()
    {
        Collection c;
        withOnePicture(c);
        QTemporaryDir out;
        const QString folder = backup::make(c.path(), out.path(), 10, true, Noon).folder;
        const QString deep = out.filePath(QString(80, u'd'));
        const backup::Restored restored = backup::restore(folder, deep);
        QCOMPARE(restored.rewritten, 0);
        QCOMPARE(restored.kept, QStringList{c.path() + "/a.jpg"});
        QVERIFY(QFileInfo::exists(deep + "/billeder/00001-a.jpg"));
    }

    // A picture whose old path is another's restored path: each row is
    // rewritten from the path it had, never from a path just written.
    void restoreRewritesEachPathFromItsOriginal()
    {
        Collection c;
        c.addArea("DK", "Danmark");
        const QString target = c.path() + "/b";
        QDir(c.path()).mkpath("a");
        QDir(c.path()).mkpath("b/billeder");
        writeFile(c.path() + "/a/a.jpg", "first");
        writeFile(target + "/billeder/00001-a.jpg", "second");
        c.addNumber("DK", "Danmark", 1, {}, {}, c.path() + "/a/a.jpg");
        c.addNumber("DK", "Danmark", 2, {}, {}, target + "/billeder/00001-a.jpg");
        c.closeConnections();
        QTemporaryDir out;
        const QString folder = backup::make(c.path(), out.path(), 10, true, Noon).folder;
        QVERIFY(QDir(target).removeRecursively());
        const backup::Restored restored = backup::restore(folder, target);
        QCOMPARE(restored.rewritten, 2);
        QCOMPARE(picturesIn(target),
                 (QStringList{target + "/billeder/00001-a.jpg", target + "/billeder/00002-00001-a.jpg"}));
        QCOMPARE(fileBytes(target + "/billeder/00001-a.jpg"), QByteArray("first"));
    }

    void theNewestAreKept()
    {
        Collection c;
        c.addArea("DK", "Danmark");
        c.closeConnections();
        QTemporaryDir out;
        QDir(out.path()).mkdir("mine egne");
        QStringList made;
        for (int day = 0; day < 4; ++day)
            made << backup::make(c.path(), out.path(), 2, false, Noon.addDays(day)).folder;
        QCOMPARE(backup::list(out.path()), made.mid(2));
        QVERIFY(QFileInfo::exists(out.filePath("mine egne")));
        QVERIFY(backup::madeOn(out.path(), Noon.date().addDays(3)));
        QVERIFY(!backup::madeOn(out.path(), Noon.date()));
        // Two in the same second get their own names.
        const QString again = backup::make(c.path(), out.path(), 10, false, Noon.addDays(3)).folder;
        QCOMPARE(QFileInfo(again).fileName(), QString("kvilbro-backup-2026-12-13-120000-2"));
    }

    // An entry named like a backup that is a link is no backup: rotation
    // never follows it, and what it points at stays.
    void rotationNeverFollowsALink()
    {
        Collection c;
        c.addArea("DK", "Danmark");
        c.closeConnections();
        QTemporaryDir out, elsewhere;
        writeFile(elsewhere.filePath("MANIFEST"), "mine");
        writeFile(elsewhere.filePath("noter.txt"), "mine");
        const QString link = out.filePath("kvilbro-backup-2020-01-01-000000");
        QVERIFY(QFile::link(elsewhere.path(), link));
        const backup::Made made = backup::make(c.path(), out.path(), 1, false, Noon);
        QVERIFY(made.removed.isEmpty());
        QCOMPARE(backup::list(out.path()), QStringList{made.folder});
        QCOMPARE(fileBytes(elsewhere.filePath("noter.txt")), QByteArray("mine"));
        QVERIFY(QFileInfo(link).isSymLink());
    }

    // Rotation removes only backups of its own kind from its own collection.
    void rotationKeepsOthersBackups()
    {
        Collection c, other;
        for (Collection* each : {&c, &other}) {
            each->addArea("DK", "Danmark");
            each->closeConnections();
        }
        QTemporaryDir out;
        const QString mine = backup::make(c.path(), out.path(), 1, true, Noon).folder;
        const QString theirs = backup::make(other.path(), out.path(), 1, false, Noon.addSecs(1)).folder;
        // One made before backups said where they came from.
        const QString old = backup::make(c.path(), out.path(), 10, false, Noon.addSecs(2)).folder;
        QVERIFY(QFile::remove(old + "/ORIGIN"));
        QByteArray manifest = fileBytes(old + "/MANIFEST");
        manifest.remove(manifest.indexOf("  ORIGIN\n") - 64, 64 + 9);
        writeFile(old + "/MANIFEST", manifest);
        QVERIFY(backup::verify(old).isEmpty());
        QStringList daily;
        for (int day = 1; day <= 3; ++day)
            daily << backup::make(c.path(), out.path(), 2, false, Noon.addDays(day), backup::Maker::Daily).folder;
        QCOMPARE(backup::list(out.path()), (QStringList{mine, theirs, old, daily[1], daily[2]}));
        const backup::Made latest = backup::make(c.path(), out.path(), 1, false, Noon.addDays(4));
        QCOMPARE(latest.removed, QStringList{mine});
        QCOMPARE(backup::list(out.path()), (QStringList{theirs, old, daily[1], daily[2], latest.folder}));
        QVERIFY(fileBytes(latest.folder + "/MANIFEST").contains("  ORIGIN\n"));
        QVERIFY(fileBytes(latest.folder + "/ORIGIN").contains("made-by backup\n"));
        QVERIFY(fileBytes(daily[2] + "/ORIGIN").contains("made-by daily\n"));
    }

    // A name that would break a line of the lists is not copied: the backup
    // made is one that verifies and restores.
    void aPictureNameWithAControlCharacterIsNotCopied()
    {
        Collection c;
        c.addArea("DK", "Danmark");
        const QStringList names{c.path() + "/a\nb.jpg", c.path() + "/c\td.jpg", c.path() + "/e.jpg"};
        for (int n = 0; n < names.size(); ++n) {
            writeFile(names[n], "jpeg");
            c.addNumber("DK", "Danmark", n + 1, {}, {}, names[n]);
        }
        c.closeConnections();
        QTemporaryDir out;
        const backup::Made made = backup::make(c.path(), out.path(), 10, true, Noon);
        QCOMPARE(made.pictures, 1);
        QCOMPARE(made.missingPictures, names.mid(0, 2));
        QVERIFY(backup::verify(made.folder).isEmpty());
        const backup::Restored restored = backup::restore(made.folder, out.filePath("igen"));
        QCOMPARE(restored.rewritten, 1);
        QCOMPARE(picturesIn(out.filePath("igen")), (names.mid(0, 2) << out.filePath("igen") + "/billeder/00001-e.jpg"));
    }

    // The last line counts without its line feed, as sha256sum -c reads it.
    void aLastLineWithoutALineFeedCounts()
    {
        Collection c;
        withOnePicture(c);
        QTemporaryDir out;
        const QString folder = backup::make(c.path(), out.path(), 10, true, Noon).folder;
        QByteArray list = fileBytes(folder + "/pictures.txt");
        QByteArray manifest = fileBytes(folder + "/MANIFEST");
        QVERIFY(list.endsWith('\n') && manifest.endsWith('\n'));
        const QByteArray oldSum = QCryptographicHash::hash(list, QCryptographicHash::Sha256).toHex();
        list.chop(1);
        writeFile(folder + "/pictures.txt", list);
        manifest.replace(oldSum, QCryptographicHash::hash(list, QCryptographicHash::Sha256).toHex());
        manifest.chop(1);
        writeFile(folder + "/MANIFEST", manifest);
        QCOMPARE(backup::verify(folder), QStringList());
        const backup::Restored restored = backup::restore(folder, out.filePath("igen"));
        QCOMPARE(restored.rewritten, 1);
    }

    // A work folder left by a kill goes with the next run; one still in use stays.
    void workFoldersLeftByAKillAreRemoved()
    {
        Collection c;
        c.addArea("DK", "Danmark");
        c.closeConnections();
        QTemporaryDir out, parent;
        auto leaveBehind = [](const QString& folder) {
            QDir().mkpath(folder);
            writeFile(folder + "/" + WorkFolder::lockFileName(), "");
            writeFile(folder + "/stm2manc.DB", "half");
        };
        leaveBehind(out.filePath(".kvilbro-backup-gammel"));
        leaveBehind(parent.filePath(".kvilbro-restore-gammel"));
        const WorkFolder busyBackup(out.path(), ".kvilbro-backup-");
        const WorkFolder busyRestore(parent.path(), ".kvilbro-restore-");
        const QString folder = backup::make(c.path(), out.path(), 10, false, Noon).folder;
        backup::restore(folder, parent.filePath("igen"));
        QVERIFY(!QFileInfo::exists(out.filePath(".kvilbro-backup-gammel")));
        QVERIFY(!QFileInfo::exists(parent.filePath(".kvilbro-restore-gammel")));
        QVERIFY(QFileInfo::exists(busyBackup.path()));
        QVERIFY(QFileInfo::exists(busyRestore.path()));
    }

    // Damaged pictures alone keep the tables restorable, when asked for.
    void theTablesAloneWhenOnlyPicturesAreDamaged()
    {
        Collection c;
        withOnePicture(c);
        QTemporaryDir out;
        const QString folder = backup::make(c.path(), out.path(), 10, true, Noon).folder;
        writeFile(folder + "/pictures/00001-a.jpg", "b");
        QVERIFY(errorOf([&] { backup::restore(folder, out.filePath("igen")); }).contains("restore --tables-only"));
        const backup::Restored restored = backup::restore(folder, out.filePath("igen"), true);
        QVERIFY(!restored.withPictures);
        QCOMPARE(picturesIn(out.filePath("igen")), QStringList{c.path() + "/a.jpg"});
        QVERIFY(!QFileInfo::exists(out.filePath("igen/billeder")));
        // Damaged tables are never restored.
        writeFile(folder + "/Bruger2.db", "x");
        QVERIFY(errorOf([&] { backup::restore(folder, out.filePath("mere"), true); }).contains("Bruger2.db"));
        QVERIFY(!QFileInfo::exists(out.filePath("mere")));
    }

    // The tool's restore gives a collection the program opens without a fault:
    // the start pictures and help page beside the tables.
    void theToolRestoresTheStartFiles()
    {
        Collection c;
        c.addArea("DK", "Danmark");
        c.closeConnections();
        QTemporaryDir out;
        const ToolRun made = runCommand(tablefiles::runBackupCommand, {"backup", c.path(), "--to", out.path()});
        QCOMPARE(made.code, 0);
        const QString folder = backup::list(out.path()).value(0);
        const ToolRun restored = runCommand(tablefiles::runBackupCommand, {"restore", folder, out.filePath("igen")});
        QVERIFY2(restored.code == 0, qPrintable(restored.err));
        for (const char* name : {"Frim.bmp", "frim.bmp", "frim2.jpg", "index.html"})
            QVERIFY2(QFileInfo(out.filePath("igen/") + name).isFile(), name);
    }

    // An older backup that cannot be removed is said, never counted as removed.
    void aBackupThatCannotBeRemovedIsSaid()
    {
        Collection c;
        c.addArea("DK", "Danmark");
        c.closeConnections();
        QTemporaryDir out;
        const QString older = backup::make(c.path(), out.path(), 10, false, Noon).folder;
        // Read-only to a user, unchangeable even to root.
        const Unchangeable locked(older, older + "/MANIFEST");
        if (!locked.held)
            QSKIP("this file system cannot keep root from removing a file");
        const ToolRun run =
            runCommand(tablefiles::runBackupCommand, {"backup", c.path(), "--to", out.path(), "--keep", "1"});
        QCOMPARE(run.code, 1);
        QVERIFY2(run.err.contains("The older backup " + older + " could not be removed."), qPrintable(run.err));
        QVERIFY(!run.out.contains("Removed"));
        QCOMPARE(backup::list(out.path()).size(), 2);
    }

    // A collection nobody may write is backed up all the same; without an id
    // its backups are never taken for its own by rotation.
    void aCollectionThatCannotBeWrittenIsBackedUp()
    {
        Collection c;
        c.addArea("DK", "Danmark");
        c.closeConnections();
        QTemporaryDir out;
        const Unchangeable locked(c.path(), c.path());
        if (!locked.held)
            QSKIP("this file system cannot keep root from writing a folder");
        const QString first = backup::make(c.path(), out.path(), 1, false, Noon).folder;
        const backup::Made second = backup::make(c.path(), out.path(), 1, false, Noon.addSecs(60));
        QVERIFY(second.removed.isEmpty() && second.notRemoved.isEmpty());
        QCOMPARE(backup::list(out.path()), (QStringList{first, second.folder}));
        QVERIFY(!QFile::exists(c.file(".kvilbro-collection-id")));
    }

    void noCollectionNoBackup()
    {
        QTemporaryDir empty;
        QTemporaryDir out;
        QVERIFY(
            errorOf([&] { backup::make(empty.path(), out.path(), 10, false, Noon); }).contains("holds no collection"));
        QVERIFY(backup::list(out.path()).isEmpty());
    }
};

QTEST_MAIN(BackupTest)
#include "tst_backup.moc"
