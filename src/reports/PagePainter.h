#pragma once

#include "Page.h"

#include <QLineF>
#include <QList>
#include <QString>

class QPainter;
class QPrinter;

namespace kvilbro {

class PageList;

// Draws laid-out pages on any device: preview, printer, PDF. Nothing is
// measured again; fonts are sized so that points stay points on the device.
class PagePainter {
public:
    // The painter's origin is the paper's top-left corner; `pixelsPerMm` the
    // device's scale. `minimumLine` keeps frame lines visible on a small preview.
    static void paint(QPainter& painter, const Page& page, double pixelsPerMm, double minimumLine = 0);
    // The page's frame lines in mm, each edge once: sides of boxes that meet
    // or overlap on one line are joined into one stretch.
    static QList<QLineF> frameLines(const Page& page);

    // Writes the pages as a PDF file of their paper size. Throws Error when the file cannot be written.
    static void writePdf(const PageList& pages, const QString& path);
};

} // namespace kvilbro
