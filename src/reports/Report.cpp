#include "Report.h"

#include "CollectionViews.h"
#include "Database.h"
#include "Dialogs.h"
#include "Error.h"
#include "ErrorGuard.h"
#include "FailureMessage.h"
#include "PagePainter.h"
#include "PreviewWindow.h"
#include "PrintProgress.h"
#include "Progress.h"
#include "ReportMessages.h"
#include "TableView.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QPainter>
#include <QPrinter>
#include <QThread>
#include <QTimer>

#include <atomic>
#include <exception>

namespace kvilbro {

namespace {

// A step of the preview's page production, so the window stays responsive.
constexpr int StepMs = 50;
// Rows per step where nothing waits between steps.
constexpr int RowsPerStep = 50;

// Marks a report busy for one run; a second run meanwhile is refused.
class RunFlag {
public:
    explicit RunFlag(bool& flag) : flag_(flag) { flag_ = true; }
    ~RunFlag() { flag_ = false; }
    RunFlag(const RunFlag&) = delete;
    RunFlag& operator=(const RunFlag&) = delete;

private:
    bool& flag_;
};

// Sends pages to a printer one by one: starts the job at the first page,
// a new sheet for each further one, and counts what went out.
class PageSender {
public:
    PageSender(QPrinter& target, Progress& progress) : target_(target), progress_(progress) {}
    ~PageSender()
    {
        if (painter_.isActive()) {
            if (std::uncaught_exceptions() > 0)
                target_.abort();
            painter_.end();
        }
    }
    void send(const Page& page)
    {
        if (sent_ == 0) {
            if (!painter_.begin(&target_))
                throw Error(reportmessages::printerWillNotStart(target_.printerName()), Error::Kind::File);
        } else if (!target_.newPage()) {
            throw Error(reportmessages::printerStopped(), Error::Kind::File);
        }
        progress_.show(QStringLiteral("Udskriver side %1").arg(page.number));
        PagePainter::paint(painter_, page, target_.resolution() / 25.4);
        ++sent_;
    }
    int sent() const { return sent_; }

private:
    QPrinter& target_;
    Progress& progress_;
    QPainter painter_;
    int sent_ = 0;
};

} // namespace

Report::Report(Database& db, CollectionWindow window, Dialogs& dialogs, QObject* parent)
    : QObject(parent), dialogs_(dialogs), views_(std::make_unique<CollectionViews>(db, window)),
      areas_(&views_->areas()), numbers_(&views_->numbers()), collector_(&views_->collector())
{
}

Report::~Report() = default;

ReportElement& Report::element(QStringView name)
{
    ReportElement* e = definition_.element(name);
    if (!e)
        throw Error(reportmessages::noSuchElement(name.toString()));
    return *e;
}

void Report::setCaption(QStringView label, const QString& caption)
{
    element(label).caption = caption;
}

void Report::setDataField(QStringView name, const QString& field)
{
    ReportElement& e = element(name);
    const TableView* views[] = {areas_, numbers_, collector_};
    views[int(e.view)]->fieldIndex(field); // throws for a field the table does not have
    e.field = field;
}

bool Report::locateArea(const QString& description)
{
    areas_->first();
    return areas_->locate({QStringLiteral("Beskrivelse")}, {description}, true);
}

bool Report::locateArea(const AreaKey& area)
{
    areas_->first();
    return areas_->locate(CollectionViews::areaKeyFields(), {area.nationalId, area.description}, false);
}

void Report::setBandBeforePrint(const QString& band, BandHook hook)
{
    hookedBand_ = band;
    bandHook_ = std::move(hook);
}

PageBuilder::Source Report::source()
{
    // Every run reads its pictures anew; within a run each file once.
    pictures_.clear();
    PageBuilder::Source s;
    s.definition = &definition_;
    s.views = {areas_, numbers_, collector_};
    s.reportHook = reportHook_;
    s.hookedBand = hookedBand_;
    s.bandHook = bandHook_;
    s.today = today_;
    return s;
}

PageList Report::emptyPages() const
{
    PageList pages;
    pages.setPaperSize(definition_.page.paperSize());
    pages.setTitle(definition_.page.title);
    return pages;
}

bool Report::stepFor(PageBuilder& builder, int budgetMs)
{
    // Rows cost very different times (a row with a picture reads a file), so
    // a step is measured in time: the window answers between steps.
    QElapsedTimer timer;
    timer.start();
    bool done = false;
    while (!done && timer.elapsed() < budgetMs)
        done = builder.step(1);
    return done;
}

QImage Report::picture(const QString& path, const ReportElement& element)
{
    return pictures_.picture(path, QSizeF(element.width, element.height));
}

PageList Report::produce()
{
    PageList pages = emptyPages();
    if (running_)
        return pages;
    RunFlag flag(running_);
    PageBuilder builder(source(), [&](PagePtr page) { pages.append(std::move(page)); });
    if (builder.begin()) {
        while (!builder.step(1000)) {
        }
    }
    return pages;
}

void Report::preview()
{
    if (running_)
        return;
    if (window_) {
        // The preview of this report is open already: bring it forward instead of a second run.
        window_->raise();
        window_->activateWindow();
        return;
    }
    RunFlag flag(running_);
    auto pages = std::make_shared<PageList>(emptyPages());
    PageBuilder builder(source(), [&](PagePtr page) { pages->append(std::move(page)); });
    try {
        if (!builder.begin())
            return;
    } catch (...) {
        ErrorGuard::report(failureMessage(std::current_exception()));
        return;
    }

    PreviewWindow window(*this, dialogs_, pages, dialogs_.parentWidget());
    window_ = &window;
    QEventLoop loop;
    QTimer steps;
    steps.setInterval(0);
    // A command may close this preview from a later run's nested loop; the
    // report is free for that run at once, not only when this call returns.
    connect(&window, &PreviewWindow::closed, &loop, [&] {
        steps.stop();
        running_ = false;
        if (window_ == &window)
            window_ = nullptr;
        loop.quit();
    });
    connect(&steps, &QTimer::timeout, &window, [&] {
        try {
            const bool done = stepFor(builder, StepMs);
            window.pagesChanged();
            if (done) {
                steps.stop();
                running_ = false;
                window.setProducing(false);
            }
        } catch (...) {
            steps.stop();
            running_ = false;
            ErrorGuard::report(failureMessage(std::current_exception()));
            window.close();
        }
    });
    window.setProducing(!builder.isComplete());
    window.pagesChanged();
    window.showMaximized();
    if (!builder.isComplete())
        steps.start();
    else
        running_ = false;
    if (window.isVisible())
        loop.exec();
    steps.stop();
    if (window_ == &window)
        window_ = nullptr;
}

PreviewWindow* Report::previewWindow() const
{
    return window_;
}

void Report::closePreview()
{
    if (window_)
        window_->close();
}

void Report::previewModal()
{
    if (running_ || window_)
        return;
    RunFlag flag(running_);
    auto pages = std::make_shared<PageList>(emptyPages());
    PreviewWindow window(*this, dialogs_, pages, dialogs_.parentWidget());
    window_ = &window;
    window.setWindowModality(Qt::ApplicationModal);
    window.setProducing(true);

    std::atomic<bool> stop = false;
    std::exception_ptr error;
    bool cancelled = false;
    QThread* worker = QThread::create([&] {
        try {
            PageBuilder builder(source(), [&](PagePtr page) {
                pages->append(std::move(page));
                QMetaObject::invokeMethod(&window, &PreviewWindow::pagesChanged, Qt::QueuedConnection);
            });
            if (!builder.begin()) {
                cancelled = true;
                return;
            }
            while (!stop.load() && !builder.step(RowsPerStep)) {
            }
        } catch (...) {
            error = std::current_exception();
        }
    });
    QEventLoop loop;
    connect(&window, &PreviewWindow::closed, &loop, &QEventLoop::quit);
    connect(worker, &QThread::finished, &window, [&] {
        running_ = false;
        window.setProducing(false);
        window.pagesChanged();
        if (error) {
            ErrorGuard::report(failureMessage(error));
            window.close();
        } else if (cancelled) {
            window.close();
        }
    });
    window.showMaximized();
    worker->start();
    loop.exec();
    stop = true;
    worker->wait();
    delete worker;
    window_ = nullptr;
}

QPrinter& Report::printer()
{
    if (!printer_) {
        const PageSetup& setup = definition_.page;
        printer_ = std::make_unique<QPrinter>(QPrinter::HighResolution);
        printer_->setPageSize(QPageSize(QSizeF(setup.paperWidth, setup.paperHeight), QPageSize::Millimeter));
        printer_->setPageOrientation(setup.orientation == PageSetup::Orientation::Portrait ? QPageLayout::Portrait
                                                                                           : QPageLayout::Landscape);
        printer_->setPaperSource(setup.paperSource == PageSetup::PaperSource::Cassette ? QPrinter::Cassette
                                                                                       : QPrinter::Upper);
        printer_->setCopyCount(std::max(1, setup.copies));
        printer_->setFullPage(true);
    }
    return *printer_;
}

bool Report::printerSetup(int pageCount)
{
    QPrinter& p = printer();
    PrintDialogOptions options;
    options.pageRange = true;
    options.firstPage = definition_.page.firstPage;
    options.lastPage = definition_.page.lastPage;
    options.maxPage = std::max({pageCount, options.firstPage, options.lastPage, 1});
    if (!dialogs_.print(p, options))
        return false;
    definition_.page.firstPage = options.firstPage;
    definition_.page.lastPage = options.lastPage;
    applyPrinterToSetup();
    return true;
}

void Report::applyPrinterToSetup()
{
    PageSetup& setup = definition_.page;
    setup.copies = printer_->copyCount();
    setup.orientation = printer_->pageLayout().orientation() == QPageLayout::Landscape
                            ? PageSetup::Orientation::Landscape
                            : PageSetup::Orientation::Portrait;
    setup.paperSource = printer_->paperSource() == QPrinter::Cassette ? PageSetup::PaperSource::Cassette
                                                                      : PageSetup::PaperSource::FirstTray;
}

Progress& Report::printProgress(std::unique_ptr<PrintProgress>& own)
{
    if (printProgress_)
        return *printProgress_;
    own = std::make_unique<PrintProgress>(window_ ? static_cast<QWidget*>(window_) : dialogs_.parentWidget());
    return *own;
}

bool Report::print()
{
    if (running_)
        return false;
    std::unique_ptr<PrintProgress> own;
    Progress& progress = printProgress(own);
    return ErrorGuard::guarded([&] { printTo(printer(), progress); });
}

bool Report::printPages(const PageList& pages)
{
    std::unique_ptr<PrintProgress> own;
    Progress& progress = printProgress(own);
    return ErrorGuard::guarded([&] {
        QPrinter& target = printer();
        target.setDocName(pages.title());
        target.setFullPage(true);
        ProgressScope scope(progress, QStringLiteral("Udskriver"));
        PageSender sender(target, progress);
        for (const PagePtr& page : pages.pages()) {
            if (definition_.page.inPrintRange(page->number))
                sender.send(*page);
        }
        if (sender.sent() == 0)
            throw Error(reportmessages::nothingToPrint(definition_.page.firstPage, int(pages.count())),
                        Error::Kind::File);
    });
}

void Report::printTo(QPrinter& target, Progress& progress, PageList* produced)
{
    if (running_)
        return;
    RunFlag flag(running_);
    target.setDocName(definition_.page.title);
    target.setFullPage(true);
    if (produced) {
        produced->setPaperSize(definition_.page.paperSize());
        produced->setTitle(definition_.page.title);
    }
    ProgressScope scope(progress, QStringLiteral("Udskriver"));
    PageSender sender(target, progress);
    int pages = 0;
    PageBuilder builder(source(), [&](PagePtr page) {
        ++pages;
        if (produced)
            produced->append(page);
        if (definition_.page.inPrintRange(page->number))
            sender.send(*page); // the others are produced for the page numbers only
    });
    if (!builder.begin())
        return; // the report's hook cancelled the run
    while (!builder.step(RowsPerStep)) {
    }
    // A range past the last page sends nothing; that is no successful print.
    if (sender.sent() == 0)
        throw Error(reportmessages::nothingToPrint(definition_.page.firstPage, pages), Error::Kind::File);
}

} // namespace kvilbro
