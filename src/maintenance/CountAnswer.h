#pragma once

#include <QStringView>

namespace kvilbro {

// How the answer to "how many numbers to add" is read.
class CountAnswer {
public:
    // True when the answer sorts after "0" by character code. This turns away
    // "0", an empty answer and anything starting below the digit 0 (" 5", "+5", "-5").
    static bool goesOn(QStringView answer);

    // The decimal digits at the start, or the hexadecimal digits after a leading
    // "x", "X", "0x" or "0X"; reading stops at the first other character and no
    // digits give 0. A value beyond the largest int is held at the largest int
    // rather than wrapping round to a small or negative count.
    static int count(QStringView answer);
};

} // namespace kvilbro
