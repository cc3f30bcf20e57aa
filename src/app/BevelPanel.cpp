#include "BevelPanel.h"

#include <QPainter>

namespace kvilbro {

BevelPanel::BevelPanel(QWidget* parent, int borderWidth, bool innerLowered)
    : QWidget(parent), borderWidth_(borderWidth), innerLowered_(innerLowered)
{
    setAutoFillBackground(true);
}

QRect BevelPanel::inside() const
{
    const int inset = 1 + borderWidth_ + (innerLowered_ ? 1 : 0);
    return rect().adjusted(inset, inset, -inset, -inset);
}

void BevelPanel::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    const QColor light = palette().color(QPalette::Light);
    const QColor dark = palette().color(QPalette::Dark);
    auto bevel = [&p](const QRect& r, const QColor& topLeft, const QColor& bottomRight) {
        p.setPen(topLeft);
        p.drawLine(r.topLeft(), r.topRight());
        p.drawLine(r.topLeft(), r.bottomLeft());
        p.setPen(bottomRight);
        p.drawLine(r.bottomLeft(), r.bottomRight());
        p.drawLine(r.topRight(), r.bottomRight());
    };
    const QRect outer = rect().adjusted(0, 0, -1, -1);
    bevel(outer, light, dark);
    if (innerLowered_) {
        const QRect inner = outer.adjusted(1 + borderWidth_, 1 + borderWidth_, -1 - borderWidth_, -1 - borderWidth_);
        bevel(inner, dark, light);
    }
}

} // namespace kvilbro
