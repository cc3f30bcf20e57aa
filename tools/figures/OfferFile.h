#pragma once

#include "Marks.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace kvilbro::offers {

// The largest offer file read; no hand-kept offer list comes near it.
inline constexpr qint64 MaxOfferBytes = 64 * 1024 * 1024;

// Where the offer's fields are, counted from 1; 0 for a column the file lacks.
struct Columns {
    int number = 0;
    int variant = 0;
    int condition = 0;
};

// One offered stamp as read from the file.
struct OfferLine {
    int line = 0; // the line of the file it starts on, from 1
    QString text; // the line as it stands in the file, decoded
    qint32 number = 0;
    QString variant; // blank for none; exact, letter case kept
    // The condition the line offers; none when the file does not say.
    std::optional<Condition> condition;
};

// A line that names no stamp the program could look for.
struct Unreadable {
    int line = 0;
    QString text;
    QString reason; // plain English, e.g. "no catalogue number in 'abc'"
};

struct Offer {
    QString encoding; // "UTF-8", "UTF-16", "UTF-32" or "Windows-1252"
    QChar separator;  // ',', ';' or '\t'; null for a file of one column
    bool header = false;
    Columns columns;
    QList<OfferLine> lines;
    QList<Unreadable> unreadable;
    // What the reader assumed that the collector may want to know (the line
    // taken as the header, columns taken by position, ...), in plain English.
    QStringList notes;
};

// "1,2,3", "2,,4", "3": the number column, then optionally the variant and
// condition columns. None for text that is no such list.
std::optional<Columns> parseColumns(const QString& text);

// Whether the first line of an offer is its header.
enum class HeaderLine {
    // Without chosen columns, the header when it names the catalogue number
    // column and another and holds no number. With them, a line of the offer.
    Guess,
    First, // the header, whatever it holds
};

// Reads an offer from the bytes of a file; `name` names the file in messages.
// `chosen` overrides the columns the header names. Throws Error when the bytes
// are no text file of offers at all.
Offer readOffer(const QByteArray& bytes, const QString& name, const std::optional<Columns>& chosen = std::nullopt,
                HeaderLine headerLine = HeaderLine::Guess);

// The same for a file on disk. Throws Error when it cannot be read or is too
// large to be an offer list.
Offer readOfferFile(const QString& path, const std::optional<Columns>& chosen = std::nullopt,
                    HeaderLine headerLine = HeaderLine::Guess);

// The condition a cell names: "O", "used", "stemplet", "gestempelt", "***",
// "**", "postfrisk", "mint", "MNH", "*", "ubrugt", "unused", "ungebraucht"...
// None for text that names no condition.
std::optional<Condition> conditionNamed(const QString& cell);

} // namespace kvilbro::offers
