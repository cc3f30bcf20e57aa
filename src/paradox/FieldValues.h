#pragma once

#include <QVariant>

#include <cstddef>

namespace kvilbro::paradox {

// Decoders of a record's fixed-width fields. Each gives an invalid QVariant
// for a blank (all bytes zero), so a blank is never taken for a zero. `p`
// points at exactly as many bytes as the type takes.

QVariant shortValue(const uchar* p);             // qint32
QVariant longValue(const uchar* p);              // qint32; long and autoincrement
QVariant numberValue(const uchar* p);            // double; number and currency
QVariant dateValue(const uchar* p);              // QDate
QVariant timeValue(const uchar* p);              // QTime
QVariant timestampValue(const uchar* p);         // QDateTime (no time zone)
QVariant logicalValue(const uchar* p);           // bool
QByteArray alphaBytes(const uchar* p, int size); // up to the first zero byte
bool allZero(const uchar* p, int size);

} // namespace kvilbro::paradox
