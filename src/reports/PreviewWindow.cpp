#include "PreviewWindow.h"

#include "Dialogs.h"
#include "Error.h"
#include "ErrorGuard.h"
#include "PagePainter.h"
#include "PageText.h"
#include "PreviewWidget.h"
#include "ReportFile.h"
#include "ReportMessages.h"

#include <QAction>
#include <QCloseEvent>
#include <QEventLoop>
#include <QFileInfo>
#include <QLabel>
#include <QSaveFile>
#include <QScopedValueRollback>
#include <QScrollArea>
#include <QScrollBar>
#include <QStatusBar>
#include <QThread>
#include <QToolBar>

namespace kvilbro {

PreviewWindow::PreviewWindow(PrintRuns& runs, Dialogs& dialogs, std::shared_ptr<PageList> pages, QWidget* parent)
    : QMainWindow(parent, Qt::Window), runs_(runs), dialogs_(dialogs), pages_(std::move(pages))
{
    setObjectName(QStringLiteral("PreviewWindow"));
    const QString title = pages_->title();
    setWindowTitle(title.isEmpty() ? QStringLiteral("Print Preview") : title);

    auto* tools = new QToolBar(this);
    tools->setObjectName(QStringLiteral("PreviewTools"));
    tools->setMovable(false);
    tools->setToolButtonStyle(Qt::ToolButtonTextOnly);
    addToolBar(tools);

    QList<QAction*> actions;
    actions << addButton(QStringLiteral("ZoomFitButton"), QStringLiteral("Hel side"), QStringLiteral("Vis hele siden"),
                         &PreviewWindow::zoomToFit);
    actions << addButton(QStringLiteral("Zoom100Button"), QStringLiteral("100 %"), QStringLiteral("Vis i 100 %"),
                         &PreviewWindow::zoomNatural);
    actions << addButton(QStringLiteral("ZoomWidthButton"), QStringLiteral("Sidebredde"),
                         QStringLiteral("Vis siden i vinduets bredde"), &PreviewWindow::zoomToWidth);
    actions << nullptr;
    first_ = addButton(QStringLiteral("FirstPageButton"), QStringLiteral("|<"), QStringLiteral("Første side"),
                       &PreviewWindow::firstPage);
    prior_ = addButton(QStringLiteral("PriorPageButton"), QStringLiteral("<"), QStringLiteral("Forrige side"),
                       &PreviewWindow::priorPage);
    next_ = addButton(QStringLiteral("NextPageButton"), QStringLiteral(">"), QStringLiteral("Næste side"),
                      &PreviewWindow::nextPage);
    last_ = addButton(QStringLiteral("LastPageButton"), QStringLiteral(">|"), QStringLiteral("Sidste side"),
                      &PreviewWindow::lastPage);
    actions << first_ << prior_ << next_ << last_ << nullptr;
    QAction* setup = addButton(QStringLiteral("PrinterSetupButton"), QStringLiteral("Printer..."),
                               QStringLiteral("Printeropsætning"), &PreviewWindow::printerSetup);
    QAction* print = addButton(QStringLiteral("PrintButton"), QStringLiteral("Udskriv"),
                               QStringLiteral("Udskriv rapporten"), &PreviewWindow::print);
    QAction* save = addButton(QStringLiteral("SaveButton"), QStringLiteral("Gem..."), QStringLiteral("Gem rapporten"),
                              &PreviewWindow::save);
    QAction* load = addButton(QStringLiteral("LoadButton"), QStringLiteral("Hent..."),
                              QStringLiteral("Hent en gemt rapport"), &PreviewWindow::load);
    actions << setup << print << save << load << nullptr;
    QAction* close = new QAction(QStringLiteral("Luk"), this);
    close->setObjectName(QStringLiteral("CloseButton"));
    close->setToolTip(QStringLiteral("Luk forhåndsvisningen"));
    connect(close, &QAction::triggered, this, &QWidget::close);
    actions << close;
    busyActions_ = {setup, print, save, load};
    for (QAction* a : actions) {
        if (a)
            tools->addAction(a);
        else
            tools->addSeparator();
    }

    view_ = new PreviewWidget;
    scroll_ = new QScrollArea(this);
    scroll_->setObjectName(QStringLiteral("PreviewScroll"));
    scroll_->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    scroll_->setBackgroundRole(QPalette::Dark);
    scroll_->setWidget(view_);
    scroll_->setWidgetResizable(false);
    scroll_->viewport()->installEventFilter(this);
    setCentralWidget(scroll_);

    status_ = new QLabel(this);
    status_->setObjectName(QStringLiteral("PageStatus"));
    statusBar()->addWidget(status_);
    resize(900, 700);
    pagesChanged();
}

PreviewWindow::~PreviewWindow() = default;

QAction* PreviewWindow::addButton(const QString& name, const QString& text, const QString& tip,
                                  void (PreviewWindow::*slot)())
{
    auto* action = new QAction(text, this);
    action->setObjectName(name);
    action->setToolTip(tip);
    connect(action, &QAction::triggered, this, [this, slot] { ErrorGuard::guarded([&] { (this->*slot)(); }); });
    return action;
}

int PreviewWindow::pageCount() const
{
    return pages_->count();
}

void PreviewWindow::pagesChanged()
{
    if (current_ < 0 && pages_->count() > 0)
        showPage(0);
    else
        updateControls();
}

void PreviewWindow::setProducing(bool producing)
{
    producing_ = producing;
    updateControls();
}

void PreviewWindow::showPage(int index)
{
    const int count = pages_->count();
    if (count == 0) {
        current_ = -1;
        view_->setPage(nullptr, pages_->paperSize());
    } else {
        current_ = std::clamp(index, 0, count - 1);
        view_->setPage(pages_->page(current_), pages_->paperSize());
    }
    applyZoom();
    scroll_->verticalScrollBar()->setValue(0);
    updateControls();
}

void PreviewWindow::updateControls()
{
    const int count = pages_->count();
    status_->setText(count == 0 ? (producing_ ? QStringLiteral("Sider dannes...") : QStringLiteral("Ingen sider"))
                                : QStringLiteral("Side %1 af %2%3")
                                      .arg(current_ + 1)
                                      .arg(count)
                                      .arg(producing_ ? QStringLiteral("...") : QString()));
    first_->setEnabled(current_ > 0);
    prior_->setEnabled(current_ > 0);
    next_->setEnabled(current_ + 1 < count);
    last_->setEnabled(current_ + 1 < count);
    for (QAction* a : busyActions_)
        a->setEnabled(!producing_);
}

void PreviewWindow::applyZoom()
{
    // Resizing the page may add or drop scroll bars, which resizes the viewport again.
    if (zooming_)
        return;
    QScopedValueRollback guard(zooming_, true);
    const QSizeF paper = pages_->paperSize();
    const QSize room = scroll_->viewport()->size() - QSize(2 * PreviewWidget::Border, 2 * PreviewWidget::Border);
    switch (zoom_) {
    case Zoom::Fit:
        view_->setScale(std::min(room.width() / paper.width(), room.height() / paper.height()));
        break;
    case Zoom::Natural:
        view_->setScale(view_->naturalScale());
        break;
    case Zoom::Width:
        // Leave room for the vertical scroll bar that the taller page will need.
        view_->setScale((room.width() - scroll_->verticalScrollBar()->sizeHint().width()) / paper.width());
        break;
    }
}

void PreviewWindow::zoomToFit()
{
    zoom_ = Zoom::Fit;
    applyZoom();
}

void PreviewWindow::zoomNatural()
{
    zoom_ = Zoom::Natural;
    applyZoom();
}

void PreviewWindow::zoomToWidth()
{
    zoom_ = Zoom::Width;
    applyZoom();
}

void PreviewWindow::firstPage()
{
    showPage(0);
}

void PreviewWindow::priorPage()
{
    if (current_ > 0)
        showPage(current_ - 1);
}

void PreviewWindow::nextPage()
{
    if (current_ + 1 < pages_->count())
        showPage(current_ + 1);
}

void PreviewWindow::lastPage()
{
    showPage(pages_->count() - 1);
}

void PreviewWindow::printerSetup()
{
    runs_.printerSetup(pages_->count());
}

void PreviewWindow::print()
{
    // Loaded pages are a finished list: running the report again would print
    // today's tables under the loaded screen.
    if (loaded_)
        runs_.printPages(*pages_);
    else
        runs_.print();
}

void PreviewWindow::save()
{
    Dialogs& dialogs = dialogs_;
    FileDialogOptions options;
    options.caption = QStringLiteral("Gem rapport");
    options.filters = {QStringLiteral("Rapportfil (*.kvr)"), QStringLiteral("PDF-fil (*.pdf)"),
                       QStringLiteral("Tekstfil (*.txt)")};
    options.defaultSuffix = QStringLiteral("kvr");
    const QString path = dialogs.saveFile(options);
    if (path.isEmpty())
        return;
    const QString suffix = QFileInfo(path).suffix().toLower();
    const std::shared_ptr<const PageList> pages = pages_;
    auto write = [pages, path, suffix] {
        if (suffix == QLatin1String("pdf")) {
            PagePainter::writePdf(*pages, path);
        } else if (suffix == QLatin1String("txt")) {
            QSaveFile file(path);
            if (!file.open(QIODevice::WriteOnly) || file.write(PageText::plainFile(*pages)) < 0 || !file.commit())
                throw Error(reportmessages::cannotWrite(path, file.errorString()), Error::Kind::File);
        } else {
            ReportFile::save(*pages, path);
        }
    };
    // A list with many pictures takes a while to write: the window keeps
    // answering meanwhile, with the buttons that would change its pages off.
    std::exception_ptr failure;
    QThread* worker = QThread::create([&write, &failure] {
        try {
            write();
        } catch (...) {
            failure = std::current_exception();
        }
    });
    QEventLoop loop;
    connect(worker, &QThread::finished, &loop, &QEventLoop::quit);
    const bool wasProducing = producing_;
    setProducing(true);
    worker->start();
    loop.exec();
    worker->wait();
    delete worker;
    setProducing(wasProducing);
    if (failure)
        std::rethrow_exception(failure);
}

void PreviewWindow::load()
{
    FileDialogOptions options;
    options.caption = QStringLiteral("Hent rapport");
    options.filters = {QStringLiteral("Rapportfil (*.kvr)"), QStringLiteral("Alle filer (*)")};
    const QString path = dialogs_.openFile(options);
    if (path.isEmpty())
        return;
    // Read it whole first: a refused file leaves the pages shown as they were.
    auto loaded = std::make_shared<PageList>(ReportFile::load(path));
    pages_ = std::move(loaded);
    loaded_ = true;
    current_ = -1;
    showPage(0);
}

void PreviewWindow::closeEvent(QCloseEvent* event)
{
    QMainWindow::closeEvent(event);
    if (event->isAccepted())
        emit closed();
}

void PreviewWindow::resizeEvent(QResizeEvent* event)
{
    QMainWindow::resizeEvent(event);
    applyZoom();
}

bool PreviewWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == scroll_->viewport() && event->type() == QEvent::Resize)
        applyZoom();
    return QMainWindow::eventFilter(watched, event);
}

} // namespace kvilbro
