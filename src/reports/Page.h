#pragma once

#include <QRectF>

#include "ReportFont.h"

#include <QImage>
#include <QList>
#include <QString>
#include <QStringView>

namespace kvilbro {

// One drawing step of a laid-out page, in millimetres from the paper's top-left
// corner. Kept small and flat: a page list of a thousand pages holds millions.
struct PageItem {
    enum Kind : quint8 {
        Fill,  // white rectangle
        Frame, // lines along the chosen sides of the rectangle
        Text,  // one line of text at (textX, baseline)
        Image, // a picture stretched into the rectangle
    };
    enum TextFlag : quint8 { Clip = 0x1 }; // Text: cut at the rectangle

    Kind kind = Fill;
    quint8 flags = 0; // Frame: Sides; Text: TextFlag
    quint16 font = 0; // Text: index into the page's fonts
    float x = 0;
    float y = 0;
    float w = 0;
    float h = 0;
    float textX = 0;
    float baseline = 0;
    quint32 ref = 0;    // Text: offset into the page's text; Image: index into its images
    quint32 length = 0; // Text: length

    // A fill, frame or image item covering `rect` (mm).
    static PageItem covering(Kind kind, const QRectF& rect, quint8 flags = 0)
    {
        PageItem item;
        item.kind = kind;
        item.flags = flags;
        item.x = float(rect.x());
        item.y = float(rect.y());
        item.w = float(rect.width());
        item.h = float(rect.height());
        return item;
    }
};

// The frame line width, mm.
inline constexpr double FrameLineWidth = 0.2;

// A laid-out page: items in drawing order, the texts they print, their fonts and pictures.
struct Page {
    int number = 0;
    QList<PageItem> items;
    QString text;
    QList<ReportFont> fonts;
    QList<QImage> images;

    QStringView textOf(const PageItem& item) const { return QStringView(text).mid(item.ref, item.length); }
    quint16 fontIndex(const ReportFont& font);
    quint32 imageIndex(const QImage& image);
    void addText(float x, float y, float w, float h, float textX, float baseline, quint16 font, QStringView line,
                 bool clip);
    // Drops the spare capacity of the lists once the page is complete.
    void squeeze();
};

} // namespace kvilbro
