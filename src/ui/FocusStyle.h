#pragma once

#include <QProxyStyle>

namespace kvilbro {

// The program's look: Fusion, with a focus frame a keyboard user sees at a
// glance on every control (grid cells, check boxes, buttons, lists): two
// pixels of solid text colour instead of Fusion's faint outline.
class FocusStyle : public QProxyStyle {
public:
    FocusStyle();

    static constexpr int FrameWidth = 2;

    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                       const QWidget* widget = nullptr) const override;
    void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget = nullptr) const override;

private:
    void drawFocusFrame(const QRect& rect, const QStyleOption* option, QPainter* painter) const;
};

} // namespace kvilbro
