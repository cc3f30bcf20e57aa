#include "CollectionFigures.h"

#include "CollectionFolder.h"
#include "Database.h"
#include "Error.h"
#include "TableDef.h"

#include <QHash>
#include <QSet>

namespace kvilbro::figures {

namespace {

// A stored value as a link compares it (`IS`): by storage class and value.
QString linkKey(const QVariant& value)
{
    if (value.isNull())
        return QStringLiteral("n");
    if (value.typeId() == QMetaType::LongLong)
        return u'i' + QString::number(value.toLongLong());
    return u't' + value.toString();
}

struct Linked {
    QVariant nationalId;
    QVariant description;
};

// An area links to numbers whose fields hold its values, a blank as NULL: the
// main window binds an empty text as NULL.
Linked linked(const Area& area)
{
    const auto value = [](const QVariant& v) {
        return v.typeId() == QMetaType::QString && v.toString().isEmpty() ? QVariant() : v;
    };
    return {value(area.nationalId), value(area.description)};
}

QString areaKey(const Area& area)
{
    const Linked link = linked(area);
    return linkKey(link.nationalId) + u'\x1f' + linkKey(link.description);
}

// Up to this many areas are read range by range; more in one pass.
constexpr qsizetype FewAreas = 8;

QString numbersKey(const Statement& row, int land, int area)
{
    return linkKey(row.column(land)) + u'\x1f' + linkKey(row.column(area));
}

QString numbersTable()
{
    return TableDef::get(TableId::Numbers).qualifiedName();
}

// A mark is set when its text is not empty; NULL is empty.
QString markSet(Condition condition)
{
    return QStringLiteral("coalesce(%1,'')<>''").arg(quoted(markField(condition)));
}

} // namespace

QString areaTitle(const Area& area)
{
    const QString id = area.idText();
    const QString name = area.name();
    if (name.isEmpty())
        return id.isEmpty() ? QStringLiteral("(an area without ID or name)") : id;
    return id.isEmpty() ? name : QStringLiteral("%1 (%2)").arg(name, id);
}

Snapshot::Snapshot(Database& db) : db_(db)
{
    db_.exec(TableId::Numbers, QStringLiteral("BEGIN"));
}

Snapshot::~Snapshot()
{
    try {
        db_.exec(TableId::Numbers, QStringLiteral("COMMIT"));
    } catch (const Error&) {
        // Nothing was written; ending the read cannot lose anything.
    }
}

QList<Area> readAreas(Database& db)
{
    QList<Area> areas;
    Statement select = db.prepare(TableId::Areas, QStringLiteral("SELECT \"Tæller\", \"National ID\", \"Beskrivelse\" "
                                                                 "FROM %1 ORDER BY \"Tæller\"")
                                                      .arg(TableDef::get(TableId::Areas).qualifiedName()));
    while (select.step())
        areas.append({select.columnInt(0), select.column(1), select.column(2)});
    return areas;
}

QList<Area> chooseAreas(const QList<Area>& areas, const AreaChoice& choice)
{
    if (!choice.any())
        return areas;
    QList<Area> chosen;
    for (const Area& area : areas) {
        if ((!choice.id || area.idText() == *choice.id) && (!choice.name || area.name() == *choice.name))
            chosen << area;
    }
    if (!chosen.isEmpty())
        return chosen;
    QStringList asked;
    if (choice.id)
        asked << QStringLiteral("ID '%1'").arg(*choice.id);
    if (choice.name)
        asked << QStringLiteral("name '%1'").arg(*choice.name);
    QString message = QStringLiteral("The collection has no area with %1.").arg(asked.join(QStringLiteral(" and ")));
    if (areas.isEmpty()) {
        message += QStringLiteral(" It has no areas at all.");
    } else {
        message += QStringLiteral(" Its areas (ID, name):");
        for (const Area& area : areas)
            message +=
                QStringLiteral("\n  %1\t%2").arg(toolsupport::shown(area.idText()), toolsupport::shown(area.name()));
    }
    throw Error(message);
}

Tallies tally(Database& db)
{
    const QList<Area> areas = readAreas(db);
    QHash<QString, Tally> groups;
    qint64 all = 0;
    {
        QStringList marked;
        for (const Condition c : AllConditions)
            marked << QStringLiteral("sum(%1)").arg(markSet(c));
        Statement grouped = db.prepare(TableId::Numbers, QStringLiteral("SELECT \"Land\", \"Stamoplysning\", count(*), "
                                                                        "%1 FROM %2 GROUP BY 1, 2")
                                                             .arg(marked.join(QStringLiteral(", ")), numbersTable()));
        while (grouped.step()) {
            const Tally t{grouped.columnInt(2), {grouped.columnInt(3), grouped.columnInt(4), grouped.columnInt(5)}};
            groups.insert(numbersKey(grouped, 0, 1), t);
            all += t.numbers;
        }
    }
    Tallies result;
    QSet<QString> areaKeys;
    for (const Area& area : areas) {
        const QString key = areaKey(area);
        result.areas.append({area, groups.value(key)});
        areaKeys.insert(key);
    }
    // Two areas with the same ID and name show the same numbers; the total
    // counts each number once.
    for (auto it = groups.cbegin(); it != groups.cend(); ++it) {
        if (!areaKeys.contains(it.key()))
            continue;
        result.total.numbers += it->numbers;
        for (std::size_t i = 0; i < it->marked.size(); ++i)
            result.total.marked[i] += it->marked[i];
    }
    result.withoutArea = all - result.total.numbers;
    return result;
}

std::optional<qint64> tenthsOfPercent(qint64 marked, qint64 numbers)
{
    if (numbers <= 0)
        return std::nullopt;
    return marked * 1000 / numbers;
}

QList<AreaWants> readWants(Database& db, Condition condition, const QList<Area>& areas)
{
    const auto entryOf = [](const Statement& row) {
        Entry entry;
        if (row.isInteger(2))
            entry.number = row.columnInt(2);
        else
            entry.numberText = row.columnText(2);
        entry.type = row.columnText(3);
        return entry;
    };
    const QString columns =
        QStringLiteral("SELECT \"Land\", \"Stamoplysning\", \"Nummer\", \"Type\" FROM %1 ").arg(numbersTable());
    // The main window's order within an area.
    const QString order = QStringLiteral(" ORDER BY \"Land\", \"Stamoplysning\", \"Nummer\", \"Type\", \"Tæller\"");
    QList<AreaWants> result;
    if (areas.size() <= FewAreas) {
        // A few areas: each one's range of the index.
        const QString sql =
            columns +
            QStringLiteral("WHERE \"Land\" IS ?1 AND \"Stamoplysning\" IS ?2 AND NOT (%1)").arg(markSet(condition)) +
            order;
        for (const Area& area : areas) {
            Statement select = db.prepare(TableId::Numbers, sql);
            const Linked link = linked(area);
            select.bind(1, link.nationalId);
            select.bind(2, link.description);
            AreaWants wants{area, {}};
            while (select.step())
                wants.entries << entryOf(select);
            if (!wants.entries.isEmpty())
                result << wants;
        }
        return result;
    }
    // Many: one pass over the table, sorted. Walking the index instead would
    // read the rows of a collection typed in over the years all over the file.
    QHash<QString, QList<Entry>> groups;
    {
        Statement select = db.prepare(
            TableId::Numbers, columns + QStringLiteral("NOT INDEXED WHERE NOT (%1)").arg(markSet(condition)) + order);
        while (select.step())
            groups[numbersKey(select, 0, 1)].append(entryOf(select));
    }
    for (const Area& area : areas) {
        const auto found = groups.constFind(areaKey(area));
        if (found != groups.cend() && !found->isEmpty())
            result.append({area, *found});
    }
    return result;
}

} // namespace kvilbro::figures
