#pragma once

#include "PageList.h"
#include "PrintRuns.h"

#include <QMainWindow>

#include <memory>

class QAction;
class QLabel;
class QScrollArea;

namespace kvilbro {

class Dialogs;
class PreviewWidget;

// The preview of a page list: its pages one at a time, zoom, page moves,
// printer setup, print, save and load. Its dialogs go through `dialogs` and
// its errors to the general error handler.
class PreviewWindow : public QMainWindow {
    Q_OBJECT

public:
    enum class Zoom { Fit, Natural, Width };

    PreviewWindow(PrintRuns& runs, Dialogs& dialogs, std::shared_ptr<PageList> pages, QWidget* parent = nullptr);
    ~PreviewWindow() override;

    int currentPage() const { return current_; } // 0-based; -1 without pages
    int pageCount() const;
    Zoom zoom() const { return zoom_; }
    PreviewWidget* pageView() const { return view_; }
    const PageList& pages() const { return *pages_; }
    // True while the run still produces pages.
    bool isProducing() const { return producing_; }

    // New pages arrived; shows the first one as soon as there is one.
    void pagesChanged();
    void setProducing(bool producing);

    void zoomToFit();
    void zoomNatural();
    void zoomToWidth();
    void firstPage();
    void priorPage();
    void nextPage();
    void lastPage();
    void printerSetup();
    void print();
    void save();
    void load();

signals:
    void closed();

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QAction* addButton(const QString& name, const QString& text, const QString& tip, void (PreviewWindow::*slot)());
    void showPage(int index);
    void applyZoom();
    void updateControls();

    PrintRuns& runs_;
    Dialogs& dialogs_;
    std::shared_ptr<PageList> pages_;
    bool loaded_ = false; // the pages came from a report file
    QScrollArea* scroll_ = nullptr;
    PreviewWidget* view_ = nullptr;
    QLabel* status_ = nullptr;
    QList<QAction*> busyActions_; // not while pages are still being produced
    QAction* first_ = nullptr;
    QAction* prior_ = nullptr;
    QAction* next_ = nullptr;
    QAction* last_ = nullptr;
    int current_ = -1;
    Zoom zoom_ = Zoom::Fit;
    bool producing_ = false;
    bool zooming_ = false;
};

} // namespace kvilbro
