#include "PictureFileName.h"

#include "FieldRules.h"

namespace kvilbro {

namespace {

constexpr int TypeWidth = 10;

bool isAsciiDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

} // namespace

PictureFileName::PictureFileName(QStringView name)
{
    qsizetype digits = 0;
    while (digits < name.size() && isAsciiDigit(name[digits]))
        ++digits;
    numberPart = name.left(digits).toString();

    QStringView rest = name.mid(digits);
    const qsizetype dot = rest.indexOf(u'.');
    if (dot >= 0)
        rest = rest.left(dot);
    // Composed and counted as the store counts a field's characters, so a
    // variant written with a combining accent compares with the one typed
    // into `Type`.
    typePart = cutToWidth(rest.toString().normalized(QString::NormalizationForm_C), TypeWidth);

    // Any number of digits: only the value counts.
    QStringView value = QStringView(numberPart);
    while (value.size() > 1 && value.front() == u'0')
        value = value.mid(1);
    constexpr QStringView Largest = u"2147483647";
    if (value.isEmpty() || value.size() > Largest.size() ||
        (value.size() == Largest.size() && value.compare(Largest) > 0))
        return;
    number = value.toString();
}

} // namespace kvilbro
