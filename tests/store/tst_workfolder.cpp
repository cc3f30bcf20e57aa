// Work folders: the next run removes what a killed one left, and nothing else.
#include "WorkFolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utime.h>

using namespace kvilbro;

namespace {

void makeFile(const QString& path)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("x");
}

void age(const QString& path)
{
    const utimbuf old{1000000000, 1000000000};
    QCOMPARE(::utime(QFile::encodeName(path).constData(), &old), 0);
}

} // namespace

class WorkFolderTest : public QObject {
    Q_OBJECT

private slots:
    void abandonedFoldersAreRemoved()
    {
        QTemporaryDir parent;
        QTemporaryDir outside;
        const QString prefix = QStringLiteral(".kvilbro-test-");
        WorkFolder live(parent.path(), prefix);
        QVERIFY2(live.isValid(), qPrintable(live.errorString()));
        makeFile(QDir(live.path()).filePath("part"));

        const QDir dir(parent.path());
        // Left by a kill: its lock file is there, nobody holds it.
        QVERIFY(dir.mkdir(prefix + "killed"));
        makeFile(dir.filePath(prefix + "killed/" + WorkFolder::lockFileName()));
        // Without a lock file: just made by another program, or left long ago.
        QVERIFY(dir.mkdir(prefix + "new"));
        QVERIFY(dir.mkdir(prefix + "old"));
        age(dir.filePath(prefix + "old"));
        // Held by another open file of a living program.
        QVERIFY(dir.mkdir(prefix + "held"));
        makeFile(dir.filePath(prefix + "held/" + WorkFolder::lockFileName()));
        const int held =
            ::open(QFile::encodeName(dir.filePath(prefix + "held/" + WorkFolder::lockFileName())).constData(), O_RDWR);
        QVERIFY(held >= 0 && ::flock(held, LOCK_EX | LOCK_NB) == 0);
        // A link with the same name leads outside: never followed, never removed.
        makeFile(QDir(outside.path()).filePath("keep"));
        age(outside.path());
        QVERIFY(QFile::link(outside.path(), dir.filePath(prefix + "link")));
        // Another command's folder.
        QVERIFY(dir.mkdir(".kvilbro-other-old"));
        age(dir.filePath(".kvilbro-other-old"));

        const QStringList removed = WorkFolder::removeAbandoned(parent.path(), prefix);
        ::close(held);
        QCOMPARE(removed.size(), 2);
        const QStringList left = dir.entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
        QVERIFY2(!left.contains(prefix + "killed") && !left.contains(prefix + "old"), qPrintable(left.join(' ')));
        for (const QString& kept : {prefix + "new", prefix + "held", prefix + "link", QString(".kvilbro-other-old")})
            QVERIFY2(left.contains(kept), qPrintable(kept));
        QVERIFY(left.contains(QDir(live.path()).dirName()));
        QVERIFY(QFile::exists(QDir(outside.path()).filePath("keep")));
    }

    void finishedFolderIsMovedWithoutItsLock()
    {
        QTemporaryDir parent;
        QString target = QDir(parent.path()).filePath("done");
        {
            WorkFolder work(parent.path(), QStringLiteral(".kvilbro-test-"));
            makeFile(QDir(work.path()).filePath("result"));
            QVERIFY(work.moveTo(target));
        }
        QCOMPARE(QDir(target).entryList(QDir::Files | QDir::Hidden), QStringList{"result"});
        QCOMPARE(QDir(parent.path()).entryList(QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot), QStringList{"done"});
        {
            WorkFolder failed(parent.path(), QStringLiteral(".kvilbro-test-"));
            QVERIFY(!failed.moveTo(QDir(parent.path()).filePath("missing/below")));
            // Still its maker's after a failed rename, however old.
            age(failed.path());
            QVERIFY(WorkFolder::removeAbandoned(parent.path(), QStringLiteral(".kvilbro-test-")).isEmpty());
            QVERIFY(QFileInfo::exists(failed.path()));
        }
        QCOMPARE(QDir(parent.path()).entryList(QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot), QStringList{"done"});
    }
};

QTEST_GUILESS_MAIN(WorkFolderTest)
#include "tst_workfolder.moc"
