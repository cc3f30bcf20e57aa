#include "FigureFormats.h"

#include "CollectionFolder.h"
#include "FieldRules.h"
#include "WantList.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

#include <algorithm>
#include <functional>

namespace kvilbro::figures {

using toolsupport::shown;

namespace {

const QString EnDash = QStringLiteral("\u2013");

QString percentText(const std::optional<qint64>& tenths)
{
    if (!tenths)
        return {};
    return QStringLiteral("%1.%2").arg(*tenths / 10).arg(*tenths % 10);
}

QJsonValue percentJson(const std::optional<qint64>& tenths)
{
    return tenths ? QJsonValue(double(*tenths) / 10.0) : QJsonValue(QJsonValue::Null);
}

// Cells of one row of the figures, the area's two first.
QStringList statsCells(const QString& id, const QString& name, const Tally& t, const QString& none)
{
    QStringList cells{id, name, QString::number(t.numbers)};
    for (std::size_t i = 0; i < AllConditions.size(); ++i) {
        const auto share = tenthsOfPercent(t.marked[i], t.numbers);
        cells << QString::number(t.marked[i]) << (share ? percentText(share) : none);
    }
    return cells;
}

QStringList statsHeadings()
{
    QStringList headings{QStringLiteral("ID"), QStringLiteral("Area"), QStringLiteral("Numbers")};
    for (const Condition c : AllConditions)
        headings << markField(c) << markField(c) + QStringLiteral(" %");
    return headings;
}

QString padded(const QString& text, int width, bool right)
{
    const QString fill(std::max(0, width - characterCount(text)), u' ');
    return right ? fill + text : text + fill;
}

QJsonObject tallyJson(const Tally& t)
{
    QJsonObject object{{QStringLiteral("numbers"), t.numbers}};
    for (std::size_t i = 0; i < AllConditions.size(); ++i) {
        object.insert(markField(AllConditions[i]),
                      QJsonObject{{QStringLiteral("marked"), t.marked[i]},
                                  {QStringLiteral("percent"), percentJson(tenthsOfPercent(t.marked[i], t.numbers))}});
    }
    return object;
}

QString csvLine(const QStringList& cells)
{
    QStringList fields;
    for (const QString& cell : cells)
        fields << csvField(cell);
    return fields.join(u',') + u'\n';
}

QString withoutAreaNote(const Tallies& tallies)
{
    if (tallies.withoutArea == 0)
        return {};
    return QStringLiteral("%1 number(s) belong to no area and are not counted above.\n").arg(tallies.withoutArea);
}

} // namespace

QString conditionTitle(Condition condition)
{
    switch (condition) {
    case Condition::Used:
        return QStringLiteral("used (O)");
    case Condition::Mint:
        return QStringLiteral("mint (***)");
    case Condition::Unused:
        break;
    }
    return QStringLiteral("unused (*)");
}

QString csvField(const QString& text)
{
    QString field = shown(text);
    // A spreadsheet runs a cell that starts with one of these as a formula
    // ("-5--3" would become -2); a plain number stays a number.
    static const QRegularExpression plainNumber(QStringLiteral("^-?[0-9]+(\\.[0-9]+)?$"));
    if (!field.isEmpty() && QStringLiteral("=+-@").contains(field.front()) && !plainNumber.match(field).hasMatch())
        field.prepend(u'\'');
    if (field.contains(u',') || field.contains(u'"') || field.startsWith(u' ') || field.endsWith(u' '))
        return u'"' + field.replace(u'"', QStringLiteral("\"\"")) + u'"';
    return field;
}

QString statsText(const Tallies& tallies)
{
    QList<QStringList> rows{statsHeadings()};
    for (const AreaTally& a : tallies.areas)
        rows << statsCells(shown(a.area.idText()), shown(a.area.name()), a.tally, EnDash);
    rows << statsCells(QString(), QStringLiteral("Total"), tallies.total, EnDash);
    QList<int> widths(rows.front().size(), 0);
    for (const QStringList& row : std::as_const(rows)) {
        for (qsizetype i = 0; i < row.size(); ++i)
            widths[i] = std::max(widths[i], characterCount(row[i]));
    }
    QString out;
    for (const QStringList& row : std::as_const(rows)) {
        QStringList cells;
        for (qsizetype i = 0; i < row.size(); ++i)
            cells << padded(row[i], widths[i], i >= 2);
        QString line = cells.join(QStringLiteral("  "));
        while (line.endsWith(u' '))
            line.chop(1);
        out += line + u'\n';
    }
    return out + withoutAreaNote(tallies);
}

QString statsCsv(const Tallies& tallies)
{
    QString out = csvLine(statsHeadings());
    for (const AreaTally& a : tallies.areas)
        out += csvLine(statsCells(a.area.idText(), a.area.name(), a.tally, QString()));
    return out + csvLine(statsCells(QString(), QStringLiteral("Total"), tallies.total, QString()));
}

QString statsJson(const Tallies& tallies)
{
    QJsonArray areas;
    for (const AreaTally& a : tallies.areas) {
        QJsonObject object = tallyJson(a.tally);
        object.insert(QStringLiteral("id"), a.area.idText());
        object.insert(QStringLiteral("name"), a.area.name());
        areas.append(object);
    }
    const QJsonObject root{{QStringLiteral("areas"), areas},
                           {QStringLiteral("total"), tallyJson(tallies.total)},
                           {QStringLiteral("numbersWithoutArea"), tallies.withoutArea}};
    return QString::fromUtf8(QJsonDocument(root).toJson(QJsonDocument::Indented));
}

namespace {

// A title line, then for each area a heading and its runs wrapped for e-mail;
// `escape` makes every text safe for the format. `title` and `heading` take
// the escaped condition and area title as %1.
QString wantList(const QList<AreaWants>& wants, Condition condition, const QString& title, const QString& heading,
                 const std::function<QString(const QString&)>& escape)
{
    QString out = title.arg(escape(conditionTitle(condition)));
    for (const AreaWants& area : wants) {
        out += heading.arg(escape(areaTitle(area.area)));
        QStringList items = compactRuns(area.entries, EnDash);
        for (QString& item : items)
            item = escape(item);
        for (const QString& line : wrapItems(items, WantsWidth))
            out += line + u'\n';
    }
    return out;
}

} // namespace

QString wantsText(const QList<AreaWants>& wants, Condition condition)
{
    return wantList(wants, condition, QStringLiteral("Wanted, %1\n"), QStringLiteral("\n%1\n"),
                    [](const QString& text) { return shown(text); });
}

QString wantsMarkdown(const QList<AreaWants>& wants, Condition condition)
{
    // Characters Markdown would read as markup are escaped.
    return wantList(wants, condition, QStringLiteral("# Wanted, %1\n"), QStringLiteral("\n## %1\n\n"),
                    [](const QString& text) {
                        QString out;
                        for (const QChar c : shown(text)) {
                            if (QStringLiteral("\\`*_[]<>#|!+~&").contains(c))
                                out += u'\\';
                            out += c;
                        }
                        return out;
                    });
}

QString wantsCsv(const QList<AreaWants>& wants)
{
    QString out = csvLine({QStringLiteral("Area ID"), QStringLiteral("Area"), QStringLiteral("Numbers")});
    for (const AreaWants& area : wants) {
        for (const QString& item : compactRuns(area.entries, QStringLiteral("-")))
            out += csvLine({area.area.idText(), area.area.name(), item});
    }
    return out;
}

QString matchText(const OfferMatch& match, const offers::Offer& offer, Condition condition)
{
    QString out;
    for (const AreaOffers& area : match.areas) {
        out += QStringLiteral("%1: %2 line(s)\n").arg(shown(areaTitle(area.area))).arg(area.lines.size());
        for (const offers::OfferLine& line : area.lines)
            out += QStringLiteral("  line %1: %2\n").arg(line.line).arg(shown(line.text));
        out += u'\n';
    }
    const qsizetype read = offer.lines.size();
    out += QStringLiteral("%1 of %2 offer line(s) read fill an empty %3 mark")
               .arg(match.filling)
               .arg(read)
               .arg(conditionTitle(condition));
    out += match.areas.size() > 1 ? QStringLiteral(", in %1 areas.\n").arg(match.areas.size()) : QStringLiteral(".\n");
    if (match.otherCondition > 0)
        out += QStringLiteral("%1 line(s) offer another condition.\n").arg(match.otherCondition);
    for (const QString& note : offer.notes)
        out += shown(note) + u'\n';
    if (!offer.unreadable.isEmpty()) {
        out += QStringLiteral("%1 line(s) could not be read:\n").arg(offer.unreadable.size());
        for (const offers::Unreadable& bad : offer.unreadable)
            out += QStringLiteral("  line %1: %2\n").arg(bad.line).arg(shown(bad.reason));
    }
    return out;
}

} // namespace kvilbro::figures
