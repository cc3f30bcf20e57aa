#pragma once

#include "CollectionViews.h"
#include "Marks.h"
#include "PageBuilder.h"
#include "PageList.h"
#include "PictureCache.h"
#include "PrintRuns.h"
#include "ReportDefinition.h"

#include <QDate>
#include <QObject>
#include <QPointer>
#include <QStringList>

#include <memory>

class QPrinter;

namespace kvilbro {

class Database;
class Dialogs;
class PreviewWindow;
class PrintProgress;
class Progress;
class TableView;

// A report object: its definition as data, at most two hooks, its own three
// table views (areas in the order it names, the area's numbers as the data
// set, the collector row), and the printer settings chosen in its preview,
// which stay with it for the program's life.
class Report : public QObject, public PrintRuns {
    Q_OBJECT

public:
    using ReportHook = PageBuilder::ReportHook;
    using BandHook = PageBuilder::BandHook;

    // Opens the three views of `window` on `db`. Throws Error when a table cannot serve them.
    Report(Database& db, CollectionWindow window, Dialogs& dialogs, QObject* parent = nullptr);
    ~Report() override;

    ReportDefinition& definition() { return definition_; }
    PageSetup& pageSetup() { return definition_.page; }
    TableView& areaView() { return *areas_; }
    TableView& numberView() { return *numbers_; }
    TableView& collectorView() { return *collector_; }

    // The element of that name in any band; throws Error when there is none.
    ReportElement& element(QStringView name);
    void setCaption(QStringView label, const QString& caption);
    // Binds a data field element to another field of its view; throws Error for an unknown field.
    void setDataField(QStringView element, const QString& field);
    // Moves the area view to its first row, then to the first area whose
    // Beskrivelse begins with `description` (case-sensitive). False when none does.
    bool locateArea(const QString& description);
    // Moves the area view to the area with exactly these link fields. False when there is none.
    bool locateArea(const AreaKey& area);

    // Runs at the start of every run; returning false cancels it.
    void setBeforePrint(ReportHook hook) { reportHook_ = std::move(hook); }
    // Runs each time the named band is about to be placed; may clear the print flag.
    void setBandBeforePrint(const QString& band, BandHook hook);
    // The date that date elements print; an invalid date means the day of the run.
    void setToday(const QDate& date) { today_ = date; }

    // A picture file for an image element, for band hooks to put into it:
    // read once per run and box, scaled to the box at print resolution.
    QImage picture(const QString& path, const ReportElement& element);
    // A picture file's own size in pixels, from its header, read once per run.
    QSize pictureSize(const QString& path) { return pictures_.fileSize(path); }

    // Produces rows for about `budgetMs` milliseconds, as the preview does
    // between two looks at its window; true when the run is complete.
    static bool stepFor(PageBuilder& builder, int budgetMs);

    bool isRunning() const { return running_; }
    // Lays a whole run out at once. Empty when the report hook cancels or a run
    // is already producing pages. Errors from hooks and tables propagate.
    PageList produce();

    // Opens the preview window, produces the pages into it in steps from the
    // event loop and returns when the window has been closed.
    void preview();
    // Opens the preview window modally and produces the pages on a worker thread meanwhile.
    void previewModal();
    // The preview window while it is open.
    PreviewWindow* previewWindow() const;
    // Closes the open preview, if any; the report is free for another run at once.
    void closePreview();

    // The printer of this report, with the choices made in its printer setup.
    QPrinter& printer();
    // The printer setup of the preview: printer, copies, orientation, page range, paper source.
    bool printerSetup(int pageCount) override;
    // Runs the report again and sends the pages inside the print range to the
    // printer. Errors go to the general error handler; false when nothing was printed.
    bool print() override;
    bool printPages(const PageList& pages) override;
    // The same, to any printer, throwing errors. `produced` receives every page of the run.
    void printTo(QPrinter& printer, Progress& progress, PageList* produced = nullptr);
    // Where printing reports its pages; a small window of its own unless set.
    void setPrintProgress(Progress* progress) { printProgress_ = progress; }

    Dialogs& dialogs() const { return dialogs_; }

    // What a run lays out, with the report's hooks; starts the run's pictures afresh.
    // The preview produces from it in steps.
    PageBuilder::Source source();

private:
    // The window printing reports to: the one set, else a small one of its own kept in `own`.
    Progress& printProgress(std::unique_ptr<PrintProgress>& own);
    PageList emptyPages() const;
    void applyPrinterToSetup();

    Dialogs& dialogs_;
    ReportDefinition definition_;
    std::unique_ptr<CollectionViews> views_;
    TableView* areas_;
    TableView* numbers_;
    TableView* collector_;
    ReportHook reportHook_;
    QString hookedBand_;
    BandHook bandHook_;
    QDate today_;
    bool running_ = false;
    QPointer<PreviewWindow> window_;
    std::unique_ptr<QPrinter> printer_;
    Progress* printProgress_ = nullptr;
    PictureCache pictures_;
};

} // namespace kvilbro
