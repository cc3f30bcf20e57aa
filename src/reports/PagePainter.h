#pragma once

#include "Page.h"

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

    // Writes the pages as a PDF file of their paper size. Throws Error when the file cannot be written.
    static void writePdf(const PageList& pages, const QString& path);
};

} // namespace kvilbro
