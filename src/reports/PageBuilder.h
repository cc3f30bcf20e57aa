#pragma once

#include "PageList.h"
#include "ReportDefinition.h"
#include "TextMeasurer.h"

#include <QDate>
#include <QRectF>

#include <array>
#include <functional>
#include <memory>

namespace kvilbro {

class TableView;

// Lays out the pages of one run, a few rows at a time, so that a caller can
// interleave it with the event loop or run it on a worker thread.
//
// Page 1 starts with the page header and the first column header before any
// row is looked at; each detail row that its hook lets print goes down the
// current column, or to the top of the next column (under its column header)
// when it does not fit above the bottom margin, and after the last column to a
// new page. Errors from hooks and the tables propagate to the caller.
class PageBuilder {
public:
    using ReportHook = std::function<bool()>; // false cancels the run
    using BandHook = std::function<void(ReportBand& band, bool& print)>;

    struct Source {
        ReportDefinition* definition = nullptr;
        std::array<TableView*, 3> views{}; // indexed by ReportElement::View
        ReportHook reportHook;
        QString hookedBand;
        BandHook bandHook;
        QDate today; // invalid: the day each page is produced
    };
    using Sink = std::function<void(PagePtr)>;

    PageBuilder(Source source, Sink sink);
    ~PageBuilder();

    // Calls the report hook and moves the data set to its first row. False when
    // the hook cancelled: the run is then complete without a page.
    bool begin();
    // Places up to `rows` rows; true once the run is complete and its last page delivered.
    bool step(int rows);
    bool isComplete() const { return complete_; }
    int pagesDelivered() const { return delivered_; }

private:
    struct LaidLine {
        QString text;
        double x = 0;
        double baseline = 0;
        bool clip = false;
    };
    struct LaidElement {
        const ReportElement* element = nullptr;
        ReportFont font;
        QRectF box; // relative to the band
        QRectF ink; // what it covers, relative to the band
        QList<LaidLine> lines;
    };
    struct LaidBand {
        const ReportBand* band = nullptr;
        double height = 0;
        QList<LaidElement> elements;
    };

    void startPage(bool withColumnHeader);
    void finishPage();
    void placeColumnHeader();
    void placeDetail();
    void nextColumn();
    bool runHook(ReportBand& band);
    double columnLeft(int column) const;
    LaidBand layOut(const ReportBand& band);
    LaidElement layOut(const ReportElement& element);
    QString textOf(const ReportElement& element) const;
    void emitBand(const LaidBand& laid, double left, double top, double width);
    bool overlapsOverflow(const QRectF& r) const;

    Source src_;
    Sink sink_;
    TextMeasurer measurer_;
    const PageSetup& setup_;
    QString dateText_;

    std::shared_ptr<Page> page_;
    int pageNumber_ = 0;
    int delivered_ = 0;
    int column_ = 0;
    double y_ = 0;
    double columnTop_ = 0;
    bool columnHasDetail_ = false;
    bool complete_ = false;
    bool begun_ = false;
    // Ink of this page that lies outside its own band; a later white fill over it matters.
    QList<QRectF> overflow_;
};

} // namespace kvilbro
