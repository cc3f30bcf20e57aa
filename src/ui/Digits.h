#pragma once

#include <QChar>

namespace kvilbro {

// The value of a digit in base 10 or 16 (either letter case); -1 for any other character.
// Shared by the commands that read a number out of what the collector typed.
inline int digitValue(QChar c, int base)
{
    const char16_t u = c.unicode();
    if (u >= u'0' && u <= u'9')
        return u - u'0';
    if (base == 16 && u >= u'a' && u <= u'f')
        return u - u'a' + 10;
    if (base == 16 && u >= u'A' && u <= u'F')
        return u - u'A' + 10;
    return -1;
}

} // namespace kvilbro
