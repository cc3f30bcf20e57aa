// Start-up: the settings file, the window as the collector first sees it, and
// what happens when a table or the settings file cannot be used.
#include "MainWindowFixture.h"
#include "PicturePanel.h"

#include "BevelPanel.h"
#include "DBEdit.h"
#include "DBGrid.h"
#include "Error.h"
#include "ErrorGuard.h"
#include "Gauge.h"
#include "Settings.h"
#include "TableFiles.h"
#include "TableView.h"

#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QMenuBar>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <sys/resource.h>

using namespace kvilbro;
using namespace kvilbro::test;

class StartupTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { pinEnvironment(); }

    void windowAtStart()
    {
        MainWindowFixture f(fillSample);
        TForm2& w = f.window();
        QCOMPARE(w.windowTitle(), QStringLiteral("Kvilbro ver. 3,8"));
        QCOMPARE(w.frameGeometry().size(), QSize(956, 663));
        QCOMPARE(QApplication::focusWidget(), w.DBGrid1);
        QCOMPARE(w.Table1->asText(u"Beskrivelse"), QStringLiteral("Danmark"));
        QCOMPARE(w.DBGrid2->model()->rowCount(), 5);
        QCOMPARE(w.DBEdit1->text(), QStringLiteral("Jens Ærø"));
        QCOMPARE(w.DBEdit2->text(), QStringLiteral("Vejen 1"));
        QCOMPARE(w.DBEdit3->text(), QStringLiteral("8000 Århus C"));
        QVERIFY(!w.CheckBox1->isChecked());
        QVERIFY(w.Label2->isHidden());
        QVERIFY(w.Gauge1->isHidden());
        QVERIFY(w.Panel5->isHidden());
        QVERIFY(f.dialogs.shown().isEmpty());
        QCOMPARE(Settings::current().helpDocument, QStringLiteral("index.html"));
        // The gauge stretches with the window, keeping its distance to the right edge.
        const int right = w.Panel4->width() - w.Gauge1->geometry().right();
        w.resize(w.width() + 100, w.height());
        QTRY_COMPARE(w.Panel4->width() - w.Gauge1->geometry().right(), right);
    }

    void emptyAreasTableStarts()
    {
        MainWindowFixture f;
        QVERIFY(f.window().Table1->isEmpty());
        QCOMPARE(f.window().DBGrid1->model()->rowCount(), 0);
        QVERIFY(f.dialogs.shown().isEmpty());
    }

    // A collection made as the README says, in a folder that did not exist.
    void aFolderMadeByTheToolStartsWithoutAMessage()
    {
        QTemporaryDir outer;
        const QString dir = outer.filePath("ny/samling");
        tablefiles::create(dir);
        const QString before = QDir::currentPath();
        QDir::setCurrent(dir);
        {
            ScriptedDialogs dialogs;
            ErrorGuard::setDialogs(&dialogs);
            Program program(dialogs);
            QVERIFY(program.start());
            QVERIFY2(dialogs.shown().isEmpty(), qPrintable(dialogs.messages().join(u'|')));
            QVERIFY(QFile::exists(dir + "/MankoSys.stm"));
            QVERIFY(!program.mainWindow()->picturePanel().picture().isNull());
            ErrorGuard::setDialogs(nullptr);
        }
        QDir::setCurrent(before);
    }

    void settingsFileBytes()
    {
        // A working directory with Danish letters in its name, and a settings
        // file left (and edited) by an earlier run.
        QTemporaryDir outer;
        const QString dir = outer.filePath("Frimærker på Ærø");
        QVERIFY(QDir().mkpath(dir));
        tablefiles::create(dir);
        QVERIFY(QFile::remove(dir + "/Frim.bmp"));
        QFile old(dir + "/MankoSys.stm");
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("C:\\gammel\\frim.bmp\r\nhand edited\r\n\r\nextra line\r\n");
        old.close();

        const QString before = QDir::currentPath();
        QDir::setCurrent(dir);
        {
            ScriptedDialogs dialogs;
            ErrorGuard::setDialogs(&dialogs);
            Program program(dialogs);
            QVERIFY(program.start());
            // The start picture removed: one error box, and start-up goes on.
            QCOMPARE(dialogs.messages().size(), 1);
            QVERIFY2(dialogs.messages().first().contains(QDir(dir).absoluteFilePath("Frim.bmp")),
                     qPrintable(dialogs.messages().first()));
            QCOMPARE(Settings::current().defaultPicture, QDir(dir).absoluteFilePath("frim.bmp"));
            QCOMPARE(Settings::current().reportPicture, QDir(dir).absoluteFilePath("frim2.jpg"));
            QCOMPARE(Settings::current().readmeFile, QDir(dir).absoluteFilePath("readme.html"));
            ErrorGuard::setDialogs(nullptr);
        }
        QDir::setCurrent(before);

        QFile written(dir + "/MankoSys.stm");
        QVERIFY(written.open(QIODevice::ReadOnly));
        const QByteArray bytes = written.readAll();
        const QString full = QDir(dir).absolutePath();
        QStringEncoder ansi("windows-1252");
        const QByteArray expected =
            ansi.encode(full + "/frim.bmp\r\n" + full + "/frim2.jpg\r\n" + full + "/readme.html\r\n");
        QCOMPARE(bytes, expected);
        QVERIFY(bytes.contains("Frim\xe6rker p\xe5 \xc6r\xf8")); // single bytes, not UTF-8
    }

    // The settings file replaces a symbolic link of its name instead of
    // writing through it, and a full disk leaves the old file and says so.
    void settingsFileWrittenSafely_data()
    {
        QTest::addColumn<bool>("link");
        QTest::addColumn<bool>("diskFull");
        QTest::newRow("through a link") << true << false;
        QTest::newRow("link, disk full") << true << true;
        QTest::newRow("old file, disk full") << false << true;
    }
    void settingsFileWrittenSafely()
    {
        QFETCH(bool, link);
        QFETCH(bool, diskFull);
        QTemporaryDir dir;
        const QByteArray own("the collector's own text\r\n");
        const QString kept = dir.filePath(link ? "andet.txt" : "MankoSys.stm");
        QFile other(kept);
        QVERIFY(other.open(QIODevice::WriteOnly));
        other.write(own);
        other.close();
        if (link)
            QVERIFY(QFile::link(kept, dir.filePath("MankoSys.stm")));
        const QString before = QDir::currentPath();
        QDir::setCurrent(dir.path());
        Settings settings;
        settings.setPathsFromWorkingDirectory();
        QString error;
        {
            rlimit saved{};
            getrlimit(RLIMIT_FSIZE, &saved);
            const auto savedSignal = std::signal(SIGXFSZ, SIG_IGN);
            if (diskFull) {
                rlimit tiny = saved;
                tiny.rlim_cur = 16;
                setrlimit(RLIMIT_FSIZE, &tiny);
            }
            try {
                settings.writeFile();
            } catch (const Error& e) {
                error = e.message();
            }
            setrlimit(RLIMIT_FSIZE, &saved);
            std::signal(SIGXFSZ, savedSignal);
        }
        QDir::setCurrent(before);
        QFile target(kept);
        QVERIFY(target.open(QIODevice::ReadOnly));
        QCOMPARE(target.readAll(), own);
        // No temporary file left beside it.
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::System).size(), link ? 2 : 1);
        if (diskFull) {
            QVERIFY2(error.startsWith("Indstillingsfilen " + dir.filePath("MankoSys.stm") + " kan ikke skrives: "),
                     qPrintable(error));
            QCOMPARE(QFileInfo(dir.filePath("MankoSys.stm")).isSymLink(), link);
        } else {
            QVERIFY2(error.isEmpty(), qPrintable(error));
            QVERIFY(!QFileInfo(dir.filePath("MankoSys.stm")).isSymLink());
            QFile written(dir.filePath("MankoSys.stm"));
            QVERIFY(written.open(QIODevice::ReadOnly));
            QCOMPARE(written.readAll().count("\r\n"), 3);
        }
    }

    void missingTableIsFatal_data()
    {
        QTest::addColumn<QString>("file");
        QTest::newRow("areas") << "stm2frim.db";
        QTest::newRow("numbers") << "stm2manc.DB";
        QTest::newRow("collector") << "Bruger2.db";
    }

    void missingTableIsFatal()
    {
        QFETCH(QString, file);
        Collection c;
        QVERIFY(QFile::remove(c.file(file)));
        const QString before = QDir::currentPath();
        QDir::setCurrent(c.path());
        ScriptedDialogs dialogs;
        ErrorGuard::setDialogs(&dialogs);
        {
            Program program(dialogs);
            QCOMPARE(program.run(), 1);
            QCOMPARE(program.mainWindow(), nullptr); // nothing was shown
        }
        ErrorGuard::setDialogs(nullptr);
        QDir::setCurrent(before);
        QCOMPARE(dialogs.shown().size(), 1);
        const auto fatal = dialogs.shown().first();
        QCOMPARE(fatal.kind, QStringLiteral("fatal"));
        QCOMPARE(fatal.caption, QStringLiteral("Application Error"));
        QVERIFY2(fatal.text.startsWith("Fejl i tabelmotoren: ") && fatal.text.contains(file), qPrintable(fatal.text));
        QVERIFY(!QFile::exists(c.file(file))); // nothing creates a missing table
        QVERIFY(!QFile::exists(c.file("MankoSys.stm")));
    }

    void settingsFileFailureGoesOn()
    {
        MainWindowFixture* f = nullptr;
        Collection* keep = nullptr;
        // The settings file's name is taken by a folder, so it cannot be written.
        f = new MainWindowFixture([&keep](Collection& c) {
            fillSample(c);
            QDir(c.path()).mkdir("MankoSys.stm");
            keep = &c;
        });
        Q_UNUSED(keep);
        const QStringList shown = f->dialogs.messages();
        QCOMPARE(shown.size(), 1);
        QVERIFY2(shown.first().startsWith("Indstillingsfilen ") && shown.first().contains("MankoSys.stm"),
                 qPrintable(shown.first()));
        QCOMPARE(f->dialogs.shown().first().kind, QStringLiteral("stop"));
        // The remaining steps ran and the settings are there to use.
        QVERIFY(f->window().isVisible());
        QCOMPARE(QApplication::focusWidget(), f->window().DBGrid1);
        QVERIFY(Settings::current().defaultPicture.endsWith("/frim.bmp"));
        delete f;
    }
};

QTEST_MAIN(StartupTest)
#include "tst_startup.moc"
