// kvilbro-tables import-paradox and paradox-dump on old collections written
// byte by byte, and the program refusing to start on Paradox tables.
#include "Collection.h"
#include "Database.h"
#include "Error.h"
#include "ParadoxHeader.h"
#include "ParadoxWriter.h"
#include "ToolRun.h"
#include "WorkFolder.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

#include <sqlite3.h>

using namespace kvilbro;
using pxtest::PxTable;

namespace {

using Run = test::ToolRun;

Run tables(const QStringList& args)
{
    return test::runTool(QStringLiteral(KVILBRO_TABLES_EXE), args);
}

void write(const QString& path, const pxtest::PxFiles& files)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(files.table);
    if (!files.memo.isEmpty()) {
        QFile m(QFileInfo(path).path() + u'/' + QFileInfo(path).completeBaseName() + QStringLiteral(".mb"));
        QVERIFY(m.open(QIODevice::WriteOnly));
        m.write(files.memo);
    }
}

const QString LongRemark = QStringLiteral("Købt på auktion i Århus, tænder skæve; stemplet København 1852 ØK");

// An old collection: two areas, five numbers (one with no area, one whose
// number is no whole number), one collector. Names in mixed letter case.
void writeOldCollection(const QString& dir, int codePage, int versionId, int declared = 0,
                        bool encryptCollector = false,
                        const QString& picture = QStringLiteral("C:\\Frimærker\\DK\\1.jpg"))
{
    QDir().mkpath(dir);
    PxTable areas;
    areas.fields = pxtest::areaFields();
    areas.rows = {{QStringLiteral("DK"), QStringLiteral("Danmark"), 1},
                  {QStringLiteral("FR"), QStringLiteral("Færøerne"), 2}};
    PxTable numbers;
    numbers.fields = pxtest::numberFields();
    numbers.rows = {
        {QStringLiteral("DK"), QStringLiteral("Danmark"), 1.0, QVariant(), QStringLiteral("x"), QVariant(),
         QStringLiteral("x"), picture, LongRemark, 10},
        {QStringLiteral("DK"), QStringLiteral("Danmark"), 2.0, QStringLiteral("a"), QVariant(), QVariant(), QVariant(),
         QVariant(), QStringLiteral("Små tænder"), 11},
        {QStringLiteral("FR"), QStringLiteral("Færøerne"), 0.0, QVariant(), QVariant(), QVariant(), QVariant(),
         QStringLiteral("billeder/fr0.jpg"), QVariant(), 12},
        {QStringLiteral("XX"), QStringLiteral("Ukendt"), 7.0, QVariant(), QVariant(), QVariant(), QVariant(),
         QVariant(), QVariant(), 13},
        {QStringLiteral("DK"), QStringLiteral("Danmark"), 2.5, QVariant(), QVariant(), QVariant(), QVariant(),
         QVariant(), QVariant(), 14},
    };
    PxTable collector;
    collector.fields = pxtest::collectorFields();
    collector.rows = {{QStringLiteral("Jens Ærø Sørensen"), QStringLiteral("Frimærkevej 12"),
                       QStringLiteral("8000 Århus C"), QVariant(), QStringLiteral("jens@example.dk"), QDate(1999, 3, 4),
                       1}};
    collector.encrypted = encryptCollector;
    for (PxTable* t : {&areas, &numbers, &collector}) {
        t->codePage = codePage;
        t->versionId = versionId;
    }
    pxtest::PxFiles files[] = {pxtest::writeParadox(areas), pxtest::writeParadox(numbers),
                               pxtest::writeParadox(collector)};
    // The header claims another code page than the bytes are in.
    if (declared != 0) {
        for (pxtest::PxFiles& f : files)
            qToLittleEndian(quint16(declared), f.table.data() + 0x6A);
    }
    write(dir + QStringLiteral("/STM2FRIM.DB"), files[0]);
    write(dir + QStringLiteral("/stm2manc.DB"), files[1]);
    write(dir + QStringLiteral("/bruger2.db"), files[2]);
}

