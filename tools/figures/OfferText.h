#pragma once

// The text of an offer file: its encoding, its separator and its records,
// for OfferFile to read the offer from.

#include <QByteArray>
#include <QChar>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <array>
#include <functional>

namespace kvilbro::offers {

// Wider rows are no offer list; their further cells are dropped unread.
inline constexpr int MaxColumns = 1000;

// The separators a file may use, the likeliest first: a semicolon file often
// has commas in its cells (prices like 12,50), seldom the other way round.
inline constexpr std::array<QChar, 3> Separators = {u'\t', u';', u','};

struct Decoded {
    QString text;
    QString encoding;
};

// The text of an offer file from a byte-order mark, else UTF-8, else
// Windows-1252. Throws Error for bytes that are no text; `name` names the file.
Decoded decode(const QByteArray& bytes, const QString& name);

struct Record {
    int line = 0;
    QString text;
    QStringList cells;
    // How many cells each of Separators ended, for guessing the separator.
    std::array<int, Separators.size()> splits{};
    bool unclosed = false; // a quote that no later quote closes

    // Blank lines, and the ";;;" a spreadsheet writes for an empty row
    // whatever the separator, are no offer.
    bool blank() const;
    // The cell of a column counted from 1; blank for a column the row lacks.
    QString cell(int column) const;
};

struct Layout {
    QChar separator;
    int widest = 1; // the most cells a sampled line has
};

// The separator is the one that splits the sampled lines most evenly: one
// that splits every line into as many cells wins over one that splits only
// some, then the one that splits more lines, then the likelier one.
Layout guessLayout(const QString& text);

// Gives `take` each record of `text`, blank ones too, with its cells split at
// `separators`.
void readRecords(const QString& text, QStringView separators, const std::function<void(const Record&)>& take);

} // namespace kvilbro::offers
