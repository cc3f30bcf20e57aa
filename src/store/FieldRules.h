#pragma once

#include <QString>
#include <QStringView>

#include <optional>

namespace kvilbro {

// Cuts a text to at most `width` characters. Characters are what the reader
// sees (grapheme clusters after NFC), so a letter is never split from its accent.
QString cutToWidth(const QString& text, int width);

// Number of characters of a text in the sense of cutToWidth.
int characterCount(const QString& text);

// A whole number in the range of a 32-bit signed integer: an optional sign and
// decimal digits, nothing else.
std::optional<qint32> parseInt32(QStringView text);

QString invalidIntegerMessage(const QString& text);
QString invalidIntegerForFieldMessage(const QString& text, const QString& field);

} // namespace kvilbro
