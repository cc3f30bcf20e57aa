#include "CollectionFigures.h"

#include "Database.h"
#include "Error.h"
#include "TableDef.h"

#include <QHash>

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

// An area links to numbers whose fields hold its values, a blank as NULL: the
// main window binds an empty text as NULL.
QString areaKey(const Area& area)
{
    const auto linked = [](const QVariant& v) {
        return v.typeId() == QMetaType::QString && v.toString().isEmpty() ? QVariant() : v;
    };
    return linkKey(linked(area.nationalId)) + u'\x1f' + linkKey(linked(area.description));
}

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
    return id.isEmpty() ? area.name() : QStringLiteral("%1 (%2)").arg(area.name(), id);
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
            message += QStringLiteral("\n  %1\t%2").arg(area.idText(), area.name());
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
            Tally t{grouped.columnInt(2), {grouped.columnInt(3), grouped.columnInt(4), grouped.columnInt(5)}};
            groups.insert(numbersKey(grouped, 0, 1), t);
            all += t.numbers;
        }
    }
    Tallies result;
    QHash<QString, bool> linked;
    for (const Area& area : areas) {
        const QString key = areaKey(area);
        const Tally t = groups.value(key);
        result.areas.append({area, t});
        result.total.numbers += t.numbers;
        for (std::size_t i = 0; i < t.marked.size(); ++i)
            result.total.marked[i] += t.marked[i];
        linked.insert(key, true);
    }
    qint64 inAreas = 0;
    for (auto it = groups.cbegin(); it != groups.cend(); ++it)
        inAreas += linked.contains(it.key()) ? it.value().numbers : 0;
    result.withoutArea = all - inAreas;
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
    QHash<QString, QList<Entry>> groups;
    {
        // The index's order: each area's numbers in the main window's order.
        Statement select = db.prepare(TableId::Numbers,
                                      QStringLiteral("SELECT \"Land\", \"Stamoplysning\", \"Nummer\", \"Type\" FROM %1 "
                                                     "WHERE NOT (%2) ORDER BY \"Land\", \"Stamoplysning\", \"Nummer\", "
                                                     "\"Type\", \"Tæller\"")
                                          .arg(numbersTable(), markSet(condition)));
        while (select.step()) {
            Entry entry;
            if (select.isInteger(2))
                entry.number = select.columnInt(2);
            else
                entry.numberText = select.columnText(2);
            entry.type = select.columnText(3);
            groups[numbersKey(select, 0, 1)].append(entry);
        }
    }
    QList<AreaWants> result;
    for (const Area& area : areas) {
        const auto found = groups.constFind(areaKey(area));
        if (found != groups.cend() && !found->isEmpty())
            result.append({area, *found});
    }
    return result;
}

} // namespace kvilbro::figures
