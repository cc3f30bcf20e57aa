#include "FieldValues.h"

#include <QDate>
#include <QDateTime>
#include <QTime>

#include <cmath>
#include <cstring>
#include <optional>

namespace kvilbro::paradox {

namespace {

// Numbers are stored big-endian with the sign bit flipped, so that their
// bytes sort as the numbers do; zero bytes mean blank.
quint32 big32(const uchar* p)
{
    return quint32(p[0]) << 24 | quint32(p[1]) << 16 | quint32(p[2]) << 8 | quint32(p[3]);
}

std::optional<double> storedDouble(const uchar* p)
{
    if (allZero(p, 8))
        return std::nullopt;
    quint64 bits = 0;
    for (int i = 0; i < 8; ++i)
        bits = bits << 8 | p[i];
    // Positive numbers have the sign bit set; negative ones are stored inverted.
    bits = (bits & (quint64(1) << 63)) ? bits & ~(quint64(1) << 63) : ~bits;
    double value = 0;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

// Day 1 is 1 January of the year 1.
constexpr qint64 JulianDayOfDayZero = 1721425;

} // namespace

bool allZero(const uchar* p, int size)
{
    for (int i = 0; i < size; ++i) {
        if (p[i] != 0)
            return false;
    }
    return true;
}

QVariant shortValue(const uchar* p)
{
    const quint16 raw = quint16(p[0] << 8 | p[1]);
    if (raw == 0)
        return {};
    return qint32(qint16(raw ^ 0x8000));
}

QVariant longValue(const uchar* p)
{
    const quint32 raw = big32(p);
    if (raw == 0)
        return {};
    return qint32(raw ^ 0x80000000u);
}

QVariant numberValue(const uchar* p)
{
    const auto value = storedDouble(p);
    return value ? QVariant(*value) : QVariant();
}

QVariant dateValue(const uchar* p)
{
    const QVariant days = longValue(p);
    if (!days.isValid())
        return {};
    const QDate date = QDate::fromJulianDay(JulianDayOfDayZero + days.toInt());
    return date.isValid() ? QVariant(date) : QVariant();
}

QVariant timeValue(const uchar* p)
{
    const QVariant ms = longValue(p);
    if (!ms.isValid() || ms.toInt() < 0 || ms.toInt() >= 86400000)
        return {};
    return QTime::fromMSecsSinceStartOfDay(ms.toInt());
}

QVariant timestampValue(const uchar* p)
{
    const auto ms = storedDouble(p);
    // Beyond the year 9999 or before the year 1 the stamp is damage, not a time.
    if (!ms || !std::isfinite(*ms) || *ms < 0 || *ms > 3.2e14)
        return {};
    const qint64 whole = qint64(*ms);
    const QDate date = QDate::fromJulianDay(JulianDayOfDayZero + whole / 86400000);
    return QDateTime(date, QTime::fromMSecsSinceStartOfDay(int(whole % 86400000)));
}

QVariant logicalValue(const uchar* p)
{
    if (p[0] == 0)
        return {};
    return (p[0] & 0x7F) != 0;
}

QByteArray alphaBytes(const uchar* p, int size)
{
    const void* zero = std::memchr(p, 0, size_t(size));
    const int length = zero ? int(static_cast<const uchar*>(zero) - p) : size;
    return QByteArray(reinterpret_cast<const char*>(p), length);
}

} // namespace kvilbro::paradox
