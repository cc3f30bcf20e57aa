// The preview window and the runs behind it: buttons, the event-loop run,
// the worker-thread run, refused second runs, hook errors, printer setup.
#include "Error.h"
#include "ErrorGuard.h"
#include "PageText.h"
#include "PreviewWidget.h"
#include "PreviewWindow.h"
#include "ReportFile.h"
#include "ReportFixture.h"
#include "TableView.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QPrinter>
#include <QScrollArea>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QTimer>

using namespace kvilbro;
using namespace kvilbro::test;

namespace {

// Runs `then` on the open preview window of `report` once it has all its
// pages; closes any preview left open after a generous time so a failing test ends.
void whenReady(Report& report, std::function<void(PreviewWindow&)> then)
{
    auto* poll = new QTimer;
    auto started = std::make_shared<QElapsedTimer>();
    started->start();
    QObject::connect(poll, &QTimer::timeout, [poll, started, &report, then] {
        PreviewWindow* window = report.previewWindow();
        if (window && window->isVisible() && !window->isProducing()) {
            poll->deleteLater();
            poll->stop();
            then(*window);
            return;
        }
        if (started->elapsed() > 60000) {
            poll->deleteLater();
            poll->stop();
            if (window)
                window->close();
        }
    });
    poll->start(5);
}

void trigger(PreviewWindow& window, const char* name)
{
    QAction* action = window.findChild<QAction*>(name);
    if (!action)
        qFatal("no action %s", name);
    action->trigger();
}

// Answers the printer setup as a collector would: pages 2 to 2, two copies, landscape.
class ChoosingDialogs : public ScriptedDialogs {
public:
    bool print(QPrinter& printer, PrintDialogOptions& options) override
    {
        offered.append(options);
        ScriptedDialogs::print(printer, options);
        if (!accept)
            return false;
        options.firstPage = 2;
        options.lastPage = 2;
        printer.setCopyCount(2);
        printer.setPageOrientation(QPageLayout::Landscape);
        return true;
    }
    bool accept = true;
    QList<PrintDialogOptions> offered;
};

// Records what a preview asks of its report.
class RecordingRuns : public PrintRuns {
public:
    bool printerSetup(int) override { return true; }
    bool print() override
    {
        ++reruns;
        return true;
    }
    bool printPages(const PageList& pages) override
    {
        printed << PageText::dump(pages);
        return true;
    }
    int reruns = 0;
    QStringList printed;
};

} // namespace

class ReportPreviewTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { pinEnvironment(); }
    void cleanup() { ErrorGuard::setDialogs(nullptr); }

    void previewButtons()
    {
        ReportFixture f(300);
        ErrorGuard::setDialogs(&f.dialogs);
        QTemporaryDir dir;
        QPrinter& printer = f.report->printer();
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(dir.filePath("printed.pdf"));
        f.dialogs.answerPrint(true);
        f.dialogs.answerSaveFile("Gem rapport", dir.filePath("liste.kvr"));
        f.dialogs.answerSaveFile("Gem rapport", dir.filePath("liste.pdf"));
        f.dialogs.answerSaveFile("Gem rapport", dir.filePath("liste.txt"));
        f.dialogs.answerOpenFile("Hent rapport", dir.filePath("liste.kvr"));
        f.dialogs.answerOpenFile("Hent rapport", dir.filePath("liste.txt")); // not a report file

        QString caption;
        bool maximized = false;
        QList<int> pagesVisited;
        double widthScale = 0, widthExpected = 0, naturalScale = 0, naturalExpected = 0;
        QSizeF fitted;
        QSize room;
        int pagesAfterLoad = 0;
        int pageAfterLoad = -1;
        QString dumpShown, dumpLoaded, dumpAfterBadLoad;
        int hookRuns = 0;
        f.report->setBeforePrint([&] { return ++hookRuns > 0; });

        whenReady(*f.report, [&](PreviewWindow& w) {
            caption = w.windowTitle();
            maximized = w.windowState() & Qt::WindowMaximized;
            pagesVisited << w.currentPage();
            for (const char* button : {"NextPageButton", "LastPageButton", "PriorPageButton", "FirstPageButton",
                                       "PriorPageButton", "LastPageButton", "NextPageButton"}) {
                trigger(w, button);
                pagesVisited << w.currentPage();
            }
            QScrollArea* scroll = w.findChild<QScrollArea*>("PreviewScroll");
            trigger(w, "ZoomWidthButton");
            widthScale = w.pageView()->scale();
            widthExpected = (scroll->viewport()->width() - 2 * PreviewWidget::Border -
                             scroll->verticalScrollBar()->sizeHint().width()) /
                            210.0;
            trigger(w, "Zoom100Button");
            naturalScale = w.pageView()->scale();
            naturalExpected = w.pageView()->logicalDpiX() / 25.4;
            trigger(w, "ZoomFitButton");
            fitted = QSizeF(210, 297) * w.pageView()->scale();
            room = scroll->viewport()->size();
            trigger(w, "PrinterSetupButton");
            trigger(w, "PrintButton");
            dumpShown = PageText::dump(w.pages());
            trigger(w, "SaveButton");
            trigger(w, "SaveButton");
            trigger(w, "SaveButton");
            trigger(w, "LastPageButton");
            trigger(w, "LoadButton");
            pagesAfterLoad = w.pageCount();
            pageAfterLoad = w.currentPage();
            dumpLoaded = PageText::dump(w.pages());
            trigger(w, "LoadButton");
            dumpAfterBadLoad = PageText::dump(w.pages());
            trigger(w, "CloseButton");
        });
        f.report->preview();

        QVERIFY(!f.report->previewWindow());
        QCOMPARE(caption, QString("Print Preview"));
        QVERIFY(maximized);
        QCOMPARE(pagesVisited, (QList<int>{0, 1, 2, 1, 0, 0, 2, 2}));
        QVERIFY(std::abs(widthScale - widthExpected) < 0.01);
        QVERIFY(std::abs(naturalScale - naturalExpected) < 1e-9);
        QVERIFY(fitted.width() <= room.width() && fitted.height() <= room.height());
        QVERIFY(fitted.height() > room.height() - 2 * PreviewWidget::Border - 1);
        QCOMPARE(f.dialogs.shownOf("print").size(), 1);
        QCOMPARE(hookRuns, 2); // the preview and the print
        QVERIFY(QFile(dir.filePath("printed.pdf")).size() > 1000);
        QVERIFY(QFile(dir.filePath("liste.pdf")).size() > 1000);
        QVERIFY(QFile(dir.filePath("liste.txt")).size() > 100);
        QCOMPARE(PageText::dump(ReportFile::load(dir.filePath("liste.kvr"))), dumpShown);
        QCOMPARE(pagesAfterLoad, 3);
        QCOMPARE(pageAfterLoad, 0);
        QCOMPARE(dumpLoaded, dumpShown);
        QCOMPARE(dumpAfterBadLoad, dumpShown);
        QCOMPARE(f.dialogs.messages(), QStringList{"Filen liste.txt er ikke en rapportfil, eller den er beskadiget."});
    }

    void caption_data()
    {
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("caption");
        QTest::newRow("no title") << ""
                                  << "Print Preview";
        QTest::newRow("title") << "Mancoliste"
                               << "Mancoliste";
    }
    void caption()
    {
        QFETCH(QString, title);
        QFETCH(QString, caption);
        ReportFixture f(3);
        f.report->pageSetup().title = title;
        QString shown;
        whenReady(*f.report, [&](PreviewWindow& w) {
            shown = w.windowTitle();
            w.close();
        });
        f.report->preview();
        QCOMPARE(shown, caption);
    }

    // Pages come in steps from the event loop; meanwhile a second run is refused at once.
    void plainPreviewProducesInSteps()
    {
        ReportFixture f(3000);
        int hookRuns = 0;
        f.report->setBeforePrint([&] { return ++hookRuns > 0; });
        bool producingWhenTimerFired = false;
        int pagesWhenTimerFired = -1;
        int secondRunPages = -1;
        bool windowAfterSecondRun = false;
        QTimer::singleShot(0, [&] {
            PreviewWindow* w = f.report->previewWindow();
            producingWhenTimerFired = w && w->isProducing() && f.report->isRunning();
            pagesWhenTimerFired = w ? w->pageCount() : -1;
            f.report->preview();
            f.report->previewModal();
            secondRunPages = f.report->produce().count();
            windowAfterSecondRun = f.report->previewWindow() == w;
        });
        QString shown;
        whenReady(*f.report, [&](PreviewWindow& w) {
            shown = PageText::dump(w.pages());
            w.close();
        });
        f.report->preview();
        QVERIFY(producingWhenTimerFired);
        QVERIFY(pagesWhenTimerFired < 24);
        QCOMPARE(secondRunPages, 0);
        QVERIFY(windowAfterSecondRun);
        QCOMPARE(hookRuns, 1);
        QVERIFY(!f.report->isRunning());
        const PageList again = f.report->produce();
        QCOMPARE(again.count(), 24);
        QCOMPARE(shown, PageText::dump(again));
    }

    // Closing the window while pages are still coming ends the run; the report can run again.
    void closingEarlyEndsTheRun()
    {
        ReportFixture f(3000);
        QTimer::singleShot(0, [&] {
            if (PreviewWindow* w = f.report->previewWindow())
                w->close();
        });
        f.report->preview();
        QVERIFY(!f.report->isRunning());
        QCOMPARE(f.report->produce().count(), 24);
    }

    // The modal preview produces on a worker thread; its pages equal the event loop's.
    void modalPreviewOnWorkerThread()
    {
        ReportFixture f(3000);
        QThread* hookThread = nullptr;
        f.report->setBeforePrint([&] {
            hookThread = QThread::currentThread();
            return true;
        });
        QString plain;
        whenReady(*f.report, [&](PreviewWindow& w) {
            plain = PageText::dump(w.pages());
            w.close();
        });
        f.report->preview();
        QCOMPARE(hookThread, qApp->thread());

        QString modal;
        Qt::WindowModality modality = Qt::NonModal;
        int pagesBefore = -1;
        whenReady(*f.report, [&](PreviewWindow& w) {
            modal = PageText::dump(w.pages());
            modality = w.windowModality();
            pagesBefore = w.pageCount();
            trigger(w, "LastPageButton");
            w.close();
        });
        f.report->previewModal();
        QVERIFY(hookThread != qApp->thread());
        QCOMPARE(modality, Qt::ApplicationModal);
        QCOMPARE(pagesBefore, 24);
        QCOMPARE(modal, plain);
        QVERIFY(!f.report->isRunning());
    }

    void hookErrorReachesTheErrorHandler_data()
    {
        QTest::addColumn<bool>("modal");
        QTest::addColumn<bool>("inReportHook");
        QTest::newRow("plain, band hook") << false << false;
        QTest::newRow("modal, band hook") << true << false;
        QTest::newRow("plain, report hook") << false << true;
        QTest::newRow("modal, report hook") << true << true;
    }
    void hookErrorReachesTheErrorHandler()
    {
        QFETCH(bool, modal);
        QFETCH(bool, inReportHook);
        ReportFixture f(3000);
        ErrorGuard::setDialogs(&f.dialogs);
        TableView& numbers = f.report->numberView();
        f.report->setBeforePrint([&] {
            if (inReportHook)
                throw Error("Rapporten kan ikke startes");
            return true;
        });
        f.report->setBandBeforePrint("DetailBand1", [&](ReportBand&, bool&) {
            if (numbers.asInteger(u"Nummer") == 2000)
                throw Error("Billedet frim2.jpg kan ikke indlæses");
        });
        // Should the window stay open, the test still ends.
        QTimer safety;
        bool closedBySafety = false;
        QObject::connect(&safety, &QTimer::timeout, [&] {
            if (PreviewWindow* w = f.report->previewWindow()) {
                closedBySafety = true;
                w->close();
            }
        });
        safety.start(20000);
        if (modal)
            f.report->previewModal();
        else
            f.report->preview();
        QVERIFY(!closedBySafety);
        QCOMPARE(f.dialogs.messages(),
                 QStringList{inReportHook ? "Rapporten kan ikke startes." : "Billedet frim2.jpg kan ikke indlæses."});
        QCOMPARE(f.dialogs.shownOf("stop").size(), 1);
        QVERIFY(!f.report->isRunning());
        QVERIFY(!f.report->previewWindow());
    }

    // A cancelling report hook: no pages, no window.
    void cancelledRunShowsNothing()
    {
        ReportFixture f(30);
        f.report->setBeforePrint([] { return false; });
        bool windowSeen = false;
        QTimer safety;
        QObject::connect(&safety, &QTimer::timeout, [&] {
            if (PreviewWindow* w = f.report->previewWindow()) {
                windowSeen = true;
                w->close();
            }
        });
        safety.start(50);
        f.report->preview();
        QVERIFY(!windowSeen);
    }

    // The printer setup's choices stay with the report, and printing follows them.
    void printerSetupPersists()
    {
        ReportFixture f(300);
        ChoosingDialogs dialogs;
        Report report(*f.db, CollectionWindow::MarkTypeList, dialogs);
        report.definition() = f.report->definition();
        report.locateArea(f.areaName);
        report.pageSetup().firstPage = 1;
        report.pageSetup().lastPage = 1;

        QVERIFY(report.printerSetup(3));
        QCOMPARE(dialogs.offered.last().firstPage, 1);
        QCOMPARE(dialogs.offered.last().lastPage, 1);
        QCOMPARE(dialogs.offered.last().maxPage, 3);
        QCOMPARE(report.pageSetup().firstPage, 2);
        QCOMPARE(report.pageSetup().lastPage, 2);
        QCOMPARE(report.pageSetup().copies, 2);
        QCOMPARE(report.pageSetup().orientation, PageSetup::Orientation::Landscape);

        dialogs.accept = false;
        QVERIFY(!report.printerSetup(3));
        QCOMPARE(dialogs.offered.last().firstPage, 2);
        QCOMPARE(report.pageSetup().firstPage, 2);
        QCOMPARE(report.printer().copyCount(), 2);
        // The next run is laid out across the landscape sheet: wider columns.
        const PageList pages = report.produce();
        QCOMPARE(pages.paperSize(), QSizeF(297, 210));
        QVERIFY(std::abs(frames(*pages.page(0))[1].width() - (297.0 - 20) / 5) < 1e-4);
    }

    // Pages loaded from a report file are printed as they are: running the
    // report again would print today's tables under the loaded screen.
    void printAfterLoadPrintsTheLoadedPages()
    {
        ReportFixture f(130);
        QTemporaryDir dir;
        const PageList saved = f.report->produce();
        ReportFile::save(saved, dir.filePath("gemt.kvr"));
        ReportFixture other(3);
        auto live = std::make_shared<PageList>(other.report->produce());
        RecordingRuns runs;
        PreviewWindow window(runs, other.dialogs, live);
        window.print();
        QCOMPARE(runs.reruns, 1);
        other.dialogs.answerOpenFile("Hent rapport", dir.filePath("gemt.kvr"));
        window.load();
        window.print();
        QCOMPARE(runs.reruns, 1);
        QCOMPARE(runs.printed, QStringList{PageText::dump(saved)});
    }

    // Writing a long list to a file happens beside the window, which keeps
    // answering meanwhile; what is written is the same.
    void saveKeepsTheWindowAnswering()
    {
        ReportFixture f(300);
        auto pages = std::make_shared<PageList>(f.report->produce());
        RecordingRuns runs;
        PreviewWindow window(runs, f.dialogs, pages);
        QTemporaryDir dir;
        f.dialogs.answerSaveFile("Gem rapport", dir.filePath("liste.pdf"));
        bool saving = false;
        bool answeredWhileSaving = false;
        QTimer::singleShot(0, [&] { answeredWhileSaving = saving; });
        saving = true;
        window.save();
        saving = false;
        QVERIFY(answeredWhileSaving);
        QVERIFY(QFileInfo(dir.filePath("liste.pdf")).size() > 1000);
        QVERIFY(!window.isProducing());
    }
};

QTEST_MAIN(ReportPreviewTest)
#include "tst_reportpreview.moc"
