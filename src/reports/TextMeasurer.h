#pragma once

#include "ReportFont.h"

#include <QFontMetricsF>
#include <QImage>
#include <QList>
#include <QString>

#include <memory>

namespace kvilbro {

// Measures text once, on one fixed reference device, in millimetres. Line
// breaks, auto-size widths and page breaks are therefore the same whatever
// device the pages are drawn on later.
class TextMeasurer {
public:
    struct Metrics {
        double ascent = 0;
        double height = 0;      // ascent and descent: the box of one line
        double lineSpacing = 0; // distance from one line's baseline to the next
    };
    struct Line {
        qsizetype start = 0;
        qsizetype length = 0;
        double width = 0;
    };

    // Resolution of the reference device: fine enough that rounding to its
    // pixels is far below what a printer shows.
    static constexpr int ReferenceDpi = 1200;

    TextMeasurer();
    TextMeasurer(const TextMeasurer&) = delete;
    TextMeasurer& operator=(const TextMeasurer&) = delete;

    Metrics metrics(const ReportFont& font);
    double width(const ReportFont& font, const QString& text);
    // Breaks at word boundaries, or inside a word longer than the width.
    QList<Line> wrap(const ReportFont& font, const QString& text, double widthMm);

private:
    struct Entry {
        ReportFont key;
        QFont font;
        std::unique_ptr<QFontMetricsF> metrics;
    };
    Entry& entry(const ReportFont& font);

    QImage device_;
    std::vector<Entry> entries_;
};

} // namespace kvilbro
