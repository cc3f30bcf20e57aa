#include "ReportElement.h"

namespace kvilbro {

ReportElement ReportElement::label(const QString& name, const QString& caption)
{
    ReportElement e;
    e.kind = Kind::Label;
    e.name = name;
    e.caption = caption;
    return e;
}

ReportElement ReportElement::dataField(const QString& name, View view, const QString& field)
{
    ReportElement e;
    e.kind = Kind::DataField;
    e.name = name;
    e.view = view;
    e.field = field;
    return e;
}

ReportElement ReportElement::pageNumber(const QString& name)
{
    ReportElement e;
    e.kind = Kind::PageNumber;
    e.name = name;
    return e;
}

ReportElement ReportElement::date(const QString& name)
{
    ReportElement e;
    e.kind = Kind::Date;
    e.name = name;
    return e;
}

ReportElement ReportElement::image(const QString& name, double left, double top, double width, double height)
{
    ReportElement e;
    e.kind = Kind::Image;
    e.name = name;
    e.left = left;
    e.top = top;
    e.width = width;
    e.height = height;
    return e;
}

ReportElement& ReportElement::autoSized(double x, double y, Align anchor)
{
    left = x;
    top = y;
    width = 0;
    align = anchor;
    autoSize = true;
    return *this;
}

ReportElement& ReportElement::startingAt(double x, double y)
{
    return autoSized(x, y, Align::Left);
}

ReportElement& ReportElement::endingAt(double x, double y)
{
    return autoSized(x, y, Align::Right);
}

ReportElement& ReportElement::centredOn(double x, double y)
{
    return autoSized(x, y, Align::Center);
}

ReportElement& ReportElement::box(double x1, double x2, double y, Align alignment)
{
    left = x1;
    width = x2 - x1;
    top = y;
    align = alignment;
    autoSize = false;
    return *this;
}

ReportElement& ReportElement::withHeight(double h)
{
    height = h;
    return *this;
}

ReportElement& ReportElement::withFont(double pointSize, bool bold)
{
    return withFont(ReportFont{QStringLiteral("Arial"), pointSize, bold});
}

ReportElement& ReportElement::withFont(const ReportFont& f)
{
    font = f;
    return *this;
}

ReportElement& ReportElement::wrapped(bool stretching)
{
    wordWrap = true;
    stretch = stretching;
    return *this;
}

ReportElement& ReportElement::framed(Sides sides)
{
    frame = sides;
    return *this;
}

ReportElement& ReportElement::withoutBackground()
{
    transparent = true;
    return *this;
}

} // namespace kvilbro
