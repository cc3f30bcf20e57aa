#include "FieldRules.h"

#include "Error.h"
#include "StoreMessages.h"
#include "TableDef.h"

#include <QDate>
#include <QLocale>

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
    // A text that fits is kept as it is: a path in another normal form than
    // ours still names its file.
    if (characterCount(text) <= width)
        return text;
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
    // Canonically equivalent forms have the same grapheme clusters.
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
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

QVariant storedValue(const FieldDef& field, const QString& text)
{
    if (text.isEmpty())
        return QVariant();
    switch (field.kind) {
    case FieldKind::Text:
        return cutToWidth(text, field.width);
    case FieldKind::Integer: {
        const auto parsed = parseInt32(text);
        if (!parsed)
            throw Error(invalidIntegerForFieldMessage(text, field.name), Error::Kind::Engine);
        return qint64(*parsed);
    }
    case FieldKind::Date: {
        QDate date = QDate::fromString(text, Qt::ISODate);
        if (!date.isValid())
            date = QLocale().toDate(text, QLocale::ShortFormat);
        if (!date.isValid()) {
            throw Error(storemessages::invalidDate(text, field.name), Error::Kind::Engine);
        }
        return date.toString(Qt::ISODate);
    }
    case FieldKind::RowId:
        break;
    }
    return QVariant();
}

bool storedAsIs(const FieldDef& field, const QString& text)
{
    return storedValue(field, text).toString() == text;
}

QString displayText(const FieldDef& field, const QVariant& value)
{
    if (value.isNull())
        return QString();
    const QString text = value.toString();
    if (field.kind == FieldKind::Date) {
        const QDate date = QDate::fromString(text, Qt::ISODate);
        if (date.isValid())
            return QLocale().toString(date, QLocale::ShortFormat);
    }
    return text;
}

bool sameFieldValue(const QVariant& a, const QVariant& b)
{
    const bool aNull = a.isNull() || (a.typeId() == QMetaType::QString && a.toString().isEmpty());
    const bool bNull = b.isNull() || (b.typeId() == QMetaType::QString && b.toString().isEmpty());
    if (aNull || bNull)
        return aNull == bNull;
    return a == b;
}

} // namespace kvilbro
