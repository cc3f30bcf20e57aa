// kvilbro-tables pictures: the check of a collection's picture paths and the
// relinking of paths to another folder.
#include "Collection.h"
#include "Database.h"
#include "Error.h"
#include "PictureCheck.h"
#include "ToolRun.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <sqlite3.h>

#include <cstdio>

using namespace kvilbro;
using kvilbro::test::Collection;

namespace {

const char* const HoldVariable = "KVILBRO_TEST_HOLD_COLLECTION";

using Run = test::ToolRun;

Run pictures(const QStringList& args)
{
    return test::runCommand(runPicturesCommand, args);
}

// The indented lines under the heading that starts with `title`, checked
// against the count the heading gives; a marker when there is no such heading.
QStringList section(const QString& out, const QString& title)
{
    const QStringList lines = out.split(u'\n');
    static const QRegularExpression count(QStringLiteral("\\((\\d+)\\):$"));
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (!lines[i].startsWith(title))
            continue;
        const auto match = count.match(lines[i]);
        if (!match.hasMatch())
            return {QStringLiteral("<heading without a count>")};
        QStringList items;
        int top = 0;
        for (++i; i < lines.size() && lines[i].startsWith(QLatin1String("  ")); ++i) {
            items << lines[i];
            top += lines[i].startsWith(QLatin1String("    ")) ? 0 : 1;
        }
        if (top != match.captured(1).toInt())
            return {QStringLiteral("<count %1 for %2 lines>").arg(match.captured(1)).arg(top)};
        return items;
    }
    return {QStringLiteral("<no heading '%1'>").arg(title)};
}

const QString Missing = QStringLiteral("Numbers whose picture file is missing");
const QString Cut = QStringLiteral("Numbers whose picture path is exactly 75");
const QString Shared = QStringLiteral("Picture files named by several numbers");
const QString Unattached = QStringLiteral("Picture files in ");
const QString Unreadable = QStringLiteral("Picture file names in ");
const QString Rewritten = QStringLiteral("Rewritten");
const QString WouldBe = QStringLiteral("Would be rewritten");
const QString Refused = QStringLiteral("Refused");
const QString NotText = QStringLiteral("Left unchanged, not stored as text");

// Each table file made again with its texts stored as UTF-16, as another
// tool may have made it (through the sqlite3 shell's dump); the engine reads
// it as any other.
void storeAsUtf16(const QString& dir)
{
    for (const char* name : {"stm2frim.db", "stm2manc.DB", "Bruger2.db"}) {
        const QString file = dir + "/" + name;
        QProcess dump;
        dump.start("sqlite3", {file, ".dump"});
        QVERIFY(dump.waitForFinished(20000) && dump.exitCode() == 0);
        const QByteArray sql = "PRAGMA encoding='UTF-16le';\n" + dump.readAllStandardOutput();
        QVERIFY(QFile::remove(file));
        QProcess load;
        load.start("sqlite3", {file});
        load.write(sql + "PRAGMA journal_mode=WAL;\n");
        load.closeWriteChannel();
        QVERIFY(load.waitForFinished(20000) && load.exitCode() == 0);
    }
}

void touch(const QString& path)
{
    QVERIFY(QDir().mkpath(QFileInfo(path).absolutePath()));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("x");
}

// `start` padded with "x" to `characters` characters, ending in ".jpg".
QString pathOfLength(const QString& start, int characters, int combining = 0)
{
    QString path = start;
    for (int i = 0; i < combining; ++i)
        path += QStringLiteral("a\u030A"); // one character, two code units
    return path + QString(characters - 4 - start.size() - combining, u'x') + QStringLiteral(".jpg");
}

