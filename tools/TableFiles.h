#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace kvilbro::tablefiles {

// A field left out keeps what the table holds; an empty one is cleared.
struct Collector {
    std::optional<QString> name;
    std::optional<QString> address;
    std::optional<QString> town;
    std::optional<QString> phone;
    std::optional<QString> email;
    std::optional<QString> date; // YYYY-MM-DD
};

// Creates the three empty table files with their fields and indexes in `dir`
// (made, with its parents, when missing), and the start files. Refuses,
// changing nothing, when any of the tables exists already. Throws Error.
void create(const QString& dir);

// Writes what the program looks for beside the tables, each file only when
// it is absent: the start, default and placeholder pictures and the help page.
// Throws Error.
void writeStartFiles(const QString& dir);

// Leaves the collector table with one row: the fields given, and the first
// row's other fields as they were. Throws Error.
void writeCollector(const QString& dir, const Collector& collector);

// Creates the tables and fills them with a sample collection. The pictures'
// paths name `finalDir` when given: the folder `dir` will be moved to. Throws Error.
void writeDemo(const QString& dir, const QString& finalDir = QString());

// Every fault found in the three files; empty when they are sound.
QStringList check(const QString& dir);

} // namespace kvilbro::tablefiles
