#include "OfferFile.h"

#include "Error.h"
#include "FieldRules.h"
#include "OfferText.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStringTokenizer>

#include <algorithm>
#include <array>
#include <variant>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kvilbro::offers {

namespace {

// Each line read costs memory; a list this long is no hand-kept offer.
constexpr int MaxRecords = 200000;
constexpr int MaxVariant = 10;
constexpr qsizetype ShownCell = 40;

QString limitText()
{
    return QStringLiteral("%1 MiB").arg(MaxOfferBytes >> 20);
}

// A cell as a reason shows it: quoted, cut when long.
QString shown(const QString& cell)
{
    const QString cut = cell.size() > ShownCell ? cell.left(ShownCell) + QChar(0x2026) : cell;
    return u'\'' + cut + u'\'';
}

// Column names as Danish, German and English lists head them, case folded,
// without the trailing "." or ":". A name of one catalogue wins over a bare
// "Nr.", which often counts the lots instead.
constexpr QStringView BareNumberNames = u"nr|nummer|number|no|num|#";
constexpr QStringView CatalogueNumberNames =
    u"katalognummer|katalognr|katalog-nr|katalog nr|kat.-nr|kat. nr|kat.nr|kat-nr|katnr|catalogue number|"
    u"catalog number|catalogue no|catalog no|cat. no|cat.no|cat no|cat. nr|michel-nr|michel nr|michelnr|"
    u"michel-nummer|michelnummer|mi.-nr|mi.nr|mi-nr|mi nr|michel|facit|facit-nr|facit nr|facitnummer|afa|afa-nr|"
    u"afa nr|afanummer";
constexpr QStringView VariantNames = u"type|typ|variant|variante|var|variety";
constexpr QStringView ConditionNames = u"condition|cond|stand|zustand|erhaltung|tilstand|kvalitet|quality|qualität";
// Columns an offer has that are not read, known so that a header is told
// from a title line above the offer.
constexpr QStringView OtherNames =
    u"pris|preis|price|prix|kr|dkk|eur|euro|\u20ac|bemærkning|bemærkninger|bemerkung|bemerkungen|anmerkung|note|"
    u"notes|remark|remarks|comment|kommentar|beskrivelse|beschreibung|description|tekst|text|antal|anzahl|qty|"
    u"quantity|menge|stk|år|jahr|year|katalogværdi|katalogwert|catalogue value|værdi|wert|value|land|country|motiv|"
    u"motif|los|los-nr|losnr|lot|lot no|lot nr|pos|position|lfd. nr|lfd.-nr|lfd nr";

// What collectors write for each condition, case folded; 0 is often typed for O.
constexpr QStringView UsedNames = u"o|0|\u2299|used|stemplet|stempl.|stempl|gestempelt|gest.|gest|gebraucht";
constexpr QStringView MintNames = u"***|**|postfrisk|pf|pf.|mint|mnh|postfrisch";
constexpr QStringView UnusedNames = u"*|(*)|ubrugt|unused|ungebraucht|ungestempelt|mh|mit falz|falz|hinged";

bool among(const QString& key, QStringView names)
{
    for (QStringView name : QStringTokenizer(names, u'|')) {
        if (name == key)
            return true;
    }
    return false;
}

QString headerKey(const QString& cell)
{
    QString key = cell.simplified().toCaseFolded();
    while (key.endsWith(u'.') || key.endsWith(u':'))
        key.chop(1);
    return key.trimmed();
}

// "722", "-5", "714-720", "722.0": a cell no header has.
bool startsNumber(const QString& cell)
{
    const QString text = cell.trimmed();
    const qsizetype i = text.startsWith(u'+') || text.startsWith(u'-') || text.startsWith(QChar(0x2212)) ? 1 : 0;
    return i < text.size() && text[i] >= u'0' && text[i] <= u'9';
}

// What a line names as columns, were it the header.
struct HeaderNames {
    Columns columns;
    int named = 0;            // cells that name a column known here
    int passedOver = 0;       // another number column, not read
    bool holdsNumber = false; // a cell holds a number, as an offer line does
};

HeaderNames headerNames(const Record& record)
{
    HeaderNames names;
    QList<int> catalogue, bare; // the number columns
    int unread = 0;
    for (int i = 0; i < record.cells.size(); ++i) {
        const QString key = headerKey(record.cells[i]);
        names.holdsNumber = names.holdsNumber || startsNumber(record.cells[i]);
        int* column = among(key, VariantNames)     ? &names.columns.variant
                      : among(key, ConditionNames) ? &names.columns.condition
                      : among(key, OtherNames)     ? &unread
                                                   : nullptr;
        if (among(key, CatalogueNumberNames))
            catalogue << i + 1;
        else if (among(key, BareNumberNames))
            bare << i + 1;
        else if (!column)
            continue;
        ++names.named;
        if (column && *column == 0) // the first of two alike columns
            *column = i + 1;
    }
    const QList<int> numbers = catalogue + bare;
    names.columns.number = numbers.value(0);
    names.passedOver = numbers.value(1);
    return names;
}

// A header names the number column and another one, and holds no number:
// a line of the offer may well have a cell such as "AFA" or "Type". In a file
// of one column its one name is enough.
bool isHeader(const Record& record, const HeaderNames& names, const Layout& layout)
{
    return !record.unclosed && !names.holdsNumber && names.columns.number != 0 &&
           (names.named >= 2 || layout.separator.isNull());
}

// " ('Michel-Nr.')" for a column the header names; blank for one it lacks.
QString headerCell(const Record& header, int column)
{
    const QString cell = header.cell(column);
    return cell.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(shown(cell));
}

QString headerNote(const QString& name, const Record& header, const Columns& columns, int passedOver, bool given)
{
    QString note = QStringLiteral("Line %1 of %2 is taken as the header%3: column %4%5 is read as the catalogue number")
                       .arg(header.line)
                       .arg(name, given ? QStringLiteral(", as --header says") : QString())
                       .arg(columns.number)
                       .arg(headerCell(header, columns.number));
    if (passedOver != 0)
        note += QStringLiteral(", not column %1%2").arg(passedOver).arg(headerCell(header, passedOver));
    note += u'.';
    if (!given)
        note += QStringLiteral(" If it is a line of the offer, name the columns with --columns, e.g. --columns 2,1,3.");
    return note;
}

QString positionalNote(const QString& name, const Columns& columns)
{
    QString read = QStringLiteral("column 1 is read as the catalogue number");
    if (columns.condition)
        read += QStringLiteral(", column 2 as the variant and column 3 as the condition");
    else if (columns.variant)
        read += QStringLiteral(" and column 2 as the variant");
    return QStringLiteral("%1 has no header line naming its columns, so %2. If its columns are others, name them "
                          "with --columns number,variant,condition, e.g. --columns 2,1,3.")
        .arg(name, read);
}

// "714-720", "714 – 720", "714..720", "714 bis 720": what follows the first
// number starts a second one.
bool startsRange(const QString& rest)
{
    static const QRegularExpression range(
        QStringLiteral("^(?:[-\\x{2010}-\\x{2014}\\x{2212}]|\\.\\.|(?:to|bis|til)\\s)\\s*[0-9]"),
        QRegularExpression::CaseInsensitiveOption);
    return range.match(rest).hasMatch();
}

struct NumberCell {
    qint32 number = 0;
    QString variant; // written after the number, blank for none
};

// The number a cell holds, with the variant written after it; the reason
// when it holds none.
std::variant<NumberCell, QString> readNumber(const QString& cell)
{
    if (cell.isEmpty())
        return QStringLiteral("the catalogue number is blank");
    qsizetype i = 0;
    if (cell[0] == u'+' || cell[0] == u'-' || cell[0] == QChar(0x2212))
        i = 1;
    const qsizetype digits = i;
    while (i < cell.size() && cell[i] >= u'0' && cell[i] <= u'9')
        ++i;
    if (i == digits)
        return QStringLiteral("no catalogue number in %1").arg(shown(cell));
    QString written = cell.left(i);
    if (written[0] == QChar(0x2212))
        written[0] = u'-';
    const auto number = parseInt32(written);
    if (!number)
        return QStringLiteral("%1 is out of range for a catalogue number").arg(shown(cell));
    const QString rest = cell.mid(i).trimmed();
    if (rest.isEmpty())
        return NumberCell{*number, QString()};
    if (startsRange(rest))
        return QStringLiteral("%1 is a range; write one number per line").arg(shown(cell));
    if (!rest[0].isLetter())
        return QStringLiteral("%1 has %2 after the number, which is no variant").arg(shown(cell), shown(rest));
    if (characterCount(rest) > MaxVariant)
        return QStringLiteral("the variant %1 in %2 is longer than %3 characters")
            .arg(shown(rest), shown(cell))
            .arg(MaxVariant);
    return NumberCell{*number, rest};
}

// One line of the offer, or the reason it names no stamp.
std::variant<OfferLine, QString> readLine(const Record& record, const Columns& columns)
{
    if (record.unclosed)
        return QStringLiteral("a quote (\") on this line is never closed");
    const auto number = readNumber(record.cell(columns.number));
    if (const QString* reason = std::get_if<QString>(&number))
        return *reason;
    const NumberCell& read = std::get<NumberCell>(number);
    OfferLine line;
    line.line = record.line;
    line.text = record.text;
    line.number = read.number;
    line.variant = record.cell(columns.variant);
    if (characterCount(line.variant) > MaxVariant)
        return QStringLiteral("the variant %1 is longer than %2 characters").arg(shown(line.variant)).arg(MaxVariant);
    if (!read.variant.isEmpty()) {
        if (!line.variant.isEmpty() && line.variant != read.variant)
            return QStringLiteral("%1 has a variant after the number and the variant column has %2 too")
                .arg(shown(record.cell(columns.number)), shown(line.variant));
        line.variant = read.variant;
    }
    const QString condition = record.cell(columns.condition);
    if (!condition.isEmpty()) {
        line.condition = conditionNamed(condition);
        if (!line.condition)
            return QStringLiteral("%1 names no condition (O, ***, *, used, mint, unused, ...)").arg(shown(condition));
    }
    return line;
}

// Sets the columns from the first line of the offer; true when that line is
// the header, read no further.
bool firstLine(Offer& offer, const Record& record, const Layout& layout, const QString& name,
               const std::optional<Columns>& chosen, HeaderLine headerLine)
{
    const HeaderNames names = record.unclosed ? HeaderNames{} : headerNames(record);
    const bool given = headerLine == HeaderLine::First;
    // Named columns, but not the number's: no guess would be more than luck.
    if (!chosen && (given || (!record.unclosed && !names.holdsNumber && names.named >= 2)) && names.columns.number == 0)
        throw Error(QStringLiteral("The header line of %1 names no catalogue number column (Nr, Nummer, Number, ...). "
                                   "Say which columns to read with --columns number,variant,condition and --header, "
                                   "e.g. --columns 2,1,3 --header.")
                        .arg(name));
    offer.header = given || (!chosen && isHeader(record, names, layout));
    if (offer.header) {
        offer.columns = chosen ? *chosen : names.columns;
        offer.notes << headerNote(name, record, offer.columns, chosen ? 0 : names.passedOver, given);
    } else if (chosen) {
        offer.columns = *chosen;
        if (isHeader(record, names, layout))
            offer.notes << QStringLiteral("Line %1 of %2 reads like a header but is read as a line of the offer: "
                                          "with --columns, add --header to skip it.")
                               .arg(record.line)
                               .arg(name);
    } else {
        offer.columns.number = 1;
        offer.columns.variant = layout.widest >= 2 ? 2 : 0;
        offer.columns.condition = layout.widest >= 3 ? 3 : 0;
        offer.notes << positionalNote(name, offer.columns);
    }
    return offer.header;
}

} // namespace

