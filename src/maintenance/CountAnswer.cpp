#include "CountAnswer.h"

#include "Digits.h"

#include <limits>

namespace kvilbro {

bool CountAnswer::goesOn(QStringView answer)
{
    // Code unit by code unit: only the first one or two matter against "0".
    return answer.compare(u"0", Qt::CaseSensitive) > 0;
}

int CountAnswer::count(QStringView answer)
{
    constexpr qint64 largest = std::numeric_limits<int>::max();
    int base = 10;
    if (answer.startsWith(u'x', Qt::CaseInsensitive)) {
        base = 16;
        answer = answer.mid(1);
    } else if (answer.startsWith(u"0x", Qt::CaseInsensitive)) {
        base = 16;
        answer = answer.mid(2);
    }
    qint64 value = 0;
    for (QChar c : answer) {
        const int digit = digitValue(c, base);
        if (digit < 0)
            break;
        value = std::min(value * base + digit, largest);
    }
    return int(value);
}

} // namespace kvilbro
