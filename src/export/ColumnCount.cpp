#include "ColumnCount.h"

#include "Digits.h"

#include <limits>

namespace kvilbro {

int readColumnCount(QStringView answer)
{
    qsizetype i = 0;
    while (i < answer.size() && answer[i] == u' ')
        ++i;
    bool negative = false;
    if (i < answer.size() && (answer[i] == u'+' || answer[i] == u'-')) {
        negative = answer[i] == u'-';
        ++i;
    }
    int base = 10;
    const QStringView rest = answer.mid(i);
    if (rest.startsWith(u'$') || rest.startsWith(u'x', Qt::CaseInsensitive)) {
        base = 16;
        i += 1;
    } else if (rest.startsWith(u"0x", Qt::CaseInsensitive)) {
        base = 16;
        i += 2;
    }
    // The magnitude may reach one past int's largest value only as a negative number.
    const qint64 limit = qint64(std::numeric_limits<int>::max()) + (negative ? 1 : 0);
    qint64 value = 0;
    for (; i < answer.size(); ++i) {
        const int digit = digitValue(answer[i], base);
        if (digit < 0)
            break;
        value = value * base + digit;
        if (value > limit)
            return 0;
    }
    if (i < answer.size())
        return value > std::numeric_limits<int>::max() ? 0 : int(value);
    return int(negative ? -value : value);
}

} // namespace kvilbro
