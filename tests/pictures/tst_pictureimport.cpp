// The mass import without its window: which file goes to which number, the
// bytes of Fejl.txt, and what a failing report file or engine leaves behind.
#include "Collection.h"
#include "Error.h"
#include "FileFaults.h"
#include "MainViews.h"
#include "PictureFileList.h"
#include "PictureFileName.h"
#include "PictureImport.h"
#include "TableView.h"
#include "TestPictures.h"

#include <QDir>
#include <QLocale>
#include <QTest>

#include <sys/stat.h>

using namespace kvilbro;
using namespace kvilbro::test;

namespace {

const QDate Today(2026, 12, 10);

QString pictureOf(const Collection& c, const QString& where)
{
    return c.scalar("SELECT Billede FROM stm2manc WHERE " + where).toString();
}

// The checked-in report with the date and the folder filled in.
QByteArray expectedReport(const QString& golden, const QString& folder)
{
    QByteArray bytes = fileBytes(QString(KVILBRO_GOLDEN_DIR) + "/" + golden);
    bytes.replace("{DATO}", QLocale().toString(Today, QLocale::ShortFormat).toLatin1());
    bytes.replace("{MAPPE}", folder.toLatin1());
    return bytes;
}

void touch(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        qFatal("cannot create %s", qPrintable(path));
}

} // namespace

class PictureImportTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { pinEnvironment(); }

    void init()
    {
        c = std::make_unique<Collection>();
        c->addArea("DK", "Danmark");
        c->addArea("IS", "Island");
        c->addNumber("DK", "Danmark", 713);
        c->addNumber("DK", "Danmark", 714);
        c->addNumber("DK", "Danmark", 714, "Ch");
        c->addNumber("DK", "Danmark", 714, "ABCDEFGHIJ");
        c->addNumber("DK", "Danmark", 2147483647);
        c->addNumber("DK", "Danmark", 0);
        c->addNumber("IS", "Island", 715);
        QDir(c->path()).mkdir("b");
        folder = c->path() + "/b";
        views = std::make_unique<MainViews>(c->path());
    }
    void cleanup()
    {
        views.reset();
        c.reset();
    }

    void fileNamesAreReadAsNumberAndType_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("number");
        QTest::addColumn<QString>("type");
        QTest::newRow("plain") << "714.jpg"
                               << "714"
                               << "";
        QTest::newRow("variant") << "714Ch.jpg"
                                 << "714"
                                 << "Ch";
        QTest::newRow("leading zero") << "0714Ch.bmp"
                                      << "714"
                                      << "Ch";
        QTest::newRow("second dot") << "714Ch.old.jpg"
                                    << "714"
                                    << "Ch";
        QTest::newRow("case kept") << "714ch.JPG"
                                   << "714"
                                   << "ch";
        QTest::newRow("space kept") << "714 Ch.jpg"
                                    << "714"
                                    << " Ch";
        QTest::newRow("no number") << "Ch714.jpg"
                                   << ""
                                   << "Ch714";
        QTest::newRow("type cut at 10") << "714ABCDEFGHIJKL.jpg"
                                        << "714"
                                        << "ABCDEFGHIJ";
        QTest::newRow("many zeros") << "000000000000000000000714.jpg"
                                    << "714"
                                    << "";
        QTest::newRow("zero") << "000.jpg"
                              << "0"
                              << "";
        QTest::newRow("largest") << "2147483647.jpg"
                                 << "2147483647"
                                 << "";
        QTest::newRow("past largest") << "2147483648.jpg"
                                      << ""
                                      << "";
        QTest::newRow("far past largest") << "99999999999999999999999.jpg"
                                          << ""
                                          << "";
        QTest::newRow("other digits") << "٧١٤.jpg"
                                      << ""
                                      << "٧١٤";
        QTest::newRow("no dot") << "714Ch"
                                << "714"
                                << "Ch";
    }
    void fileNamesAreReadAsNumberAndType()
    {
        QFETCH(QString, name);
        QFETCH(QString, number);
        QFETCH(QString, type);
        const PictureFileName parsed(name);
        QCOMPARE(parsed.number, number);
        QCOMPARE(parsed.typePart, type);
        QCOMPARE(parsed.canMatch(), !number.isEmpty());
    }

    // The examples: 714 and 714 Ch in the current area, 715 only in another.
    void eachFileGoesToTheNumberItsNameSpells_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("attachedTo"); // a WHERE clause, or empty when listed
        QTest::newRow("714.jpg") << "714.jpg"
                                 << "Nummer = 714 AND Type IS NULL";
        QTest::newRow("714Ch.jpg") << "714Ch.jpg"
                                   << "Nummer = 714 AND Type = 'Ch'";
        QTest::newRow("0714Ch.bmp") << "0714Ch.bmp"
                                    << "Nummer = 714 AND Type = 'Ch'";
        QTest::newRow("714Ch.old.jpg") << "714Ch.old.jpg"
                                       << "Nummer = 714 AND Type = 'Ch'";
        QTest::newRow("714ch.JPG") << "714ch.JPG"
                                   << "";
        QTest::newRow("714 Ch.jpg") << "714 Ch.jpg"
                                    << "";
        QTest::newRow("Ch714.jpg") << "Ch714.jpg"
                                   << "";
        QTest::newRow("715.jpg, other area") << "715.jpg"
                                             << "";
        QTest::newRow("714ABCDEFGHIJKL.jpg") << "714ABCDEFGHIJKL.jpg"
                                             << "Nummer = 714 AND Type = 'ABCDEFGHIJ'";
        QTest::newRow("716.jpg, nowhere") << "716.jpg"
                                          << "";
        QTest::newRow("zero") << "0.jpg"
                              << "Nummer = 0";
        QTest::newRow("largest") << "2147483647.jpg"
                                 << "Nummer = 2147483647";
        QTest::newRow("past largest") << "2147483648.jpg"
                                      << "";
        QTest::newRow("714.Jpg") << "714.Jpg"
                                 << "Nummer = 714 AND Type IS NULL";
    }
    void eachFileGoesToTheNumberItsNameSpells()
    {
        QFETCH(QString, name);
        QFETCH(QString, attachedTo);
        const PictureImportResult result = PictureImport::run(views->numbers, folder, {name}, folder, Today);
        const QString full = folder + "/" + name;
        if (attachedTo.isEmpty()) {
            QCOMPARE(result.attached, 0);
            QCOMPARE(result.listed, QStringList{full});
            QCOMPARE(c->count("stm2manc", "Billede IS NOT NULL"), 0);
        } else {
            QCOMPARE(result.attached, 1);
            QVERIFY(result.listed.isEmpty());
            QCOMPARE(c->count("stm2manc", "Billede IS NOT NULL"), 1);
            QCOMPARE(pictureOf(*c, attachedTo), full);
            // The view stands on the number that got it.
            QCOMPARE(views->numbers.asText(u"Billede"), full);
        }
    }

    void laterFileForTheSameNumberWins()
    {
        const auto result = PictureImport::run(views->numbers, folder, {"714.bmp", "714.jpg"}, folder, Today);
        QCOMPARE(result.attached, 2);
        QCOMPARE(pictureOf(*c, "Nummer = 714 AND Type IS NULL"), folder + "/714.jpg");
    }

    void onlyTheFirstOfTwoEqualRowsGetsThePicture()
    {
        views.reset();
        const qint64 second = c->addNumber("DK", "Danmark", 714, "Ch", {}, {}, "anden");
        views = std::make_unique<MainViews>(c->path());
        PictureImport::run(views->numbers, folder, {"714Ch.jpg"}, folder, Today);
        QCOMPARE(c->count("stm2manc", "Billede IS NOT NULL"), 1);
        QVERIFY(c->scalar(QString("SELECT Billede FROM stm2manc WHERE Tæller = %1").arg(second)).isNull());
    }

    void theViewEndsOnTheLastNumberThatGotAPicture()
    {
        views->numbers.last();
        const qint64 before = views->numbers.currentRowId();
        PictureImport::run(views->numbers, folder, {"nothing.jpg", "716.jpg"}, folder, Today);
        QCOMPARE(views->numbers.currentRowId(), before);

        PictureImport::run(views->numbers, folder, {"713.jpg", "714Ch.jpg", "716.jpg", "x.jpg"}, folder, Today);
        QCOMPARE(views->numbers.asText(u"Nummer"), QString("714"));
        QCOMPARE(views->numbers.asText(u"Type"), QString("Ch"));
    }

    void aRowLeftInEditIsStoredByTheFirstLocate()
    {
        views->numbers.edit();
        views->numbers.setText(u"Bemærkning", "skrevet før import");
        PictureImport::run(views->numbers, folder, {"716.jpg"}, folder, Today);
        QCOMPARE(views->numbers.state(), TableView::State::Browse);
        QCOMPARE(c->count("stm2manc", "Bemærkning = 'skrevet før import'"), 1);
    }

    void aPathTheFieldCannotHoldIsListedNotCut()
    {
        const QString deep = folder + "/" + QString(75 - folder.size() - 1 - 7, u'd');
        QVERIFY(QDir().mkpath(deep));
        // "/714.jpg" after it is eight characters: one more than Billede holds.
        const auto result = PictureImport::run(views->numbers, deep, {"714.jpg", "713.jpg"}, folder, Today);
        QCOMPARE(result.attached, 0);
        QCOMPARE(result.pathTooLong, (QStringList{deep + "/714.jpg", deep + "/713.jpg"}));
        QCOMPARE(result.listed, result.pathTooLong);
        QCOMPARE(c->count("stm2manc", "Billede IS NOT NULL"), 0);
        QVERIFY(fileBytes(folder + "/Fejl.txt").contains((deep + "/714.jpg\r\n").toLatin1()));

        // Exactly 75 characters is stored.
        const QString fits = deep.chopped(1);
        QCOMPARE((fits + "/714.jpg").size(), 75);
        QCOMPARE(PictureImport::run(views->numbers, fits, {"714.jpg"}, folder, Today).attached, 1);
        QCOMPARE(pictureOf(*c, "Nummer = 714 AND Type IS NULL"), fits + "/714.jpg");
    }

    void aPathInAnotherNormalFormIsStoredAsItIs()
    {
        views.reset();
        c->addNumber("DK", "Danmark", 714, "å");
        views = std::make_unique<MainViews>(c->path());
        // "å" as a + combining ring names another file than the composed letter.
        const QString decomposed = QString("714") + QChar(u'a') + QChar(0x030A) + ".jpg";
        QCOMPARE(PictureImport::run(views->numbers, folder, {decomposed}, folder, Today).attached, 1);
        QCOMPARE(pictureOf(*c, "Type = 'å'"), folder + "/" + decomposed);
    }

    void theReportIsWrittenByteForByte()
    {
        const QStringList names{"714 Ch.jpg", "714.jpg", "714Ch.jpg", "715.jpg", "Ch714.jpg", "Ł714æ.jpg"};
        const auto result = PictureImport::run(views->numbers, folder, names, folder, Today);
        QCOMPARE(result.attached, 2);
        QCOMPARE(fileBytes(folder + "/Fejl.txt"), expectedReport("fejl-listed.txt", folder));
        QCOMPARE(PictureImport::readReport(folder + "/Fejl.txt").count(u'\n'), 29);

        // Everything attached, or nothing chosen: lines 1 to 6 and the all-clear.
        PictureImport::run(views->numbers, folder, {"714.jpg"}, folder, Today);
        QCOMPARE(fileBytes(folder + "/Fejl.txt"), expectedReport("fejl-none.txt", folder));
        PictureImport::run(views->numbers, folder, {}, folder, Today);
        QCOMPARE(fileBytes(folder + "/Fejl.txt"), expectedReport("fejl-none.txt", folder));
        // Nothing else: no other spelling of the name.
        QCOMPARE(QDir(folder).entryList(QDir::Files), QStringList{"Fejl.txt"});
    }

    void aReportThatCannotBeCreatedAttachesNothing_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("folder in its place") << "folder";
        QTest::newRow("pipe in its place") << "pipe";
        QTest::newRow("folder gone") << "gone";
        QTest::newRow("read-only folder") << "read-only";
    }
    void aReportThatCannotBeCreatedAttachesNothing()
    {
        QFETCH(QString, kind);
        QString reportFolder = folder;
        if (kind == "folder")
            QVERIFY(QDir(folder).mkdir("Fejl.txt"));
        else if (kind == "pipe")
            QCOMPARE(::mkfifo(QFile::encodeName(folder + "/Fejl.txt").constData(), 0600), 0);
        else if (kind == "gone")
            reportFolder = folder + "/gone";
        else // read-only even for the super-user
            reportFolder = "/proc";
        try {
            PictureImport::run(views->numbers, folder, {"714.jpg"}, reportFolder, Today);
            QFAIL("no error");
        } catch (const Error& e) {
            QVERIFY2(e.message().startsWith("Filen " + reportFolder + "/Fejl.txt kan ikke skrives: "),
                     qPrintable(e.message()));
        }
        QCOMPARE(c->count("stm2manc", "Billede IS NOT NULL"), 0);
    }

    void aFullDiskStopsTheImportAndKeepsWhatWasAttached()
    {
        // Enough unmatched names to fill the report's buffer several times.
        QStringList names;
        for (int i = 0; i < 3000; ++i)
            names << QString("ingen-nummer-%1-med-et-langt-navn.jpg").arg(i, 4, 10, QChar(u'0'));
        names.prepend("713.jpg");
        names.append("714.jpg");
        // Room for the table files, not for the whole report.
        FileSizeLimit full(100 * 1024);
        QVERIFY_THROWS_EXCEPTION(Error, PictureImport::run(views->numbers, folder, names, folder, Today));
        QCOMPARE(pictureOf(*c, "Nummer = 713"), folder + "/713.jpg");
        QCOMPARE(c->count("stm2manc", "Nummer = 714 AND Billede IS NOT NULL"), 0);
    }

    void aReadOnlyCollectionWritesNoReport()
    {
        views.reset();
        c->closeConnections();
        for (const char* name : {"stm2frim.db", "stm2manc.DB", "Bruger2.db"})
            QFile::setPermissions(c->file(name), QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);
        views = std::make_unique<MainViews>(c->path());
        QVERIFY_THROWS_EXCEPTION(Error, PictureImport::run(views->numbers, folder, {"714.jpg"}, folder, Today));
        QVERIFY(!QFile::exists(folder + "/Fejl.txt"));
    }

    void tenThousandFilesInOneFolder()
    {
        views.reset();
        c->exec("DELETE FROM stm2manc");
        for (int n = 1; n <= 10000; ++n)
            c->addNumber("DK", "Danmark", n);
        views = std::make_unique<MainViews>(c->path());
        for (int n = 1; n <= 10000; ++n)
            touch(QString("%1/%2.jpg").arg(folder).arg(n));
        const QStringList names = PictureFileList::pictureNames(folder);
        QCOMPARE(names.size(), 10000);
        const auto result = PictureImport::run(views->numbers, folder, names, folder, Today);
        QCOMPARE(result.attached, 10000);
        QCOMPARE(c->count("stm2manc", "Billede = '" + folder + "/' || Nummer || '.jpg'"), 10000);
    }

    void theFileListHoldsOrdinaryPictureFilesSortedByName()
    {
        for (const char* name : {"b.JPG", "a.jpg", "C.Bmp", "d.png", ".hidden.jpg", "e.jpeg", "f.jpg.txt", "Fejl.txt"})
            touch(folder + "/" + name);
        QVERIFY(QDir(folder).mkdir("dir.jpg"));
        QCOMPARE(::mkfifo(QFile::encodeName(folder + "/pipe.jpg").constData(), 0600), 0);
        QVERIFY(QFile::link(folder + "/gone.jpg", folder + "/dangling.jpg"));
        QVERIFY(QFile::link(folder + "/a.jpg", folder + "/link.jpg"));
        QCOMPARE(PictureFileList::pictureNames(folder), (QStringList{"a.jpg", "b.JPG", "C.Bmp", "link.jpg"}));
    }

private:
    std::unique_ptr<Collection> c;
    std::unique_ptr<MainViews> views;
    QString folder;
};

QTEST_MAIN(PictureImportTest)
#include "tst_pictureimport.moc"
