#include "OfferText.h"

#include "Error.h"

#include <QRegularExpression>
#include <QStringConverter>
#include <QStringDecoder>

#include <algorithm>

namespace kvilbro::offers {

namespace {

// How many lines the separator and the column count are guessed from.
constexpr int SampleRecords = 50;

// Qt's UTF-16 and UTF-32 decoders pass a lone surrogate through and drop a
// last odd byte without an error, so both are looked for here.
bool wellFormed(const QString& text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate())
            ++i;
        else if (text[i].isSurrogate())
            return false;
    }
    return true;
}

QString decodeWith(QStringConverter::Encoding encoding, const QByteArray& bytes, bool& failed, qsizetype unit = 1)
{
    QStringDecoder decoder(encoding, QStringConverter::Flag::Stateless);
    QString text = decoder.decode(bytes);
    failed = decoder.hasError() || bytes.size() % unit != 0 || !wellFormed(text);
    return text;
}

// Splits text into records after RFC 4180, leniently: a quote opens a quoted
// cell only at the start of a cell (after spaces), text after the closing
// quote is kept as it stands, and a quote never closed leaves its line alone.
class Tokenizer {
public:
    Tokenizer(const QString& text, QStringView separators) : text_(text), separators_(separators) {}

    bool next(Record& record)
    {
        while (pos_ < text_.size() && isBreak(pos_)) // empty lines, quickly
            skipLineBreak();
        if (pos_ >= text_.size())
            return false;
        const qsizetype start = pos_;
        const int startLine = line_;
        record = Record{};
        record.line = startLine;
        if (!readRecord(record)) { // the quote would swallow the rest of the file
            record = Record{};
            record.line = line_ = startLine;
            record.unclosed = true;
            pos_ = lineEnd(start);
            record.text = text_.mid(start, pos_ - start);
            skipLineBreak();
            return true;
        }
        skipLineBreak();
        record.text = text_.mid(start, contentEnd_ - start);
        if (record.text.contains(u'\r') || record.text.contains(u'\n')) {
            // Each break as skipLineBreak counts them.
            static const QRegularExpression breaks(QStringLiteral("\r\n|\n\r|[\r\n]"));
            record.text.replace(breaks, QStringLiteral(" "));
        }
        return true;
    }

private:
    bool isBreak(qsizetype at) const { return text_[at] == u'\n' || text_[at] == u'\r'; }

    qsizetype lineEnd(qsizetype from) const
    {
        while (from < text_.size() && !isBreak(from))
            ++from;
        return from;
    }

    // Steps over one line break and counts the line. CR LF is one, and so is
    // LF CR, which some exporters write.
    bool skipLineBreak()
    {
        if (pos_ >= text_.size() || !isBreak(pos_))
            return false;
        if (pos_ + 1 < text_.size() && isBreak(pos_ + 1) && text_[pos_ + 1] != text_[pos_])
            ++pos_;
        ++pos_;
        ++line_;
        return true;
    }

    void endCell(Record& record, QString& cell, qsizetype separator)
    {
        if (record.cells.size() < MaxColumns)
            record.cells << cell;
        cell.clear();
        if (separator >= 0) {
            for (size_t i = 0; i < Separators.size(); ++i) {
                if (Separators[i] == text_[separator])
                    ++record.splits[i];
            }
        }
    }

    // Reads the cells up to the end of the record; false when a quote is
    // still open at the end of the text.
    bool readRecord(Record& record)
    {
        QString cell;
        bool cellStart = true;
        while (pos_ < text_.size()) {
            const QChar c = text_[pos_];
            if (cellStart) {
                qsizetype quote = pos_;
                while (quote < text_.size() && text_[quote] == u' ')
                    ++quote;
                cellStart = false;
                if (quote < text_.size() && text_[quote] == u'"') {
                    pos_ = quote + 1;
                    if (!readQuoted(cell))
                        return false;
                    continue;
                }
            }
            if (separators_.contains(c)) {
                endCell(record, cell, pos_);
                ++pos_;
                cellStart = true;
            } else if (isBreak(pos_)) {
                break;
            } else {
                cell += c;
                ++pos_;
            }
        }
        contentEnd_ = pos_;
        endCell(record, cell, -1);
        return true;
    }

