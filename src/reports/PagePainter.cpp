#include "PagePainter.h"

#include "Error.h"
#include "PageList.h"
#include "Sides.h"

#include <QFile>
#include <QPaintDevice>
#include <QPainter>
#include <QPdfWriter>

#include <algorithm>

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
        case PageItem::Frame: {
            // Lines lie inside the rectangle, so the next band's white cannot cover them.
            const auto sides = Sides::fromInt(item.flags);
            if (sides & Side::Top)
                painter.fillRect(QRectF(r.left(), r.top(), r.width(), line), Qt::black);
            if (sides & Side::Bottom)
                painter.fillRect(QRectF(r.left(), r.bottom() - line, r.width(), line), Qt::black);
            if (sides & Side::Left)
                painter.fillRect(QRectF(r.left(), r.top(), line, r.height()), Qt::black);
            if (sides & Side::Right)
                painter.fillRect(QRectF(r.right() - line, r.top(), line, r.height()), Qt::black);
            break;
        }
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
}

void PagePainter::writePdf(const PageList& pages, const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        throw Error(QStringLiteral("Filen %1 kan ikke skrives: %2").arg(path, file.errorString()), Error::Kind::File);
    QPdfWriter writer(&file);
    writer.setResolution(1200);
    writer.setTitle(pages.title());
    writer.setCreator(QStringLiteral("Kvilbro"));
    writer.setPageSize(QPageSize(pages.paperSize(), QPageSize::Millimeter));
    writer.setPageMargins(QMarginsF(0, 0, 0, 0));
    const double pixelsPerMm = writer.resolution() / 25.4;
    QPainter painter;
    if (!painter.begin(&writer))
        throw Error(QStringLiteral("Filen %1 kan ikke skrives.").arg(path), Error::Kind::File);
    const QList<PagePtr> all = pages.pages();
    for (qsizetype i = 0; i < all.size(); ++i) {
        if (i > 0)
            writer.newPage();
        paint(painter, *all[i], pixelsPerMm);
    }
    painter.end();
    file.close();
    if (file.error() != QFileDevice::NoError)
        throw Error(QStringLiteral("Filen %1 kan ikke skrives: %2").arg(path, file.errorString()), Error::Kind::File);
}

} // namespace kvilbro
