#include "PagePainter.h"

#include "Error.h"
#include "PageList.h"
#include "ReportMessages.h"
#include "Sides.h"

#include <QFile>
#include <QPaintDevice>
#include <QPainter>
#include <QPdfWriter>

#include <algorithm>
#include <map>

namespace kvilbro {

void PagePainter::paint(QPainter& painter, const Page& page, double pixelsPerMm, double minimumLine)
{
    const double s = pixelsPerMm;
    // A font of n points must come out n/72 inch tall whatever the device's
    // own idea of its resolution.
    const double fontScale = s * 25.4 / painter.device()->logicalDpiY();
    QList<QFont> fonts;
    fonts.reserve(page.fonts.size());
    for (const ReportFont& f : page.fonts)
        fonts.append(f.toQFont(fontScale));

    const double line = std::max(FrameLineWidth * s, minimumLine);
    int currentFont = -1;
    painter.setPen(Qt::black);
    for (const PageItem& item : page.items) {
        const QRectF r(item.x * s, item.y * s, item.w * s, item.h * s);
        switch (item.kind) {
        case PageItem::Fill:
            painter.fillRect(r, Qt::white);
            break;
        case PageItem::Frame:
            break; // all lines come last, each once
        case PageItem::Text: {
            if (item.font >= fonts.size())
                break;
            if (currentFont != item.font) {
                painter.setFont(fonts[item.font]);
                currentFont = item.font;
            }
            const bool clip = item.flags & PageItem::Clip;
            if (clip) {
                painter.save();
                painter.setClipRect(r, Qt::IntersectClip);
            }
            const QStringView text = page.textOf(item);
            // The page outlives the call: no copy of its text needed.
            painter.drawText(QPointF(item.textX * s, item.baseline * s),
                             QString::fromRawData(text.data(), text.size()));
            if (clip) {
                painter.restore();
            }
            break;
        }
        case PageItem::Image:
            if (item.ref < quint32(page.images.size()))
                painter.drawImage(r, page.images[item.ref]);
            break;
        }
    }
    // Lines are centred on their edges and drawn after every fill, so that no
    // white covers them and the edge two boxes share is one line, not two side by side.
    const double half = line / 2;
    for (const QLineF& l : frameLines(page)) {
        if (l.y1() == l.y2())
            painter.fillRect(QRectF(l.x1() * s - half, l.y1() * s - half, (l.x2() - l.x1()) * s + line, line),
                             Qt::black);
        else
            painter.fillRect(QRectF(l.x1() * s - half, l.y1() * s - half, line, (l.y2() - l.y1()) * s + line),
                             Qt::black);
    }
}

QList<QLineF> PagePainter::frameLines(const Page& page)
{
    // Edges keyed by the line they lie on (horizontal: y, vertical: x, in
    // hundredths of a millimetre), each with the stretches it covers.
    using Stretches = QList<std::pair<double, double>>;
    std::map<std::pair<bool, qint64>, Stretches> edges;
    auto add = [&](bool vertical, double at, double from, double to) {
        edges[{vertical, qRound64(at * 100)}].append({from, to});
    };
    for (const PageItem& item : page.items) {
        if (item.kind != PageItem::Frame)
            continue;
        const auto sides = Sides::fromInt(item.flags);
        const double left = item.x, top = item.y, right = item.x + item.w, bottom = item.y + item.h;
        if (sides & Side::Top)
            add(false, top, left, right);
        if (sides & Side::Bottom)
            add(false, bottom, left, right);
        if (sides & Side::Left)
            add(true, left, top, bottom);
        if (sides & Side::Right)
            add(true, right, top, bottom);
    }
    QList<QLineF> lines;
    for (auto& [key, stretches] : edges) {
        const double at = key.second / 100.0;
        std::sort(stretches.begin(), stretches.end());
        auto emitLine = [&](double from, double to) {
            lines.append(key.first ? QLineF(at, from, at, to) : QLineF(from, at, to, at));
        };
        double from = stretches.first().first;
        double to = stretches.first().second;
        for (const auto& [a, b] : stretches) {
            if (a > to + 0.005) {
                emitLine(from, to);
                from = a;
            }
            to = std::max(to, b);
        }
        emitLine(from, to);
    }
    return lines;
}

void PagePainter::writePdf(const PageList& pages, const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        throw Error(reportmessages::cannotWrite(path, file.errorString()), Error::Kind::File);
    QPdfWriter writer(&file);
    writer.setResolution(1200);
    writer.setTitle(pages.title());
    writer.setCreator(QStringLiteral("Kvilbro"));
    writer.setPageSize(QPageSize(pages.paperSize(), QPageSize::Millimeter));
    writer.setPageMargins(QMarginsF(0, 0, 0, 0));
    const double pixelsPerMm = writer.resolution() / 25.4;
    QPainter painter;
    if (!painter.begin(&writer))
        throw Error(reportmessages::cannotWrite(path), Error::Kind::File);
    const QList<PagePtr> all = pages.pages();
    for (qsizetype i = 0; i < all.size(); ++i) {
        if (i > 0)
            writer.newPage();
        paint(painter, *all[i], pixelsPerMm);
    }
    painter.end();
    file.close();
    if (file.error() != QFileDevice::NoError)
        throw Error(reportmessages::cannotWrite(path, file.errorString()), Error::Kind::File);
}

} // namespace kvilbro
