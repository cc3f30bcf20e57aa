#include "PageBuilder.h"

#include "TableView.h"

#include <QLocale>

#include <algorithm>
#include <cmath>

namespace kvilbro {

namespace {

// Lengths are given to a tenth of a millimetre; anything far below that is rounding.
constexpr double Epsilon = 1e-6;

bool contains(const QRectF& outer, const QRectF& inner)
{
    return inner.left() >= outer.left() - Epsilon && inner.right() <= outer.right() + Epsilon &&
           inner.top() >= outer.top() - Epsilon && inner.bottom() <= outer.bottom() + Epsilon;
}

// Overlap with area: rectangles that only touch do not count.
bool overlaps(const QRectF& a, const QRectF& b)
{
    return std::min(a.right(), b.right()) - std::max(a.left(), b.left()) > Epsilon &&
           std::min(a.bottom(), b.bottom()) - std::max(a.top(), b.top()) > Epsilon;
}

} // namespace

PageBuilder::PageBuilder(Source source, Sink sink)
    : src_(std::move(source)), sink_(std::move(sink)), setup_(src_.definition->page)
{
}

PageBuilder::~PageBuilder() = default;

bool PageBuilder::begin()
{
    begun_ = true;
    if (src_.reportHook && !src_.reportHook()) {
        complete_ = true;
        return false;
    }
    TableView* data = src_.views[int(ReportElement::View::Numbers)];
    data->first();
    if (data->eof()) {
        // An empty data set prints one detail band with empty fields, or nothing.
        if (setup_.printIfEmpty) {
            startPage(false);
            placeDetail();
            finishPage();
        }
        complete_ = true;
        return true;
    }
    startPage(true);
    return true;
}

bool PageBuilder::step(int rows)
{
    if (!begun_)
        begin();
    if (complete_)
        return true;
    TableView* data = src_.views[int(ReportElement::View::Numbers)];
    for (int i = 0; i < rows && !data->eof(); ++i) {
        placeDetail();
        data->next();
    }
    if (data->eof()) {
        finishPage();
        complete_ = true;
    }
    return complete_;
}

double PageBuilder::columnLeft(int column) const
{
    return setup_.leftMargin + column * (setup_.columnWidth() + setup_.columnGap);
}

bool PageBuilder::runHook(ReportBand& band)
{
    bool print = true;
    if (src_.bandHook && band.name == src_.hookedBand)
        src_.bandHook(band, print);
    return print;
}

void PageBuilder::startPage(bool withColumnHeader)
{
    ++pageNumber_;
    page_ = std::make_shared<Page>();
    page_->number = pageNumber_;
    overflow_.clear();
    // The date on which the page is produced, also when a long run passes midnight.
    dateText_ = QLocale().toString(src_.today.isValid() ? src_.today : QDate::currentDate(), QLocale::ShortFormat);
    y_ = setup_.topMargin;
    if (pageNumber_ > 1 || setup_.pageHeaderOnFirstPage) {
        if (ReportBand* header = src_.definition->band(ReportBand::Kind::PageHeader); header && runHook(*header)) {
            const LaidBand laid = layOut(*header);
            emitBand(laid, setup_.leftMargin, y_, setup_.printableWidth());
            y_ += laid.height;
        }
    }
    column_ = 0;
    columnTop_ = y_;
    columnHasDetail_ = false;
    if (withColumnHeader)
        placeColumnHeader();
}

void PageBuilder::placeColumnHeader()
{
    ReportBand* header = src_.definition->band(ReportBand::Kind::ColumnHeader);
    if (!header || !runHook(*header))
        return;
    const LaidBand laid = layOut(*header);
    emitBand(laid, columnLeft(column_), y_, setup_.columnWidth());
    y_ += laid.height;
}

void PageBuilder::nextColumn()
{
    if (++column_ >= std::max(1, setup_.columns)) {
        finishPage();
        startPage(true);
        return;
    }
    y_ = columnTop_;
    columnHasDetail_ = false;
    placeColumnHeader();
}

void PageBuilder::placeDetail()
{
    ReportBand* detail = src_.definition->band(ReportBand::Kind::Detail);
    if (!detail || !runHook(*detail))
        return; // a suppressed row takes no space and starts no page
    LaidBand laid = layOut(*detail);
    // A band that does not fit even an empty column would never fit anywhere:
    // it is placed where it is, overrunning the margin, so the run still ends.
    if (y_ + laid.height > setup_.pageBottom() + Epsilon && columnHasDetail_) {
        const int page = pageNumber_;
        nextColumn();
        if (page != pageNumber_)
            laid = layOut(*detail); // the page number may print in it
    }
    emitBand(laid, columnLeft(column_), y_, setup_.columnWidth());
    y_ += laid.height;
    columnHasDetail_ = true;
}

void PageBuilder::finishPage()
{
    if (!page_)
        return;
    if (setup_.pageFrame) {
        const QRectF printable(setup_.leftMargin, setup_.topMargin, setup_.printableWidth(),
                               setup_.pageBottom() - setup_.topMargin);
        page_->items.append(PageItem::covering(PageItem::Frame, printable, quint8(setup_.pageFrame.toInt())));
    }
    page_->squeeze();
    PagePtr done = std::move(page_);
    page_.reset();
    ++delivered_;
    sink_(std::move(done));
}

QString PageBuilder::textOf(const ReportElement& element) const
{
    switch (element.kind) {
    case ReportElement::Kind::Label:
        return element.caption;
    case ReportElement::Kind::DataField:
        return src_.views[int(element.view)]->asText(element.field);
    case ReportElement::Kind::PageNumber:
        return QString::number(pageNumber_);
    case ReportElement::Kind::Date:
        return dateText_;
    case ReportElement::Kind::Image:
        break;
    }
    return QString();
}

PageBuilder::LaidElement PageBuilder::layOut(const ReportElement& e)
{
    LaidElement out;
    out.element = &e;
    out.font = e.font ? *e.font : setup_.baseFont;
    if (e.kind == ReportElement::Kind::Image) {
        out.box = QRectF(e.left, e.top, e.width, e.height);
        out.ink = out.box;
        return out;
    }

    const TextMeasurer::Metrics m = measurer_.metrics(out.font);
    const double height = e.height > 0 ? e.height : m.height;
    // Room that n lines take: the last one needs no spacing below it.
    auto linesHeight = [&](qsizetype n) { return n > 0 ? (n - 1) * m.lineSpacing + m.height : 0.0; };
    const QString text = textOf(e);

    if (e.autoSize) {
        const double w = measurer_.width(out.font, text);
        double x = e.left;
        if (e.align == ReportElement::Align::Right)
            x = e.left + e.width - w;
        else if (e.align == ReportElement::Align::Center)
            x = e.left + e.width / 2 - w / 2;
        out.box = QRectF(x, e.top, w, height);
        if (!text.isEmpty())
            out.lines.append({text, x, e.top + m.ascent, false});
        out.ink = out.box;
        return out;
    }

    auto place = [&](const QString& line, double w, int index) {
        double x = e.left;
        if (e.align == ReportElement::Align::Right)
            x = e.left + e.width - w;
        else if (e.align == ReportElement::Align::Center)
            x = e.left + (e.width - w) / 2;
        // Cutting text at the box is costly on some devices; only lines that overrun it need it.
        const bool overruns = x < e.left - Epsilon || x + w > e.left + e.width + Epsilon;
        out.lines.append({line, x, e.top + m.ascent + index * m.lineSpacing, overruns});
    };

    double boxHeight = height;
    if (e.wordWrap) {
        const QList<TextMeasurer::Line> lines = measurer_.wrap(out.font, text, e.width);
        qsizetype shown = lines.size();
        if (e.stretch) {
            boxHeight = std::max(height, linesHeight(shown));
        } else {
            const auto fitting = qsizetype(std::floor((height - m.height) / m.lineSpacing + Epsilon)) + 1;
            shown = std::min(shown, std::max<qsizetype>(1, fitting));
        }
        for (qsizetype i = 0; i < shown; ++i)
            place(text.mid(lines[i].start, lines[i].length), lines[i].width, int(i));
    } else if (!text.isEmpty()) {
        place(text, measurer_.width(out.font, text), 0);
    }
    out.box = QRectF(e.left, e.top, e.width, boxHeight);
    out.ink = QRectF(e.left, e.top, e.width, std::max(boxHeight, linesHeight(out.lines.size())));
    return out;
}

PageBuilder::LaidBand PageBuilder::layOut(const ReportBand& band)
{
    LaidBand out;
    out.band = &band;
    double growth = 0;
    out.elements.reserve(band.elements.size());
    for (const ReportElement& e : band.elements) {
        LaidElement laid = layOut(e);
        if (e.stretch && !e.autoSize) {
            const double declared = e.height > 0 ? e.height : measurer_.metrics(laid.font).height;
            growth = std::max(growth, laid.box.height() - declared);
        }
        out.elements.append(std::move(laid));
    }
    out.height = band.height + growth;
    return out;
}

bool PageBuilder::overlapsOverflow(const QRectF& r) const
{
    return std::any_of(overflow_.begin(), overflow_.end(), [&](const QRectF& o) { return overlaps(o, r); });
}

void PageBuilder::emitBand(const LaidBand& laid, double left, double top, double width)
{
    Page& page = *page_;
    const QRectF bandRect(left, top, width, laid.height);
    // White on white paper changes nothing; a fill is kept only where it hides ink.
    if (overlapsOverflow(bandRect)) {
        page.items.append(PageItem::covering(PageItem::Fill, bandRect));
    }

    QList<QRectF> bandInk;
    for (const LaidElement& le : laid.elements) {
        const ReportElement& e = *le.element;
        const QRectF box = le.box.translated(left, top);
        const QRectF ink = le.ink.translated(left, top);
        if (!e.transparent && !box.isEmpty() &&
            (!contains(bandRect, box) || overlapsOverflow(box) ||
             std::any_of(bandInk.begin(), bandInk.end(), [&](const QRectF& r) { return overlaps(r, box); }))) {
            page.items.append(PageItem::covering(PageItem::Fill, box));
        }
        if (e.kind == ReportElement::Kind::Image) {
            if (!e.picture.isNull() && box.width() > 0 && box.height() > 0) {
                PageItem image = PageItem::covering(PageItem::Image, box);
                image.ref = page.imageIndex(e.picture);
                page.items.append(image);
            }
        } else if (!le.lines.isEmpty()) {
            const quint16 font = page.fontIndex(le.font);
            for (const LaidLine& line : le.lines) {
                page.addText(float(ink.x()), float(ink.y()), float(ink.width()), float(ink.height()),
                             float(left + line.x), float(top + line.baseline), font, line.text, line.clip);
            }
        }
        if (e.frame && !box.isEmpty()) {
            page.items.append(PageItem::covering(PageItem::Frame, box, quint8(e.frame.toInt())));
        }
        if (!le.lines.isEmpty() || e.kind == ReportElement::Kind::Image || e.frame) {
            bandInk.append(ink);
            if (!contains(bandRect, ink))
                overflow_.append(ink);
        }
    }

    if (laid.band->frame) {
        page.items.append(PageItem::covering(PageItem::Frame, bandRect, quint8(laid.band->frame.toInt())));
    }
}

} // namespace kvilbro