    bool readQuoted(QString& cell)
    {
        while (pos_ < text_.size()) {
            const QChar c = text_[pos_];
            if (c == u'"') {
                if (pos_ + 1 < text_.size() && text_[pos_ + 1] == u'"') {
                    cell += c;
                    pos_ += 2;
                    continue;
                }
                ++pos_;
                return true;
            }
            if (isBreak(pos_)) {
                skipLineBreak();
                cell += u'\n';
                continue;
            }
            cell += c;
            ++pos_;
        }
        return false;
    }

    const QString& text_;
    QStringView separators_;
    qsizetype pos_ = 0;
    qsizetype contentEnd_ = 0;
    int line_ = 1;
};

} // namespace

Decoded decode(const QByteArray& bytes, const QString& name)
{
    const QString notText = QStringLiteral("%1 is not a text file.").arg(name);
    bool failed = false;
    if (const auto bom = QStringConverter::encodingForData(bytes)) {
        const qsizetype unit = *bom == QStringConverter::Utf16LE || *bom == QStringConverter::Utf16BE   ? 2
                               : *bom == QStringConverter::Utf32LE || *bom == QStringConverter::Utf32BE ? 4
                                                                                                        : 1;
        const QString encodingName = QStringLiteral("UTF-%1").arg(unit * 8);
        QString text = decodeWith(*bom, bytes, failed, unit);
        if (failed)
            throw Error(QStringLiteral("%1 starts as %2 text but is damaged further on.").arg(name, encodingName));
        if (text.contains(QChar(0)))
            throw Error(notText);
        return {text, encodingName};
    }
    if (bytes.contains('\0')) {
        // Most likely UTF-16 saved without its byte-order mark.
        throw Error(QStringLiteral("%1 is not a text file: it holds NUL bytes. If it is UTF-16 text, save it with a "
                                   "byte-order mark, or as UTF-8.")
                        .arg(name));
    }
    QString text = decodeWith(QStringConverter::Utf8, bytes, failed);
    if (!failed)
        return {text, QStringLiteral("UTF-8")};
    QStringDecoder windows("windows-1252", QStringConverter::Flag::Stateless);
    if (!windows.isValid()) // a Qt without ICU: Latin-1 is Windows-1252 but for € and the quotes
        return {QString::fromLatin1(bytes), QStringLiteral("Windows-1252")};
    return {windows.decode(bytes), QStringLiteral("Windows-1252")};
}

bool Record::blank() const
{
    if (unclosed)
        return false;
    const auto empty = [](const QString& cell) { return cell.trimmed().isEmpty(); };
    if (std::all_of(cells.cbegin(), cells.cend(), empty))
        return true;
    return std::all_of(text.cbegin(), text.cend(), [](QChar c) {
        return c.isSpace() || std::find(Separators.cbegin(), Separators.cend(), c) != Separators.cend();
    });
}

QString Record::cell(int column) const
{
    return column >= 1 && column <= cells.size() ? cells[column - 1].trimmed() : QString();
}

Layout guessLayout(const QString& text)
{
    const QString all = QString(Separators.data(), Separators.size());
    Tokenizer tokenizer(text, all);
    QList<Record> sample;
    Record record;
    for (int scanned = 0; sample.size() < SampleRecords && scanned < 20 * SampleRecords && tokenizer.next(record);
         ++scanned) {
        if (!record.blank() && !record.unclosed)
            sample << record;
    }
    Layout layout;
    std::array<int, 3> best{-1, -1, -1}; // even, lines split, likelihood
    for (size_t i = 0; i < Separators.size(); ++i) {
        int split = 0;
        bool even = true;
        int widest = 0;
        for (const Record& r : sample) {
            split += r.splits[i] > 0 ? 1 : 0;
            even = even && r.splits[i] == sample.front().splits[i];
            widest = std::max(widest, r.splits[i] + 1);
        }
        if (split == 0)
            continue;
        const std::array<int, 3> score{even ? 1 : 0, split, int(Separators.size() - i)};
        if (score > best) {
            best = score;
            layout.separator = Separators[i];
            layout.widest = std::min(widest, MaxColumns);
        }
    }
    return layout;
}

void readRecords(const QString& text, QStringView separators, const std::function<void(const Record&)>& take)
{
    Tokenizer tokenizer(text, separators);
    Record record;
    while (tokenizer.next(record))
        take(record);
}

} // namespace kvilbro::offers
