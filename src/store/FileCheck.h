#pragma once

#include "TableDef.h"

#include <QStringList>

struct sqlite3;

namespace kvilbro::filecheck {

// Whether a table file may be opened: the checks run on a connection that has
// the file attached as `schema` and has written nothing to it. Each function
// gives one line per fault, naming `file`; nothing found gives an empty list.
// The program and the table tool use the same checks.

// The file holds the table with the store's fields and types, binary
// comparison on every field, plain indexes over its fields, and nothing else
// that could run when a row is read or written: no triggers, views or
// virtual tables, no other tables.
QStringList schemaFaults(sqlite3* db, const QString& schema, const TableDef& def, const QString& file);

// Damaged pages or indexes: PRAGMA quick_check, or the slower integrity_check
// with `thorough`.
QStringList damage(sqlite3* db, const QString& schema, const QString& file, bool thorough = false);

// Values the program cannot show or keep: a `Nummer` that is no whole number
// in range, texts longer than their field. One line per row, at most `limit` lines.
QStringList dataFaults(sqlite3* db, const QString& schema, const TableDef& def, const QString& file, int limit = 100);

// Whether the file at `path` starts as a Paradox data table does: the table
// files of an old collection, kept under the same names.
bool isParadoxTable(const QString& path);

// The file an import writes into a collection folder before it moves the new
// tables in, and removes once all three are there: while it is there, the
// folder may hold new tables beside old ones.
QString unfinishedImportMarker();
// Whether `folder` holds that file (or anything else under its name).
bool importUnfinished(const QString& folder);
// Throws Error, naming the import to run again, when `folder` holds that file.
void refuseUnfinishedImport(const QString& folder);

// Whether the row id field counts up for ever (AUTOINCREMENT), so that a
// deleted row's id is never given to a new row.
bool rowIdsNeverReused(sqlite3* db, const QString& schema, const TableDef& def);

} // namespace kvilbro::filecheck
