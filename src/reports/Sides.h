#pragma once

#include <QFlags>

namespace kvilbro {

// Sides of a band, an element or the printable area that get a frame line.
enum class Side : quint8 {
    Top = 0x1,
    Bottom = 0x2,
    Left = 0x4,
    Right = 0x8,
};
Q_DECLARE_FLAGS(Sides, Side)
Q_DECLARE_OPERATORS_FOR_FLAGS(Sides)

inline constexpr Sides AllSides{Side::Top, Side::Bottom, Side::Left, Side::Right};

} // namespace kvilbro