std::optional<Columns> parseColumns(const QString& text)
{
    const QStringList parts = text.split(u',');
    if (parts.size() > 3)
        return std::nullopt;
    std::array<int, 3> read{};
    for (qsizetype i = 0; i < parts.size(); ++i) {
        const QString part = parts[i].trimmed();
        if (part.isEmpty() && i > 0)
            continue;
        bool digits = !part.isEmpty();
        for (QChar c : part)
            digits = digits && c >= u'0' && c <= u'9';
        const int column = digits && part.size() <= 4 ? part.toInt() : -1;
        if (column < 0 || column > MaxColumns || (column == 0 && i == 0))
            return std::nullopt;
        for (qsizetype j = 0; j < i; ++j) {
            if (column != 0 && read[j] == column)
                return std::nullopt;
        }
        read[i] = column;
    }
    return Columns{read[0], read[1], read[2]};
}

std::optional<Condition> conditionNamed(const QString& cell)
{
    const QString key = cell.simplified().toCaseFolded();
    if (among(key, UsedNames))
        return Condition::Used;
    if (among(key, MintNames))
        return Condition::Mint;
    if (among(key, UnusedNames))
        return Condition::Unused;
    return std::nullopt;
}

Offer readOffer(const QByteArray& bytes, const QString& name, const std::optional<Columns>& chosen,
                HeaderLine headerLine)
{
    if (bytes.size() > MaxOfferBytes)
        throw Error(QStringLiteral("%1 is larger than %2; that is no offer list.").arg(name, limitText()));
    if (chosen && (chosen->number < 1 || chosen->variant < 0 || chosen->condition < 0))
        throw Error(QStringLiteral("The columns to read must name the catalogue number column."));
    Offer offer;
    const Decoded decoded = decode(bytes, name);
    offer.encoding = decoded.encoding;
    const Layout layout = guessLayout(decoded.text);
    offer.separator = layout.separator;

    QString separators;
    if (!layout.separator.isNull())
        separators = layout.separator;
    int records = 0;
    readRecords(decoded.text, separators, [&](const Record& record) {
        if (record.blank())
            return;
        if (++records > MaxRecords)
            throw Error(QStringLiteral("%1 has more than %2 lines; that is no offer list.").arg(name).arg(MaxRecords));
        if (records == 1 && firstLine(offer, record, layout, name, chosen, headerLine))
            return;
        auto line = readLine(record, offer.columns);
        if (OfferLine* read = std::get_if<OfferLine>(&line))
            offer.lines << std::move(*read);
        else
            offer.unreadable << Unreadable{record.line, record.text, std::get<QString>(line)};
    });
    if (records == 0)
        throw Error(QStringLiteral("%1 is empty.").arg(name));
    return offer;
}

