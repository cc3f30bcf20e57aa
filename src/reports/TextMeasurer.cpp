#include "TextMeasurer.h"

#include <QTextLayout>
#include <QTextOption>

namespace kvilbro {

namespace {
constexpr double MmPerPixel = 25.4 / TextMeasurer::ReferenceDpi;
}

TextMeasurer::TextMeasurer() : device_(8, 8, QImage::Format_ARGB32_Premultiplied)
{
    const int dotsPerMeter = qRound(ReferenceDpi / 0.0254);
    device_.setDotsPerMeterX(dotsPerMeter);
    device_.setDotsPerMeterY(dotsPerMeter);
}

TextMeasurer::Entry& TextMeasurer::entry(const ReportFont& font)
{
    for (Entry& e : entries_) {
        if (e.key == font)
            return e;
    }
    Entry e;
    e.key = font;
    e.font = font.toQFont();
    e.metrics = std::make_unique<QFontMetricsF>(e.font, &device_);
    entries_.push_back(std::move(e));
    return entries_.back();
}

TextMeasurer::Metrics TextMeasurer::metrics(const ReportFont& font)
{
    const Entry& e = entry(font);
    return {e.metrics->ascent() * MmPerPixel, e.metrics->height() * MmPerPixel, e.metrics->lineSpacing() * MmPerPixel};
}

double TextMeasurer::width(const ReportFont& font, const QString& text)
{
    if (text.isEmpty())
        return 0;
    return entry(font).metrics->horizontalAdvance(text) * MmPerPixel;
}

QList<TextMeasurer::Line> TextMeasurer::wrap(const ReportFont& font, const QString& text, double widthMm)
{
    QList<Line> lines;
    if (text.isEmpty())
        return lines;
    const Entry& e = entry(font);
    QTextLayout layout(text, e.font, &device_);
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    layout.beginLayout();
    for (;;) {
        QTextLine line = layout.createLine();
        if (!line.isValid())
            break;
        line.setLineWidth(std::max(0.0, widthMm / MmPerPixel));
        qsizetype start = line.textStart();
        qsizetype length = line.textLength();
        // The spaces a line breaks at belong to no line's visible text.
        while (length > 0 && text.at(start + length - 1).isSpace())
            --length;
        lines.append({start, length, line.naturalTextWidth() * MmPerPixel});
    }
    layout.endLayout();
    return lines;
}

} // namespace kvilbro
