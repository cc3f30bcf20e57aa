// The demo collection's pictures: real JPEG and bitmap files that the panel
// can show, the three pictures of the working folder, and Billede paths.
#include "Collection.h"
#include "Database.h"
#include "DemoPictures.h"
#include "PictureFile.h"
#include "PictureLoader.h"
#include "TableFiles.h"
#include "TableView.h"

#include <QDirIterator>
#include <QTemporaryDir>
#include <QTest>

using namespace kvilbro;

class DemoPicturesTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { test::pinEnvironment(); }

    void demoNumbersShowPictures()
    {
        QTemporaryDir dir;
        tablefiles::writeDemo(dir.path());
        for (const char* name : {"Frim.bmp", "frim.bmp", "frim2.jpg"})
            QVERIFY2(isPictureFile(dir.filePath(name)) && !loadPicture(dir.filePath(name)).isNull(), name);

        Database db(dir.path());
        TableView numbers(db, TableId::Numbers);
        numbers.open();
        int shown = 0, missing = 0;
        bool small = false, large = false, tall = false, wide = false, bitmap = false, jpeg = false;
        for (numbers.first(); !numbers.eof(); numbers.next()) {
            const QString path = numbers.asText(u"Billede");
            if (path.isEmpty())
                continue;
            QVERIFY(QFileInfo(path).isAbsolute());
            QVERIFY(path.startsWith(QDir(dir.path()).absolutePath()));
            if (!isPictureFile(path)) {
                ++missing;
                continue;
            }
            const QSize size = loadPicture(path).size();
            ++shown;
            small = small || std::max(size.width(), size.height()) <= 100;
            large = large || size.width() * size.height() >= 4000000;
            tall = tall || size.height() >= 3 * size.width();
            wide = wide || size.width() >= 3 * size.height();
            bitmap = bitmap || path.endsWith(".bmp");
            jpeg = jpeg || path.endsWith(".jpg") || path.endsWith(".JPG");
        }
        QVERIFY(shown >= 20);
        QCOMPARE(missing, 1);
        QVERIFY(small && large && tall && wide && bitmap && jpeg);

        qint64 bytes = 0;
        for (QDirIterator it(dir.path(), QDir::Files, QDirIterator::Subdirectories); it.hasNext();)
            bytes += QFileInfo(it.next()).size();
        QVERIFY2(bytes < 4 << 20, qPrintable(QString::number(bytes)));
    }

    // A path that would not fit in Billede is stored relative to the collection.
    void longFolderGivesRelativePaths()
    {
        QTemporaryDir dir;
        const QHash<QString, QString> paths = tablefiles::writeDemoPictures(dir.path(), 20);
        QVERIFY(!paths.isEmpty());
        for (const QString& path : paths)
            QVERIFY2(path.startsWith("billeder/") && path.size() <= 20, qPrintable(path));
    }
};

QTEST_GUILESS_MAIN(DemoPicturesTest)
#include "tst_demopictures.moc"