QList<QStringList> rows(const QString& file, const char* sql)
{
    QList<QStringList> out;
    sqlite3* db = nullptr;
    sqlite3_open_v2(QFile::encodeName(file).constData(), &db, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(db, sql, -1, &stmt, nullptr) == SQLITE_OK) {
        while (sqlite3_step(stmt) == SQLITE_ROW) {
            QStringList row;
            for (int i = 0; i < sqlite3_column_count(stmt); ++i)
                row << (sqlite3_column_type(stmt, i) == SQLITE_NULL
                            ? QStringLiteral("NULL")
                            : QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt, i))));
            out << row;
        }
    }
    sqlite3_finalize(stmt);
    sqlite3_close(db);
    return out;
}

QString readText(const QString& path)
{
    QFile f(path);
    f.open(QIODevice::ReadOnly);
    return QString::fromUtf8(f.readAll());
}

} // namespace

class ParadoxImportTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { test::pinEnvironment(); }

    void importsCollection_data()
    {
        QTest::addColumn<int>("codePage");
        QTest::addColumn<int>("versionId");
        QTest::newRow("code page 865, version 4") << 865 << 5;
        QTest::newRow("code page 1252, version 7") << 1252 << 12;
    }
    void importsCollection()
    {
        QFETCH(int, codePage);
        QFETCH(int, versionId);
        QTemporaryDir work;
        const QString old = work.filePath(QStringLiteral("old")), fresh = work.filePath(QStringLiteral("new"));
        writeOldCollection(old, codePage, versionId);
        const Run r = tables({QStringLiteral("import-paradox"), old, fresh});
        QVERIFY2(r.code == 0, qPrintable(r.err + r.out));
        QVERIFY2(r.out.contains(QLatin1String("stm2frim.db: 2 rows read, 2 written, 0 skipped")), qPrintable(r.out));
        QVERIFY2(r.out.contains(QLatin1String("stm2manc.DB: 5 rows read, 4 written, 1 skipped")), qPrintable(r.out));
        QVERIFY(r.out.contains(QLatin1String("skipped 1: the field 'Nummer' cannot hold the value")));
        QVERIFY(r.out.contains(QLatin1String("Bruger2.db: 1 rows read, 1 written, 0 skipped")));
        QVERIFY(r.out.contains(QLatin1String("1 numbers whose area is not in stm2frim.db")));
        QVERIFY(!r.out.contains(QLatin1String("warning: The header says")));

        QCOMPARE(rows(fresh + QStringLiteral("/stm2frim.db"),
                      "SELECT \"National ID\", \"Beskrivelse\", \"Tæller\" FROM stm2frim ORDER BY 3"),
                 (QList<QStringList>{{"DK", "Danmark", "1"}, {"FR", "Færøerne", "2"}}));
        const auto numbers = rows(fresh + QStringLiteral("/stm2manc.DB"),
                                  "SELECT Land, Stamoplysning, Nummer, Type, \"***\", \"*\", O, Billede, Bemærkning, "
                                  "Tæller FROM stm2manc ORDER BY Tæller");
        QCOMPARE(numbers.size(), 4);
        QCOMPARE(numbers[0], (QStringList{"DK", "Danmark", "1", "NULL", "x", "NULL", "x", "C:\\Frimærker\\DK\\1.jpg",
                                          LongRemark.left(50), "10"}));
        // Zero is a number, not a blank.
        QCOMPARE(numbers[2][2], QStringLiteral("0"));
        QCOMPARE(numbers[3][0], QStringLiteral("XX"));
        QCOMPARE(rows(fresh + QStringLiteral("/Bruger2.db"), "SELECT Brugernavn, By, Telefon, Dato FROM Bruger2"),
                 (QList<QStringList>{{"Jens Ærø Sørensen", "8000 Århus C", "NULL", "1999-03-04"}}));

        const QString report = readText(fresh + QStringLiteral("/import-report.txt"));
        QVERIFY2(report.contains(QStringLiteral("stm2manc.DB, row 1: 'Bemærkning' cut to 50 characters; the whole "
                                                "value: \"%1\"")
                                     .arg(LongRemark)),
                 qPrintable(report));
        QVERIFY(report.contains(
            QStringLiteral("stm2manc.DB, row 1: picture path \"C:\\Frimærker\\DK\\1.jpg\" kept as it is.")));
        QVERIFY(
            report.contains(QLatin1String("stm2manc.DB, row 4: no area has Land \"XX\" and Stamoplysning \"Ukendt\"")));
        QVERIFY(report.contains(
            QLatin1String("stm2manc.DB, row 5 skipped: '2.5' is not a valid integer value for field 'Nummer'")));
        QVERIFY(tables({QStringLiteral("check"), fresh}).code == 0);
        // Nothing is left beside the new folder.
        QCOMPARE(QDir(work.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                 (QStringList{"new", "old"}));
    }

    void pictureRoot_data()
    {
        QTest::addColumn<QString>("root");
        QTest::addColumn<QString>("old");
        QTest::addColumn<QString>("stored");
        const QString dk1 = QStringLiteral("C:\\Frimærker\\DK\\1.jpg");
        QTest::newRow("drive root") << "/srv/billeder" << dk1 << "/srv/billeder/Frimærker/DK/1.jpg";
        QTest::newRow("folder under a drive") << "c:\\frimærker\\=/srv/b" << dk1 << "/srv/b/DK/1.jpg";
        QTest::newRow("another folder") << "D:\\Andet\\=/srv/b" << dk1 << dk1;
        QTest::newRow("'..' inside the root") << "/srv/billeder"
                                              << "C:\\Frimærker\\DK\\..\\FR\\1.jpg"
                                              << "/srv/billeder/Frimærker/FR/1.jpg";
        // A path that climbs out of the root is kept as it was, not mapped.
        QTest::newRow("'..' out of the root") << "/srv/billeder"
                                              << "C:\\Frimærker\\..\\..\\etc\\passwd"
                                              << "C:\\Frimærker\\..\\..\\etc\\passwd";
        QTest::newRow("'..' out of a mapped folder") << "C:\\Frimærker\\=/srv/b"
                                                     << "C:\\Frimærker\\..\\etc/passwd"
                                                     << "C:\\Frimærker\\..\\etc/passwd";
        QTest::newRow("'..' out of a drive") << "/srv/billeder"
                                             << "C:..\\passwd"
                                             << "C:..\\passwd";
    }
    void pictureRoot()
    {
        QFETCH(QString, root);
        QFETCH(QString, old);
        QFETCH(QString, stored);
        QTemporaryDir work;
        writeOldCollection(work.filePath(QStringLiteral("old")), 865, 12, 0, false, old);
        const Run r = tables({QStringLiteral("import-paradox"), work.filePath(QStringLiteral("old")),
                              work.filePath(QStringLiteral("new")), QStringLiteral("--picture-root"), root});
        QVERIFY2(r.code == 0, qPrintable(r.err));
        QCOMPARE(rows(work.filePath(QStringLiteral("new/stm2manc.DB")),
                      "SELECT Billede FROM stm2manc WHERE Tæller = 10")[0][0],
                 stored);
        if (stored == old) {
            const QString report = readText(work.filePath(QStringLiteral("new/import-report.txt")));
            QVERIFY2(report.contains(QStringLiteral("stm2manc.DB, row 1: picture path \"%1\" kept as it is.").arg(old)),
                     qPrintable(report));
        }
        // A path without a drive or backslashes is left alone.
        QCOMPARE(rows(work.filePath(QStringLiteral("new/stm2manc.DB")),
                      "SELECT Billede FROM stm2manc WHERE Tæller = 12")[0][0],
                 QStringLiteral("billeder/fr0.jpg"));
    }

    void codePages_data()
    {
        QTest::addColumn<int>("written");
        QTest::addColumn<int>("declared");
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QString>("area");
        QTest::addColumn<QString>("said");
        QTest::newRow("437 declared, 865 meant") << 865 << 437 << QStringList() << "Færøerne"
                                                 << "The header says code page 437";
        QTest::newRow("850 declared, 865 written: same ø") << 865 << 850 << QStringList() << "Færøerne"
                                                           << "";
        QTest::newRow("given on the command line") << 1252 << 437 << QStringList{"--codepage", "1252"} << "Færøerne"
                                                   << "";
        QTest::newRow("1252 read as 865 on request")
            << 1252 << 1252 << QStringList{"--codepage", "865"} << "F\u03BCr\u00B0erne"
            << "";
    }
    void codePages()
    {
        QFETCH(int, written);
        QFETCH(int, declared);
        QFETCH(QStringList, options);
        QFETCH(QString, area);
        QFETCH(QString, said);
        QTemporaryDir work;
        writeOldCollection(work.filePath(QStringLiteral("old")), written, 12, declared);
        const Run r = tables(QStringList{QStringLiteral("import-paradox"), work.filePath(QStringLiteral("old")),
                                         work.filePath(QStringLiteral("new"))}
                             << options);
        QVERIFY2(r.code == 0, qPrintable(r.err));
        QCOMPARE(rows(work.filePath(QStringLiteral("new/stm2frim.db")),
                      "SELECT Beskrivelse FROM stm2frim WHERE \"National ID\" = 'FR'")[0][0],
                 area);
        if (said.isEmpty())
            QVERIFY2(!r.out.contains(QLatin1String("The header says")), qPrintable(r.out));
        else
            QVERIFY2(r.out.contains(said) && r.out.contains(QLatin1String("read as 865")), qPrintable(r.out));
    }

    void existingCollection()
    {
        QTemporaryDir work;
        const QString old = work.filePath(QStringLiteral("old")), fresh = work.filePath(QStringLiteral("new"));
        writeOldCollection(old, 865, 12);
        QCOMPARE(tables({QStringLiteral("create"), fresh}).code, 0);
        Run r = tables({QStringLiteral("import-paradox"), old, fresh});
        QCOMPARE(r.code, 1);
        QVERIFY2(r.err.contains(QLatin1String("holds a collection already; nothing was imported. Give --replace")),
                 qPrintable(r.err));
        QCOMPARE(rows(fresh + QStringLiteral("/stm2frim.db"), "SELECT count(*) FROM stm2frim")[0][0],
                 QStringLiteral("0"));
        r = tables({QStringLiteral("import-paradox"), old, fresh, QStringLiteral("--replace")});
        QVERIFY2(r.code == 0, qPrintable(r.err));
        QCOMPARE(rows(fresh + QStringLiteral("/stm2frim.db"), "SELECT count(*) FROM stm2frim")[0][0],
                 QStringLiteral("2"));
        // The old tables' own folder is never the new one.
        r = tables({QStringLiteral("import-paradox"), old, old, QStringLiteral("--replace")});
        QCOMPARE(r.code, 1);
        QVERIFY(r.err.contains(QLatin1String("another folder")));
    }

    // A kill between the renames of --replace leaves new tables beside old
    // ones: the program and check refuse the folder until the import is run again.
    void stoppedSwitch_data()
    {
        QTest::addColumn<int>("moved");
        QTest::newRow("after the numbers") << 1;
        QTest::newRow("after the areas") << 2;
    }
    void stoppedSwitch()
    {
        QFETCH(int, moved);
        QTemporaryDir work;
        const QString old = work.filePath(QStringLiteral("old")), fresh = work.filePath(QStringLiteral("new"));
        writeOldCollection(old, 865, 12);
        QCOMPARE(tables({QStringLiteral("create"), fresh}).code, 0);
        qputenv("KVILBRO_TEST_KILL_IMPORT_AFTER_MOVES", QByteArray::number(moved));
        Run r = tables({QStringLiteral("import-paradox"), old, fresh, QStringLiteral("--replace")});
        qunsetenv("KVILBRO_TEST_KILL_IMPORT_AFTER_MOVES");
        QVERIFY2(r.code == -1, qPrintable(r.out));
        QCOMPARE(rows(fresh + QStringLiteral("/stm2manc.DB"), "SELECT count(*) FROM stm2manc")[0][0],
                 QStringLiteral("4"));
        try {
            Database db(fresh);
            QFAIL("the program opened a half-replaced collection");
        } catch (const Error& e) {
            QCOMPARE(e.kind(), Error::Kind::Engine);
            QCOMPARE(e.message(),
                     QStringLiteral("Samlingen i mappen %1 er kun delvis erstattet, fordi en import blev afbrudt. "
                                    "Kør importen igen med kommandoen: kvilbro-tables import-paradox GAMMEL_MAPPE "
                                    "%1 --replace")
                         .arg(QDir::toNativeSeparators(fresh)));
        }
        const Run c = tables({QStringLiteral("check"), fresh});
        QVERIFY2(c.code == 1 && c.err.contains(QLatin1String("import-paradox OLD_DIR")), qPrintable(c.err));

        r = tables({QStringLiteral("import-paradox"), old, fresh, QStringLiteral("--replace")});
        QVERIFY2(r.code == 0, qPrintable(r.err));
        QVERIFY(tables({QStringLiteral("check"), fresh}).code == 0);
        QCOMPARE(rows(fresh + QStringLiteral("/Bruger2.db"), "SELECT count(*) FROM Bruger2")[0][0],
                 QStringLiteral("1"));
        // The killed run's work folder went with the second run.
        QCOMPARE(QDir(work.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                 (QStringList{"new", "old"}));
    }

    // A replaced file's rollback journal, left by a program that stopped in
    // the middle of a change, is not played back into the new file.
    void hotJournalOfReplacedFile()
    {
        QTemporaryDir work;
        const QString old = work.filePath(QStringLiteral("old")), fresh = work.filePath(QStringLiteral("new"));
        writeOldCollection(old, 865, 12);
        QCOMPARE(tables({QStringLiteral("create"), fresh}).code, 0);
        test::Collection before;
        before.addArea("DK", "Danmark");
        for (int n = 1; n <= 300; ++n)
            before.addNumber("DK", "Danmark", n, {}, {}, {}, QString(40, u'x'));
        before.closeConnections();
        sqlite3* writer = nullptr;
        sqlite3_open(QFile::encodeName(before.file("stm2manc.DB")).constData(), &writer);
        QCOMPARE(sqlite3_exec(writer,
                              "PRAGMA journal_mode=DELETE; PRAGMA cache_size=2; BEGIN; "
                              "UPDATE stm2manc SET \"O\" = 'O', \"Bemærkning\" = 'ikke gemt'",
                              nullptr, nullptr, nullptr),
                 SQLITE_OK);
        // The file and its journal as a kill in the middle of the change leaves them.
        for (const QString f : {"stm2manc.DB", "stm2manc.DB-journal"}) {
            QFile::remove(fresh + u'/' + f);
            QVERIFY(QFile::copy(before.file(f), fresh + u'/' + f));
        }
        sqlite3_exec(writer, "ROLLBACK", nullptr, nullptr, nullptr);
        sqlite3_close(writer);

        const Run r = tables({QStringLiteral("import-paradox"), old, fresh, QStringLiteral("--replace")});
        QVERIFY2(r.code == 0, qPrintable(r.err));
        const Run c = tables({QStringLiteral("check"), fresh});
        QVERIFY2(c.code == 0, qPrintable(c.err));
        QCOMPARE(rows(fresh + QStringLiteral("/stm2manc.DB"), "SELECT count(*) FROM stm2manc")[0][0],
                 QStringLiteral("4"));
        QVERIFY(!QFileInfo::exists(fresh + QStringLiteral("/stm2manc.DB-journal")));
    }

    // Work folders a kill left beside the new folder go with the next import;
    // one whose maker still works in it stays.
    void abandonedWorkFolders()
    {
        QTemporaryDir work;
        const QString old = work.filePath(QStringLiteral("old")), fresh = work.filePath(QStringLiteral("new"));
        writeOldCollection(old, 865, 12);
        const QString dead = work.filePath(QStringLiteral(".kvilbro-import-dead01"));
        QVERIFY(QDir().mkpath(dead));
        for (const QString& name : {WorkFolder::lockFileName(), QStringLiteral("stm2manc.DB")}) {
            QFile f(QDir(dead).filePath(name));
            QVERIFY(f.open(QIODevice::WriteOnly));
        }
        WorkFolder living(work.path(), QStringLiteral(".kvilbro-import-"));
        QVERIFY(living.isValid());
        const Run r = tables({QStringLiteral("import-paradox"), old, fresh});
        QVERIFY2(r.code == 0, qPrintable(r.err));
        QVERIFY(!QFileInfo::exists(dead));
        QVERIFY(QFileInfo(living.path()).isDir());
    }

    // A table that cannot be read stops the import before anything reaches the new folder.
    void failureLeavesNothing()
    {
        QTemporaryDir work;
        const QString old = work.filePath(QStringLiteral("old")), fresh = work.filePath(QStringLiteral("new"));
        writeOldCollection(old, 865, 12, 0, true);
        const Run r = tables({QStringLiteral("import-paradox"), old, fresh});
        QCOMPARE(r.code, 1);
        QVERIFY2(r.err.contains(QLatin1String("bruger2.db: the table is protected with a password (encrypted)")),
                 qPrintable(r.err));
        QCOMPARE(QDir(fresh).entryList(QDir::Files), QStringList());
        QCOMPARE(QDir(work.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                 (QStringList{"new", "old"}));
        QFile::remove(old + QStringLiteral("/bruger2.db"));
        QVERIFY(tables({QStringLiteral("import-paradox"), old, fresh})
                    .err.contains(QLatin1String("holds no table Bruger2.db")));
    }

    void dump()
    {
        QTemporaryDir work;
        writeOldCollection(work.path(), 865, 12);
        const Run r = tables({QStringLiteral("paradox-dump"), work.filePath(QStringLiteral("stm2frim.db"))});
        QCOMPARE(r.code, 1); // the name's letter case counts for a file named on the command line
        const Run d = tables({QStringLiteral("paradox-dump"), work.filePath(QStringLiteral("STM2FRIM.DB"))});
        QVERIFY2(d.code == 0, qPrintable(d.err));
        QVERIFY(d.out.contains(QLatin1String("Version: 7 (12)\nCode page: 865\n")));
        QVERIFY(d.out.contains(QLatin1String("  2. Beskrivelse: alpha (50 bytes)\n")));
        QVERIFY(d.out.contains(QStringLiteral("  2: FR | Færøerne | 2\n")));
    }

    // The program does not start on an old collection; it names the import.
    void programRefusesParadoxTables_data()
    {
        QTest::addColumn<QString>("file");
        QTest::newRow("areas") << "stm2frim.db";
        QTest::newRow("numbers") << "stm2manc.DB";
        QTest::newRow("collector") << "Bruger2.db";
    }
    void programRefusesParadoxTables()
    {
        QFETCH(QString, file);
        QTemporaryDir work;
        QCOMPARE(tables({QStringLiteral("create"), work.path()}).code, 0);
        QTemporaryDir old;
        writeOldCollection(old.path(), 865, 12);
        const QString source = old.filePath(file == QLatin1String("stm2frim.db")   ? QStringLiteral("STM2FRIM.DB")
                                            : file == QLatin1String("stm2manc.DB") ? QStringLiteral("stm2manc.DB")
                                                                                   : QStringLiteral("bruger2.db"));
        QFile::remove(work.filePath(file));
        QVERIFY(QFile::copy(source, work.filePath(file)));
        try {
            Database db(work.path());
            QFAIL("the program opened a Paradox table");
        } catch (const Error& e) {
            QCOMPARE(e.kind(), Error::Kind::Engine);
            QCOMPARE(e.message(),
                     QStringLiteral("Tabelfilen %1 er en Paradox-tabel fra en gammel samling. Flyt samlingen over med "
                                    "kommandoen: kvilbro-tables import-paradox GAMMEL_MAPPE NY_MAPPE")
                         .arg(QDir::toNativeSeparators(work.filePath(file))));
        }
    }
};

QTEST_GUILESS_MAIN(ParadoxImportTest)
#include "tst_paradoximport.moc"
