#pragma once

#include "CollectionFigures.h"

#include <QStringList>

namespace kvilbro::figures {

// A number as a dealer reads it: "725", "722a", "722 (II)" (a space when the
// variant starts with no letter, so "72" + "1" never reads "721").
QString entryText(const Entry& entry);

// The numbers as compact runs in their order: "714–720", "722a", "725".
// A run is consecutive numbers without a variant; a number with a variant
// stands alone, placed by its number. `dash` joins a run's ends. Entries with
// neither number nor variant name nothing and are left out.
QStringList compactRuns(const QList<Entry>& entries, const QString& dash);

// `items` joined by ", " into lines of at most `width` characters, breaking
// only between items (the comma stays on the line before the break).
QStringList wrapItems(const QStringList& items, int width);

} // namespace kvilbro::figures
