#include "FieldRules.h"

#include <QTextBoundaryFinder>

#include <limits>

namespace kvilbro {

namespace {

bool isPlainAscii(const QString& text)
{
    for (QChar c : text) {
        if (c.unicode() >= 0x80)
            return false;
    }
    return true;
}

} // namespace

QString cutToWidth(const QString& text, int width)
{
    if (width <= 0)
        return QString();
    if (isPlainAscii(text))
        return text.size() <= width ? text : text.left(width);
    const QString normal = text.normalized(QString::NormalizationForm_C);
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, normal);
    int count = 0;
    while (finder.toNextBoundary() != -1) {
        if (++count == width) {
            const qsizetype end = finder.position();
            return end < normal.size() ? normal.left(end) : normal;
        }
    }
    return normal;
}

int characterCount(const QString& text)
{
    if (isPlainAscii(text))
        return int(text.size());
    const QString normal = text.normalized(QString::NormalizationForm_C);
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, normal);
    int count = 0;
    while (finder.toNextBoundary() != -1)
        ++count;
    return count;
}

std::optional<qint32> parseInt32(QStringView text)
{
    qsizetype i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) {
        negative = text[i] == u'-';
        ++i;
    }
    if (i == text.size())
        return std::nullopt;
    qint64 value = 0;
    for (; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (c < u'0' || c > u'9')
            return std::nullopt;
        value = value * 10 + (c - u'0');
        if (value > qint64(std::numeric_limits<qint32>::max()) + 1)
            return std::nullopt;
    }
    if (negative)
        value = -value;
    if (value > std::numeric_limits<qint32>::max() || value < std::numeric_limits<qint32>::min())
        return std::nullopt;
    return qint32(value);
}

QString invalidIntegerMessage(const QString& text)
{
    return QStringLiteral("'%1' is not a valid integer value").arg(text);
}

QString invalidIntegerForFieldMessage(const QString& text, const QString& field)
{
    return QStringLiteral("'%1' is not a valid integer value for field '%2'").arg(text, field);
}

} // namespace kvilbro
