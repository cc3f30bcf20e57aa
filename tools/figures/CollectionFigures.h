#pragma once

#include "Marks.h"

#include <QList>
#include <QString>
#include <QVariant>

#include <array>
#include <optional>

namespace kvilbro {

class Database;

namespace figures {

// One collecting area as the main window lists it.
struct Area {
    qint64 id = 0;       // `Tæller`
    QVariant nationalId; // as stored, for the link to its numbers
    QVariant description;
    QString idText() const { return nationalId.toString(); }
    QString name() const { return description.toString(); }
};

// "Danmark (DK)"; the name alone for an area without an ID.
QString areaTitle(const Area& area);

// Picks areas by `National ID`, `Beskrivelse` or both (exact text); no
// choice picks every area.
struct AreaChoice {
    std::optional<QString> id;
    std::optional<QString> name;
    bool any() const { return id || name; }
};

// Holds one read transaction, so that every statement inside reads the
// collection as it was at one moment, whatever the program writes meanwhile.
// The functions below read within the caller's snapshot.
class Snapshot {
public:
    explicit Snapshot(Database& db);
    ~Snapshot();
    Snapshot(const Snapshot&) = delete;
    Snapshot& operator=(const Snapshot&) = delete;

private:
    Database& db_;
};

// Every area in the main window's order.
QList<Area> readAreas(Database& db);

// The areas `choice` names, in order. Throws Error listing the areas there are
// when it names none.
QList<Area> chooseAreas(const QList<Area>& areas, const AreaChoice& choice);

// Condition by index: O (used), *** (mint), * (unused).
constexpr std::array<Condition, 3> AllConditions{Condition::Used, Condition::Mint, Condition::Unused};

struct Tally {
    qint64 numbers = 0;
    std::array<qint64, 3> marked{}; // in the order of AllConditions
};

struct AreaTally {
    Area area;
    Tally tally;
};

struct Tallies {
    QList<AreaTally> areas;
    Tally total;
    // Numbers whose link names no area: the program shows them nowhere.
    qint64 withoutArea = 0;
};

// How many numbers each area has and how many are marked in each condition,
// from one grouped pass over the numbers.
Tallies tally(Database& db);

// The share in tenths of a per cent, rounded down so that 100.0 % means every
// number is marked; none for an area without numbers.
std::optional<qint64> tenthsOfPercent(qint64 marked, qint64 numbers);

// A number as stored: `Nummer` (an integer, or the text a foreign file
// holds there, or blank) and `Type`.
struct Entry {
    std::optional<qint64> number;
    QString numberText; // `Nummer` when it is no integer
    QString type;
};

struct AreaWants {
    Area area;
    QList<Entry> entries; // in the main window's order
};

// The shortfalls in `condition` of each of `areas` that has any.
QList<AreaWants> readWants(Database& db, Condition condition, const QList<Area>& areas);

} // namespace figures

} // namespace kvilbro
