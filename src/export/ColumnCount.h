#pragma once

#include <QStringView>

namespace kvilbro {

// How the answer to "Antal kolonner i filen " is read: leading spaces, an
// optional sign, then decimal digits, or hexadecimal digits after "$", "x",
// "X", "0x" or "0X". Reading stops at the first character that does not fit;
// when it stops before the end of the answer, the digits read so far give the
// value and the sign is dropped. No digits give 0.
//
// A value past the range of int reads as 0, as an answer without digits
// does: no header groups and every entry on one line, rather than a header
// of billions of groups that would fill the disk.
int readColumnCount(QStringView answer);

} // namespace kvilbro
