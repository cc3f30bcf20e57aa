#pragma once

#include "ReportFont.h"
#include "Sides.h"

#include <QImage>
#include <QString>

#include <optional>

namespace kvilbro {

// One element of a band. Positions are millimetres from the band's top-left corner.
//
// Without auto-size the text sits in the fixed box left..left+width, aligned
// there; word wrap breaks it at the box width and only the lines that fit the
// box's height print, unless stretch lets the element and its band grow. With
// auto-size the text is one line as wide as itself, anchored at left (left
// alignment), at left + width (right) or on left + width / 2 (centre).
struct ReportElement {
    enum class Kind : quint8 { Label, DataField, PageNumber, Date, Image };
    enum class View : quint8 { Areas, Numbers, Collector };
    enum class Align : quint8 { Left, Center, Right };

    Kind kind = Kind::Label;
    QString name;
    double left = 0;
    double top = 0;
    double width = 0;
    double height = 0; // 0: one line of the element's font
    Align align = Align::Left;
    bool autoSize = false;
    bool wordWrap = false;
    bool stretch = false;
    std::optional<ReportFont> font; // the report's base font when unset
    bool transparent = false;       // no white background
    Sides frame;
    QString caption; // Label
    View view = View::Numbers;
    QString field;  // DataField
    QImage picture; // Image: drawn stretched into the box

    static ReportElement label(const QString& name, const QString& caption);
    static ReportElement dataField(const QString& name, View view, const QString& field);
    static ReportElement pageNumber(const QString& name);
    static ReportElement date(const QString& name);
    static ReportElement image(const QString& name, double left, double top, double width, double height);

    // Auto-size text starting at x, ending at x, or centred on x.
    ReportElement& startingAt(double x, double y);
    ReportElement& endingAt(double x, double y);
    ReportElement& centredOn(double x, double y);
    // Auto-size text anchored at x as `anchor` says (what the three above share).
    ReportElement& autoSized(double x, double y, Align anchor);
    // A fixed box from x1 to x2 with the given alignment.
    ReportElement& box(double x1, double x2, double y, Align alignment = Align::Left);
    ReportElement& withHeight(double h);
    ReportElement& withFont(double pointSize, bool bold = false);
    ReportElement& withFont(const ReportFont& f);
    ReportElement& wrapped(bool stretching);
    ReportElement& framed(Sides sides);
    ReportElement& withoutBackground();

    bool isText() const { return kind != Kind::Image; }
};

} // namespace kvilbro
