#include "FocusStyle.h"

#include <QPainter>
#include <QStyleFactory>
#include <QStyleOption>

namespace kvilbro {

FocusStyle::FocusStyle() : QProxyStyle(QStyleFactory::create(QStringLiteral("Fusion"))) {}

void FocusStyle::drawFocusFrame(const QRect& rect, const QStyleOption* option, QPainter* painter) const
{
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing, false);
    painter->setBrush(Qt::NoBrush);
    // Text colour: it stands out on white, on grey buttons and on a selected cell.
    QPen pen(option->palette.color(QPalette::Active, QPalette::Text), FrameWidth);
    pen.setJoinStyle(Qt::MiterJoin);
    painter->setPen(pen);
    painter->drawRect(QRectF(rect).adjusted(FrameWidth / 2.0, FrameWidth / 2.0, -FrameWidth / 2.0, -FrameWidth / 2.0));
    painter->restore();
}

void FocusStyle::drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                               const QWidget* widget) const
{
    if (element == PE_FrameFocusRect) {
        drawFocusFrame(option->rect, option, painter);
        return;
    }
    QProxyStyle::drawPrimitive(element, option, painter, widget);
}

void FocusStyle::drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                             const QWidget* widget) const
{
    QProxyStyle::drawControl(element, option, painter, widget);
    // Fusion marks a focused button only by a tint of its border.
    if (element == CE_PushButton && (option->state & State_HasFocus))
        drawFocusFrame(option->rect.adjusted(2, 2, -2, -2), option, painter);
}

} // namespace kvilbro
