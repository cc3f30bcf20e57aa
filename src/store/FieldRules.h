#pragma once

#include <QString>
#include <QStringView>
#include <QVariant>

#include <optional>

namespace kvilbro {

// Cuts a text to at most `width` characters. Characters are what the reader
// sees (grapheme clusters), so a letter is never split from its accent. A text
// that fits comes back unchanged; a cut one in composed form (NFC).
QString cutToWidth(const QString& text, int width);

// Number of characters of a text in the sense of cutToWidth.
int characterCount(const QString& text);

// A whole number in the range of a 32-bit signed integer: an optional sign and
// decimal digits, nothing else.
std::optional<qint32> parseInt32(QStringView text);

QString invalidIntegerMessage(const QString& text);

struct FieldDef;

// What a field stores for a typed text: NULL for a blank, text cut to the
// field's width, an integer, or a date in ISO form. Throws Error for a text
// the field cannot hold.
QVariant storedValue(const FieldDef& field, const QString& text);
// True when a text field would store `text` exactly as it is: not cut to the
// width and not rewritten into another form. A file path that is not stored
// as it is names no file.
bool storedAsIs(const FieldDef& field, const QString& text);
// A stored value as the collector reads it: dates in the short local form.
QString displayText(const FieldDef& field, const QVariant& value);
// Equal as stored values: blank text and NULL are the same.
bool sameFieldValue(const QVariant& a, const QVariant& b);
QString invalidIntegerForFieldMessage(const QString& text, const QString& field);

} // namespace kvilbro