Offer readOfferFile(const QString& path, const std::optional<Columns>& chosen, HeaderLine headerLine)
{
    const QString shownPath = QDir::toNativeSeparators(path);
    const auto refused = [&](const QString& message) { return Error(message.arg(shownPath), Error::Kind::File); };
    const auto unreadable = [&](const QString& reason) {
        return Error(QStringLiteral("%1 cannot be read: %2").arg(shownPath, reason), Error::Kind::File);
    };
    const QString folder = QStringLiteral("%1 is a folder, not an offer file.");
    const QFileInfo info(path);
    if (!info.exists())
        throw refused(QStringLiteral("There is no file %1."));
    if (info.isDir())
        throw refused(folder);
    // Opened without waiting and checked on the open handle: a pipe or device
    // put in the file's place would block or never end.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        throw unreadable(qt_error_string(errno));
    QFile file;
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        throw unreadable(file.errorString());
    }
    struct stat status {};
    if (::fstat(fd, &status) != 0)
        throw unreadable(qt_error_string(errno));
    if (S_ISDIR(status.st_mode))
        throw refused(folder);
    if (!S_ISREG(status.st_mode))
        throw refused(QStringLiteral("%1 is not a regular file (a device or pipe); save the offer list as a file."));
    const QString tooLarge = QStringLiteral("%1 is larger than %2; that is no offer list.").arg(u"%1", limitText());
    if (status.st_size > MaxOfferBytes)
        throw refused(tooLarge);
    const QByteArray bytes = file.read(MaxOfferBytes + 1);
    if (file.error() != QFileDevice::NoError)
        throw unreadable(file.errorString());
    if (bytes.size() > MaxOfferBytes) // it grew while being read
        throw refused(tooLarge);
    return readOffer(bytes, shownPath, chosen, headerLine);
}

} // namespace kvilbro::offers
