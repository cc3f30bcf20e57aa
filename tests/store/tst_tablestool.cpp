// kvilbro-tables as a collector or a script uses it.
#include "Collection.h"
#include "CollectionViews.h"
#include "TableView.h"
#include "ToolRun.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <sqlite3.h>

using namespace kvilbro;

namespace {

using Run = test::ToolRun;

Run tables(const QStringList& args)
{
    return test::runTool(QStringLiteral(KVILBRO_TABLES_EXE), args);
}

void runSql(const QString& file, const char* sql)
{
    sqlite3* db = nullptr;
    QCOMPARE(sqlite3_open(QFile::encodeName(file).constData(), &db), SQLITE_OK);
    QCOMPARE(sqlite3_exec(db, sql, nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(db);
}

} // namespace

class TablesToolTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { test::pinEnvironment(); }

    void helpAndMistakes()
    {
        Run r = tables({QStringLiteral("--help")});
        QCOMPARE(r.code, 0);
        QVERIFY(r.out.contains(QLatin1String("Usage: kvilbro-tables")));
        r = tables({QStringLiteral("destroy")});
        QCOMPARE(r.code, 1);
        QVERIFY(r.err.contains(QLatin1String("Unknown command 'destroy'")));
        r = tables({});
        QCOMPARE(r.code, 1);
        r = tables({QStringLiteral("--version")});
        QCOMPARE(r.code, 0);
        QCOMPARE(r.out, QStringLiteral("kvilbro-tables 3.8\n"));
    }

    void createRefusesToOverwrite()
    {
        QTemporaryDir dir;
        Run r = tables({QStringLiteral("create"), dir.path()});
        QCOMPARE(r.code, 0);
        for (const char* f : {"stm2frim.db", "stm2manc.DB", "Bruger2.db"})
            QVERIFY(QFile::exists(dir.filePath(QString::fromLatin1(f))));
        { // the program opens what the tool made
            Database db(dir.path());
            TableView areas(db, TableId::Areas, {QStringLiteral("National ID"), QStringLiteral("Beskrivelse")});
            areas.open();
            QVERIFY(areas.isEmpty());
        }
        QCOMPARE(tables({QStringLiteral("check"), dir.path()}).code, 0);

        runSql(dir.filePath(QStringLiteral("stm2frim.db")), "INSERT INTO stm2frim (Beskrivelse) VALUES ('Behold')");
        r = tables({QStringLiteral("create"), dir.path()});
        QCOMPARE(r.code, 1);
        QVERIFY2(r.err.contains(QLatin1String("exists already")), qPrintable(r.err));
        test::Collection probe; // unrelated; the refused create kept the row
        Q_UNUSED(probe);
        sqlite3* db = nullptr;
        sqlite3_open(QFile::encodeName(dir.filePath(QStringLiteral("stm2frim.db"))).constData(), &db);
        sqlite3_stmt* stmt = nullptr;
        sqlite3_prepare_v2(db, "SELECT count(*) FROM stm2frim", -1, &stmt, nullptr);
        QCOMPARE(sqlite3_step(stmt), SQLITE_ROW);
        QCOMPARE(sqlite3_column_int(stmt, 0), 1);
        sqlite3_finalize(stmt);
        sqlite3_close(db);

        // One file present is enough to refuse, and nothing else is made.
        QTemporaryDir partial;
        QFile one(partial.filePath(QStringLiteral("Bruger2.db")));
        QVERIFY(one.open(QIODevice::WriteOnly));
        one.close();
        QCOMPARE(tables({QStringLiteral("create"), partial.path()}).code, 1);
        QVERIFY(!QFile::exists(partial.filePath(QStringLiteral("stm2frim.db"))));
    }

    void collectorRow()
    {
        QTemporaryDir dir;
        QCOMPARE(tables({QStringLiteral("create"), dir.path()}).code, 0);
        const QStringList args{QStringLiteral("collector"), dir.path(),
                               QStringLiteral("--name"),    QStringLiteral("Åse Møller"),
                               QStringLiteral("--address"), QStringLiteral("Søvej 3"),
                               QStringLiteral("--town"),    QStringLiteral("5000 Odense"),
                               QStringLiteral("--phone"),   QStringLiteral("66 11 22 33"),
                               QStringLiteral("--email"),   QStringLiteral("aase@example.dk"),
                               QStringLiteral("--date"),    QStringLiteral("2026-11-30")};
        QCOMPARE(tables(args).code, 0);
        QCOMPARE(tables(args).code, 0); // a second run replaces, never adds
        {
            Database db(dir.path());
            TableView collector(db, TableId::Collector);
            collector.open();
            QCOMPARE(collector.recordCount(), 1);
            QCOMPARE(collector.asText(u"Brugernavn"), QStringLiteral("Åse Møller"));
            QCOMPARE(collector.asText(u"By"), QStringLiteral("5000 Odense"));
            QCOMPARE(collector.asText(u"Email"), QStringLiteral("aase@example.dk"));
            QCOMPARE(collector.asText(u"Dato"), QStringLiteral("30.11.2026"));
        }

        // Only the fields named change; an empty one is cleared.
        QCOMPARE(tables({QStringLiteral("collector"), dir.path(), QStringLiteral("--phone"), QStringLiteral("99"),
                         QStringLiteral("--email"), QString()})
                     .code,
                 0);
        {
            Database again(dir.path());
            TableView changed(again, TableId::Collector);
            changed.open();
            QCOMPARE(changed.recordCount(), 1);
            QCOMPARE(changed.asText(u"Telefon"), QStringLiteral("99"));
            QCOMPARE(changed.asText(u"Email"), QString());
            QCOMPARE(changed.asText(u"Brugernavn"), QStringLiteral("Åse Møller"));
            QCOMPARE(changed.asText(u"Adresse"), QStringLiteral("Søvej 3"));
            QCOMPARE(changed.asText(u"Dato"), QStringLiteral("30.11.2026"));
        }

        QStringList bad = args;
        bad.last() = QStringLiteral("30-11-2026");
        const Run r = tables(bad);
        QCOMPARE(r.code, 1);
        QVERIFY(r.err.contains(QLatin1String("YYYY-MM-DD")));
    }

    // What the program looks for beside the tables comes with them, and what
    // the collector has there already stays as it is.
    void startFilesAreWrittenOnlyWhereAbsent()
    {
        QTemporaryDir outer;
        const QString dir = outer.filePath(QStringLiteral("mine/frimærker"));
        QCOMPARE(tables({QStringLiteral("create"), dir}).code, 0);
        const QStringList startFiles{QStringLiteral("Frim.bmp"), QStringLiteral("frim.bmp"),
                                     QStringLiteral("frim2.jpg"), QStringLiteral("index.html")};
        for (const QString& name : startFiles)
            QVERIFY2(QFileInfo(dir + u'/' + name).size() > 0, qPrintable(name));
        QVERIFY(QFile(dir + QStringLiteral("/index.html")).open(QIODevice::ReadOnly));

        // The collector's own help page and start picture, and a missing default picture.
        for (const QString& name : {QStringLiteral("index.html"), QStringLiteral("Frim.bmp")}) {
            QFile own(dir + u'/' + name);
            QVERIFY(own.open(QIODevice::WriteOnly | QIODevice::Truncate));
            own.write("egen");
        }
        QVERIFY(QFile::remove(dir + QStringLiteral("/frim.bmp")));
        QCOMPARE(tables({QStringLiteral("collector"), dir, QStringLiteral("--name"), QStringLiteral("Åse")}).code, 0);
        for (const QString& name : {QStringLiteral("index.html"), QStringLiteral("Frim.bmp")}) {
            QFile own(dir + u'/' + name);
            QVERIFY(own.open(QIODevice::ReadOnly));
            QCOMPARE(own.readAll(), QByteArray("egen"));
        }
        QVERIFY(QFileInfo(dir + QStringLiteral("/frim.bmp")).size() > 0);
        // No temporary file left behind.
        const QStringList expected =
            startFiles + QStringList{QStringLiteral("stm2frim.db"), QStringLiteral("stm2manc.DB"),
                                     QStringLiteral("Bruger2.db"), QStringLiteral(".kvilbro.lock")};
        for (const QString& name : QDir(dir).entryList(QDir::Files | QDir::Hidden))
            QVERIFY2(expected.contains(name), qPrintable(name));

        // start-files puts back what is missing, and only that.
        QVERIFY(QFile::remove(dir + QStringLiteral("/frim2.jpg")));
        QCOMPARE(tables({QStringLiteral("start-files"), dir}).code, 0);
        QVERIFY(QFileInfo(dir + QStringLiteral("/frim2.jpg")).size() > 0);
        QFile help(dir + QStringLiteral("/index.html"));
        QVERIFY(help.open(QIODevice::ReadOnly));
        QCOMPARE(help.readAll(), QByteArray("egen"));

        // The demo makes its folder too.
        QCOMPARE(tables({QStringLiteral("demo"), outer.filePath(QStringLiteral("demo/ny"))}).code, 0);
    }

    // Made aside and moved into place, the demo's pictures are named where they end up.
    void demoPicturesNamedForTheFinalFolder()
    {
        QTemporaryDir dir;
        const QString aside = dir.filePath("ny");
        const QString final = dir.filePath("demo");
        QVERIFY(QDir().mkpath(aside));
        QCOMPARE(tables({QStringLiteral("demo"), aside, QStringLiteral("--final-dir"), final}).code, 0);
        QVERIFY(QDir().rename(aside, final));
        Database db(final);
        TableView numbers(db, TableId::Numbers);
        numbers.open();
        int found = 0;
        for (numbers.first(); !numbers.eof(); numbers.next()) {
            const QString picture = numbers.asText(u"Billede");
            if (picture.isEmpty() || picture.endsWith("dk-021.jpg"))
                continue; // none, or the one that is missing on purpose
            QVERIFY2(picture.startsWith(final) && QFile::exists(picture), qPrintable(picture));
            ++found;
        }
        QVERIFY(found >= 20);
    }

    void demoCollection()
    {
        QTemporaryDir dir;
        const Run r = tables({QStringLiteral("demo"), dir.path()});
        QCOMPARE(r.code, 0);
        QCOMPARE(tables({QStringLiteral("check"), dir.path()}).code, 0);

        Database db(dir.path());
        const CollectionViews views(db, CollectionWindow::AllInformationList);
        TableView& areas = views.areas();
        TableView& numbers = views.numbers();
        TableView& collector = views.collector();
        QVERIFY(!collector.asText(u"Brugernavn").isEmpty());
        QVERIFY(areas.recordCount() >= 3);

        int largest = 0;
        bool variant = false, gap = false, danishRemark = false;
        QSet<QString> marked;
        for (areas.first(); !areas.eof(); areas.next()) {
            largest = std::max(largest, numbers.recordCount());
            qint64 previous = 0;
            for (numbers.first(); !numbers.eof(); numbers.next()) {
                const qint64 n = numbers.asInteger(u"Nummer");
                gap = gap || n > previous + 1;
                previous = n;
                variant = variant || (n == 714 && numbers.asText(u"Type") == QLatin1String("Ch"));
                for (const char16_t* mark : {u"***", u"*", u"O"}) {
                    if (!numbers.asText(mark).isEmpty())
                        marked << QString::fromUtf16(mark);
                }
                const QString remark = numbers.asText(u"Bemærkning");
                danishRemark = danishRemark || remark.contains(QRegularExpression(QStringLiteral("[æøåÆØÅ]")));
            }
        }
        QVERIFY(largest >= 500);
        QVERIFY(variant);
        QVERIFY(gap);
        QVERIFY(danishRemark);
        QCOMPARE(marked.size(), 3);
        QVERIFY(numbers.locate({QStringLiteral("Nummer"), QStringLiteral("Type")}, {QStringLiteral("714"), QString()},
                               false) ||
                true); // the last area need not hold 714
    }

    void checkFindsFaults_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("damage");
        QTest::addColumn<QString>("expected");
        QTest::newRow("missing file") << "Bruger2.db"
                                      << "remove"
                                      << "Bruger2.db: the file is missing.";
        QTest::newRow("missing index")
            << "stm2manc.DB"
            << "DROP INDEX stm2manc_order"
            << "stm2manc.DB: the index on (Land, Stamoplysning, Nummer, Type, Tæller) is missing.";
        QTest::newRow("damaged") << "stm2manc.DB"
                                 << "garble"
                                 << "Tabelfilen stm2manc.DB er beskadiget";
        QTest::newRow("not a database") << "stm2frim.db"
                                        << "text"
                                        << "Filen stm2frim.db er ikke en tabelfil";
        // The same verdicts as the program's, and the values it could not use.
        QTest::newRow("a trigger") << "stm2manc.DB"
                                   << "CREATE TRIGGER t AFTER INSERT ON stm2manc BEGIN SELECT 1; END"
                                   << "udløseren (trigger) t";
        QTest::newRow("a number that is none") << "stm2manc.DB"
                                               << "UPDATE stm2manc SET Nummer = 'abc' WHERE \"Tæller\" = 5"
                                               << "stm2manc.DB, række 5: feltet 'Nummer' er ikke et helt tal";
        QTest::newRow("a text too long") << "stm2manc.DB"
                                         << "UPDATE stm2manc SET O = 'xxxx' WHERE \"Tæller\" = 7"
                                         << "stm2manc.DB, række 7: feltet 'O' er længere end 3 tegn";
    }

    void checkFindsFaults()
    {
        QFETCH(QString, file);
        QFETCH(QString, damage);
        QFETCH(QString, expected);
        QTemporaryDir dir;
        QCOMPARE(tables({QStringLiteral("demo"), dir.path()}).code, 0);
        const QString path = dir.filePath(file);
        if (damage == QLatin1String("remove")) {
            QVERIFY(QFile::remove(path));
        } else if (damage == QLatin1String("garble") || damage == QLatin1String("text")) {
            QFile f(path);
            QVERIFY(f.open(QIODevice::ReadWrite));
            const qint64 from = damage == QLatin1String("text") ? 0 : 4096 * 3;
            f.seek(from);
            f.write(QByteArray(int(f.size() - from), '\x33'));
        } else {
            runSql(path, damage.toUtf8().constData());
        }
        const Run r = tables({QStringLiteral("check"), dir.path()});
        QCOMPARE(r.code, 1);
        QVERIFY2(r.err.contains(expected), qPrintable(r.err));
    }
};

QTEST_GUILESS_MAIN(TablesToolTest)
#include "tst_tablestool.moc"