QByteArray bytesOf(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

// The child process: holds the collection open as the program does, until
// its standard input closes.
int holdCollection(const QString& folder)
{
    try {
        Database db(folder);
        std::printf("held\n");
        std::fflush(stdout);
        while (std::getchar() != EOF) {
        }
        return 0;
    } catch (const Error& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
}

} // namespace

class PictureCheckTest : public QObject {
    Q_OBJECT

private slots:
    // Relative paths are read from the collection's folder, not the tool's;
    // a missing path as long as the field is told apart as probably cut.
    void missingFilesAndCutPaths()
    {
        Collection c;
        c.addArea("DK", "Danmark");
        const QString present = c.file("billeder/1.jpg");
        touch(present);
        const QString cutPresent = pathOfLength(c.path() + "/billeder/", 75);
        touch(cutPresent);
        const QString cutGone = pathOfLength(c.path() + "/væk/", 75);
        const QString cutGoneCombining = pathOfLength(c.path() + "/væk/", 75, 3);
        const QString shortGone = pathOfLength(c.path() + "/væk/", 74);
        const QString longGone = pathOfLength(c.path() + "/væk/", 76);
        c.addNumber("DK", "Danmark", 1, {}, {}, present);
        c.addNumber("DK", "Danmark", 2, {}, {}, "billeder/1.jpg");
        c.addNumber("DK", "Danmark", 3, "a", {}, "billeder/3.jpg");
        c.addNumber("DK", "Danmark", 4, {}, {}, c.path() + "/billeder");
        c.addNumber("DK", "Danmark", 5, {}, {}, cutPresent);
        c.addNumber("DK", "Danmark", 6, {}, {}, cutGone);
        c.addNumber("DK", "Danmark", 7, {}, {}, cutGoneCombining);
        c.addNumber("DK", "Danmark", 8, {}, {}, shortGone);
        c.addNumber("DK", "Danmark", 9);
        c.addNumber("DK", "Danmark", 10, {}, {}, longGone); // from a foreign file

        const Run r = pictures({c.path()});
        QCOMPARE(r.code, 0);
        QVERIFY2(r.err.isEmpty(), qPrintable(r.err));
        QCOMPARE(section(r.out, Missing),
                 (QStringList{"  Danmark, 3 a: billeder/3.jpg", "  Danmark, 4: " + c.path() + "/billeder",
                              "  Danmark, 8: " + shortGone, "  Danmark, 10: " + longGone}));
        QCOMPARE(section(r.out, Cut), (QStringList{"  Danmark, 6: " + cutGone, "  Danmark, 7: " + cutGoneCombining}));
        QVERIFY(r.out.contains("10 numbers, 9 of them with a picture path."));
    }

    // A file named by several numbers, under any of its names, is listed
    // once with all of them; a file named once is not listed.
    void sharedFilesListedOnce()
    {
        Collection c;
        const QString file = c.file("fælles.jpg");
        touch(file);
        touch(c.file("eget.jpg"));
        QVERIFY(QFile::link(file, c.file("link.jpg")));
        c.addNumber("DK", "Danmark", 1, {}, {}, file);
        c.addNumber("FR", "Færøerne", 2, "b", {}, "fælles.jpg");
        c.addNumber("DK", "Danmark", 3, {}, {}, "./billeder/../link.jpg");
        c.addNumber("DK", "Danmark", 4, {}, {}, "eget.jpg");
        c.addNumber("DK", "Danmark", 5, {}, {}, "væk.jpg");
        c.addNumber("DK", "Danmark", 6, {}, {}, "væk.jpg");

        const Run r = pictures({c.path()});
        QCOMPARE(r.code, 0);
        const QString canonical = QFileInfo(file).canonicalFilePath();
        const QString gone = QDir(c.path()).absoluteFilePath("væk.jpg");
        QStringList expected{
            "  " + canonical + " (3 numbers)", "    Danmark, 1: " + file,    "    Danmark, 3: ./billeder/../link.jpg",
            "    Færøerne, 2 b: fælles.jpg",   "  " + gone + " (2 numbers)", "    Danmark, 5: væk.jpg",
            "    Danmark, 6: væk.jpg"};
        if (gone < canonical)
            expected = expected.mid(4) + expected.mid(0, 4);
        QCOMPARE(section(r.out, Shared), expected);
    }

    // A file is attached when a number's path names it, under any of its
    // names; what the file is called does not matter.
    void unattachedFiles()
    {
        Collection c;
        const QString folder = c.file("billeder");
        for (const char* name : {"dk-001.jpg", "dk-002.bmp", "dk-003.jpg", "dk-004.jpg", "714.jpg"})
            touch(folder + "/" + name);
        touch(c.file("andet/dk-004.jpg"));
        QVERIFY(QFile::link(folder + "/dk-003.jpg", folder + "/link.jpg"));
        c.addNumber("DK", "Danmark", 1, {}, {}, folder + "/dk-001.jpg");
        c.addNumber("DK", "Danmark", 2, {}, {}, "billeder/dk-002.bmp");
        c.addNumber("DK", "Danmark", 3, {}, {}, "./andet/../billeder/link.jpg");
        c.addNumber("DK", "Danmark", 4, {}, {}, "andet/dk-004.jpg");
        c.addNumber("DK", "Danmark", 714);

        const Run r = pictures({c.path(), "--folder", folder});
        QCOMPARE(r.code, 0);
        QCOMPARE(section(r.out, Unattached), (QStringList{"  714.jpg", "  dk-004.jpg"}));
        QCOMPARE(section(r.out, Unreadable),
                 (QStringList{"  dk-001.jpg", "  dk-002.bmp", "  dk-003.jpg", "  dk-004.jpg", "  link.jpg"}));
        QVERIFY2(r.out.contains("6 picture files in the folder, 4 of them named by a number."), qPrintable(r.out));
    }

    void unreadableNames_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("readable");
        QTest::newRow("number") << "714.jpg" << true;
        QTest::newRow("number and variant") << "714Ch.JPG" << true;
        QTest::newRow("leading zeros") << "000714.bmp" << true;
        QTest::newRow("largest number") << "2147483647.jpg" << true;
        QTest::newRow("no digits first") << "Ch714.jpg" << false;
        QTest::newRow("area first") << "dk-001.jpg" << false;
        QTest::newRow("past the largest") << "2147483648.jpg" << false;
        QTest::newRow("wraps to a number") << "4294967297.jpg" << false;
    }

    // As the mass import reads a name: a number first, and one the field holds.
    void unreadableNames()
    {
        QFETCH(QString, name);
        QFETCH(bool, readable);
        Collection c;
        QTemporaryDir folder;
        touch(folder.filePath(name));

        const Run r = pictures({c.path(), "--folder", folder.path()});
        QCOMPARE(r.code, 0);
        QCOMPARE(section(r.out, Unattached), QStringList{"  " + name});
        QCOMPARE(section(r.out, Unreadable), readable ? QStringList() : QStringList{"  " + name});
    }

    // Only the files the import window lists: pictures, ordinary, not hidden, by name.
    void folderListing()
    {
        Collection c;
        QTemporaryDir folder;
        c.addNumber("DK", "Danmark", 1, {}, {}, folder.filePath("1.jpg"));
        for (const char* name : {"b.jpg", "A.BMP", "1.jpg", "c.jpeg", "noter.txt", ".skjult.jpg", "ø.jpg"})
            touch(folder.filePath(name));
        QVERIFY(QDir(folder.path()).mkdir("mappe.jpg"));
        QVERIFY(QFile::link(folder.filePath("væk"), folder.filePath("død.jpg")));

        const Run r = pictures({"--folder", folder.path(), c.path()});
        QCOMPARE(r.code, 0);
        QCOMPARE(section(r.out, Unattached), (QStringList{"  A.BMP", "  b.jpg", "  ø.jpg"}));
        QVERIFY(r.out.contains("4 picture files in the folder, 1 of them named by a number."));
    }

    void failures_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("message");
        QTest::newRow("no folder") << "none" << QStringList{"@/mangler"} << "does not exist";
        QTest::newRow("empty folder") << "empty" << QStringList{"@"} << "There is no collection in";
        QTest::newRow("numbers file missing") << "no numbers" << QStringList{"@"} << "stm2manc.DB findes ikke";
        QTest::newRow("foreign numbers file") << "foreign" << QStringList{"@"} << "ikke en tabelfil";
        QTest::newRow("numbers file lacks a field") << "no field" << QStringList{"@"} << "mangler feltet 'Billede'";
        QTest::newRow("picture folder missing")
            << "ok" << QStringList{"@", "--folder", "@/mangler"} << "does not exist";
        QTest::newRow("unknown option") << "ok" << QStringList{"@", "--fast"} << "Unknown option";
        QTest::newRow("dry run without relink") << "ok" << QStringList{"@", "--dry-run"} << "--dry-run goes with";
        QTest::newRow("force without relink") << "ok" << QStringList{"@", "--force"} << "--force goes with";
        QTest::newRow("two folders") << "ok" << QStringList{"@", "@"} << "at most one folder";
        QTest::newRow("relink without prefixes") << "ok" << QStringList{"relink", "a"} << "needs OLD and NEW";
        QTest::newRow("relink with empty old") << "ok" << QStringList{"relink", "", "b", "@"} << "must not be empty";
        QTest::newRow("relink with a folder option")
            << "ok" << QStringList{"relink", "a", "b", "@", "--folder", "@"} << "--folder goes with";
        QTest::newRow("relink, no collection") << "empty" << QStringList{"relink", "a", "b", "@"} << "no collection";
        QTest::newRow("dry run, foreign file")
            << "foreign" << QStringList{"relink", "a", "b", "@", "--dry-run"} << "ikke en tabelfil";
    }

    // Every failure says what is wrong, reports nothing and gives 1.
    void failures()
    {
        QFETCH(QString, kind);
        QFETCH(QStringList, args);
        QFETCH(QString, message);
        Collection c;
        c.closeConnections();
        QTemporaryDir empty;
        const QString folder = kind == "empty" || kind == "none" ? empty.path() : c.path();
        if (kind == "no numbers")
            QVERIFY(QFile::remove(c.file("stm2manc.DB")));
        if (kind == "foreign") {
            QFile file(c.file("stm2manc.DB"));
            QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
            file.write(QByteArray(4096, 'k'));
        }
        if (kind == "no field") {
            QVERIFY(QFile::remove(c.file("stm2manc.DB")));
            sqlite3* db = nullptr;
            QCOMPARE(sqlite3_open(QFile::encodeName(c.file("stm2manc.DB")).constData(), &db), SQLITE_OK);
            const int rc = sqlite3_exec(db, "CREATE TABLE stm2manc (\"Land\" TEXT)", nullptr, nullptr, nullptr);
            sqlite3_close(db);
            QCOMPARE(rc, SQLITE_OK);
        }
        for (QString& arg : args)
            arg.replace("@", folder);

        const Run r = pictures(args);
        QCOMPARE(r.code, 1);
        QVERIFY2(r.err.contains(message), qPrintable(r.err));
        QVERIFY2(r.out.isEmpty(), qPrintable(r.out));
    }

    // A new path of exactly the field's width is stored as it is; one
    // character more is refused and the row keeps its path. Other rows,
    // also those differing only in letter case, are not touched.
    void relinkAtTheWidth()
    {
        Collection c;
        const QString oldPrefix = "C:\\Billeder\\";
        const QString newPrefix = c.path() + "/nye billeder/";
        const QString fits = pathOfLength(newPrefix, 75).mid(newPrefix.size());
        const QString fitsCombining = pathOfLength(newPrefix, 75, 2).mid(newPrefix.size());
        const QString tooLong = pathOfLength(newPrefix, 76).mid(newPrefix.size());
        touch(newPrefix + fits);
        c.addNumber("DK", "Danmark", 1, {}, {}, oldPrefix + fits);
        c.addNumber("DK", "Danmark", 2, {}, {}, oldPrefix + tooLong);
        c.addNumber("DK", "Danmark", 3, {}, {}, oldPrefix + fitsCombining);
        c.addNumber("DK", "Danmark", 4, {}, {}, "c:\\billeder\\4.jpg");
        c.addNumber("DK", "Danmark", 5, {}, {}, "D:\\C:\\Billeder\\5.jpg");

        const Run r = pictures({"relink", oldPrefix, newPrefix, c.path()});
        QCOMPARE(r.code, 1);
        const auto picture = [&c](int number) {
            return c.scalar(QString("SELECT \"Billede\" FROM stm2manc WHERE \"Nummer\"=%1").arg(number)).toString();
        };
        QCOMPARE(picture(1), newPrefix + fits);
        QCOMPARE(picture(2), oldPrefix + tooLong);
        QCOMPARE(picture(3), newPrefix + fitsCombining);
        QCOMPARE(picture(4), QString("c:\\billeder\\4.jpg"));
        QCOMPARE(picture(5), QString("D:\\C:\\Billeder\\5.jpg"));
        QCOMPARE(section(r.out, Rewritten).size(), 2);
        QCOMPARE(section(r.out, Refused), QStringList{"  Danmark, 2: " + oldPrefix + tooLong + " -> " + newPrefix +
                                                      tooLong + " (76 characters)"});
        QVERIFY2(r.out.contains("2 rewritten, 1 refused, 0 not text."), qPrintable(r.out));
    }

    // A dry run shows exactly what the change would do, and leaves the
    // files as they were, byte for byte.
    void dryRunChangesNothing()
    {
        Collection c;
        const QString newPrefix = c.path() + "/billeder/";
        touch(newPrefix + "1.jpg");
        c.addNumber("DK", "Danmark", 1, {}, {}, "gammel/1.jpg");
        c.addNumber("DK", "Danmark", 2, "b", {}, "gammel/" + pathOfLength(newPrefix, 76).mid(newPrefix.size()));
        c.addNumber("FR", "Færøerne", 3, {}, {}, "gammel/æøå.jpg");
        c.closeConnections();
        QDir folder(c.path());
        const QStringList files = folder.entryList(QDir::Files | QDir::Hidden, QDir::Name);
        QList<QByteArray> before;
        for (const QString& file : files)
            before << bytesOf(folder.filePath(file));

        const Run dry = pictures({"relink", "gammel/", newPrefix, c.path(), "--dry-run"});
        QCOMPARE(dry.code, 1);
        QCOMPARE(folder.entryList(QDir::Files | QDir::Hidden, QDir::Name), files);
        for (qsizetype i = 0; i < files.size(); ++i)
            QVERIFY2(bytesOf(folder.filePath(files[i])) == before[i], qPrintable(files[i]));
        QVERIFY(dry.out.contains("Dry run, nothing was changed: 2 would be rewritten, 1 refused, 0 not text."));

        const Run real = pictures({"relink", "gammel/", newPrefix, c.path()});
        QCOMPARE(real.code, 1);
        QCOMPARE(section(dry.out, WouldBe), section(real.out, Rewritten));
        QCOMPARE(section(dry.out, Refused), section(real.out, Refused));
        QCOMPARE(section(real.out, Rewritten).size(), 2);
        QCOMPARE(c.scalar("SELECT \"Billede\" FROM stm2manc WHERE \"Nummer\"=3").toString(), newPrefix + "æøå.jpg");
    }

    // Paths in a file whose texts are stored as UTF-16 are read as the texts they are.
    void relinkInAUtf16Collection()
    {
        Collection c;
        touch(c.file("ny/1.jpg"));
        c.addNumber("DK", "Danmark", 1, {}, {}, "/gammel/1.jpg");
        c.closeConnections();
        storeAsUtf16(c.path());
        if (QTest::currentTestFailed())
            return;
        const Run r = pictures({"relink", "/gammel", c.path() + "/ny", c.path()});
        QVERIFY2(r.code == 0 && r.out.contains("1 of the 1 new paths name an existing file"),
                 qPrintable(r.out + r.err));
        QCOMPARE(c.scalar("SELECT \"Billede\" FROM stm2manc").toString(), c.path() + "/ny/1.jpg");
    }

    // A path stored as a blob or as bytes that are not UTF-8 is listed and
    // kept byte for byte; the other paths are still rewritten.
    void relinkKeepsWhatIsNotText()
    {
        Collection c;
        touch(c.file("ny/1.jpg"));
        c.addNumber("DK", "Danmark", 1, {}, {}, "/gammel/1.jpg");
        c.addNumber("DK", "Danmark", 2);
        c.addNumber("DK", "Danmark", 3);
        c.addNumber("DK", "Danmark", 4);
        // "/gammel/2.jpg" as a blob, "/gammel/\xff3.jpg" and "/andet/\xff4.jpg" as text
        c.exec("UPDATE stm2manc SET \"Billede\"=X'2F67616D6D656C2F322E6A7067' WHERE \"Nummer\"=2");
        c.exec("UPDATE stm2manc SET \"Billede\"=CAST(X'2F67616D6D656C2FFF332E6A7067' AS TEXT) WHERE \"Nummer\"=3");
        c.exec("UPDATE stm2manc SET \"Billede\"=CAST(X'2F616E6465742FFF342E6A7067' AS TEXT) WHERE \"Nummer\"=4");
        const QString stored = "SELECT group_concat(typeof(\"Billede\") || ':' || hex(\"Billede\"), ' ') FROM "
                               "(SELECT \"Billede\" FROM stm2manc WHERE \"Nummer\">1 ORDER BY \"Nummer\")";
        const QVariant before = c.scalar(stored);

        const Run dry = pictures({"relink", "/gammel", c.path() + "/ny", c.path(), "--dry-run"});
        const Run real = pictures({"relink", "/gammel", c.path() + "/ny", c.path()});
        QVERIFY2(real.err.isEmpty(), qPrintable(real.err));
        QCOMPARE(real.code, 1);
        QCOMPARE(dry.code, 1);
        QCOMPARE(c.scalar("SELECT \"Billede\" FROM stm2manc WHERE \"Nummer\"=1").toString(), c.path() + "/ny/1.jpg");
        QCOMPARE(c.scalar(stored), before);
        QCOMPARE(section(dry.out, WouldBe), section(real.out, Rewritten));
        QCOMPARE(section(real.out, Rewritten).size(), 1);
        QCOMPARE(section(dry.out, NotText), section(real.out, NotText));
        QCOMPARE(section(real.out, NotText), (QStringList{"  Danmark, 2: /gammel/2.jpg (a blob)",
                                                          "  Danmark, 3: /gammel/\uFFFD3.jpg (not UTF-8)"}));
        QVERIFY2(real.out.contains("1 rewritten, 0 refused, 2 not text."), qPrintable(real.out));
    }

    void relinkToMissingFiles_data()
    {
        QTest::addColumn<QStringList>("present");
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<int>("code");
        QTest::addColumn<bool>("written");
        QTest::addColumn<QString>("said");
        QTest::newRow("none present") << QStringList() << QStringList() << 1 << false << "0 of the 2 new paths";
        QTest::newRow("none present, dry run")
            << QStringList() << QStringList{"--dry-run"} << 1 << false << "0 of the 2 new paths";
        QTest::newRow("none present, forced")
            << QStringList() << QStringList{"--force"} << 0 << true << "0 of the 2 new paths";
        QTest::newRow("one present") << QStringList{"ny/1.jpg"} << QStringList() << 0 << true << "1 of the 2 new paths";
        QTest::newRow("one present, dry run")
            << QStringList{"ny/1.jpg"} << QStringList{"--dry-run"} << 0 << false << "1 of the 2 new paths";
    }

    // Paths that would all name no file are refused, unless forced: the new
    // folder is most likely mistyped.
    void relinkToMissingFiles()
    {
        QFETCH(QStringList, present);
        QFETCH(QStringList, options);
        QFETCH(int, code);
        QFETCH(bool, written);
        QFETCH(QString, said);
        Collection c;
        for (const QString& file : present)
            touch(c.file(file));
        c.addNumber("DK", "Danmark", 1, {}, {}, "gammel/1.jpg");
        c.addNumber("DK", "Danmark", 2, {}, {}, "gammel/2.jpg");

        const Run r = pictures(QStringList{"relink", "gammel", "ny", c.path()} + options);
        QCOMPARE(r.code, code);
        QVERIFY2(r.out.contains(said + " name an existing file."), qPrintable(r.out));
        QCOMPARE(section(r.out, written ? Rewritten : WouldBe).size(), 2);
        QCOMPARE(r.err.contains("None of the 2 new paths names an existing file"), code == 1);
        QVERIFY2(code == 0 || r.err.contains("--force"), qPrintable(r.err));
        QCOMPARE(c.count("stm2manc", "\"Billede\" LIKE 'ny/%'"), written ? 2 : 0);
    }

    void relinkWholeFolders_data()
    {
        QTest::addColumn<QString>("oldFolder");
        QTest::addColumn<QString>("newFolder");
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("expected"); // under the new folder; empty: left as it was
        QTest::newRow("the file's folder") << "/x/Billeder"
                                           << "@/ny"
                                           << "/x/Billeder/1.jpg"
                                           << "1.jpg";
        QTest::newRow("with separators") << "/x/Billeder/"
                                         << "@/ny/"
                                         << "/x/Billeder/1.jpg"
                                         << "1.jpg";
        QTest::newRow("an ancestor") << "/x"
                                     << "@/ny"
                                     << "/x/Billeder/1.jpg"
                                     << "Billeder/1.jpg";
        QTest::newRow("a sibling sharing the start") << "/x/Billeder"
                                                     << "@/ny"
                                                     << "/x/Billeder-gamle/1.jpg"
                                                     << "";
        QTest::newRow("the folder itself") << "/x/Billeder"
                                           << "@/ny"
                                           << "/x/Billeder"
                                           << "";
        QTest::newRow("relative") << "gammel"
                                  << "@/ny"
                                  << "gammel/1.jpg"
                                  << "1.jpg";
        QTest::newRow("a backslash in a file name") << "/x/Billeder"
                                                    << "@/ny"
                                                    << "/x/Billeder/a\\b.jpg"
                                                    << "a\\b.jpg";
        QTest::newRow("Windows") << "C:\\Billeder"
                                 << "@/ny"
                                 << "C:\\Billeder\\1.jpg"
                                 << "1.jpg";
        QTest::newRow("Windows, a subfolder") << "C:\\Billeder\\"
                                              << "@/ny"
                                              << "C:\\Billeder\\Dk\\1.jpg"
                                              << "Dk/1.jpg";
        QTest::newRow("Windows, a sibling") << "C:\\Billeder"
                                            << "@/ny"
                                            << "C:\\Billeder2\\1.jpg"
                                            << "";
    }

    // OLD is a folder: it matches whole folder names only, with or without a
    // separator at its end, and the rest of the path follows NEW's separators.
    void relinkWholeFolders()
    {
        QFETCH(QString, oldFolder);
        QFETCH(QString, newFolder);
        QFETCH(QString, path);
        QFETCH(QString, expected);
        Collection c;
        newFolder.replace("@", c.path());
        const QString newPath = expected.isEmpty() ? path : c.path() + "/ny/" + expected;
        if (!expected.isEmpty())
            touch(newPath);
        c.addNumber("DK", "Danmark", 1, {}, {}, path);

        const Run r = pictures({"relink", oldFolder, newFolder, c.path()});
        QVERIFY2(r.code == 0, qPrintable(r.out + r.err));
        QCOMPARE(c.scalar("SELECT \"Billede\" FROM stm2manc").toString(), newPath);
    }

    void nothingToRelink()
    {
        Collection c;
        c.addNumber("DK", "Danmark", 1, {}, {}, "gammel/1.jpg");
        const Run r = pictures({"relink", "Gammel/", "ny/", c.path()});
        QCOMPARE(r.code, 0);
        QVERIFY2(r.out.contains("No picture path lies in the folder Gammel/; nothing was changed."), qPrintable(r.out));
        QCOMPARE(c.scalar("SELECT \"Billede\" FROM stm2manc").toString(), QString("gammel/1.jpg"));
    }

    // While another program has the collection open, the check still reads
    // it and a relink is refused in the store's words, changing nothing.
    void whileAnotherProgramHoldsTheCollection()
    {
        Collection c;
        c.addNumber("DK", "Danmark", 1, {}, {}, "gammel/1.jpg");
        touch(c.file("ny/1.jpg"));
        QProcess holder;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(HoldVariable, c.path());
        holder.setProcessEnvironment(environment);
        holder.start(QCoreApplication::applicationFilePath(), QStringList());
        QVERIFY(holder.waitForReadyRead(30000));
        QCOMPARE(holder.readLine().trimmed(), QByteArray("held"));

        const Run check = pictures({c.path()});
        QCOMPARE(check.code, 0);
        QCOMPARE(section(check.out, Missing), QStringList{"  Danmark, 1: gammel/1.jpg"});
        const Run relink = pictures({"relink", "gammel/", "ny/", c.path()});
        const Run dry = pictures({"relink", "gammel/", "ny/", c.path(), "--dry-run"});

        holder.closeWriteChannel();
        QVERIFY(holder.waitForFinished(30000));
        QCOMPARE(holder.exitCode(), 0);
        QCOMPARE(relink.code, 1);
        QVERIFY2(relink.err.contains("allerede åben") && relink.err.contains(QDir(c.path()).canonicalPath()),
                 qPrintable(relink.err));
        QVERIFY(relink.out.isEmpty());
        QCOMPARE(dry.code, 0);
        QCOMPARE(section(dry.out, WouldBe), QStringList{"  Danmark, 1: gammel/1.jpg -> ny/1.jpg"});
        QCOMPARE(c.scalar("SELECT \"Billede\" FROM stm2manc").toString(), QString("gammel/1.jpg"));
    }
};

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsSet(HoldVariable))
        return holdCollection(qEnvironmentVariable(HoldVariable));
    QCoreApplication app(argc, argv);
    kvilbro::test::pinEnvironment();
    PictureCheckTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_picturecheck.moc"
