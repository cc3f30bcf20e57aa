#pragma once

#include <QString>
#include <QTemporaryDir>

struct sqlite3;

namespace kvilbro::bench {

// A large collection, made once per process: 1 000 areas and 200 000 number
// rows, of which the area "Stor" holds 5 000 (numbers 1 to 5 000).
struct LargeCollection {
    static const LargeCollection& get();
    QString path;
    QString bigArea = QStringLiteral("Stor");
    int bigAreaIndex = 0; // its row in the areas' own order
    int bigAreaCount = 5000;

private:
    LargeCollection();
    QTemporaryDir dir_;
};

// A collection of 500 000 numbers in 1 000 areas (the first, "Stor", with
// 5 000), made once per process; its folder.
const QString& halfMillionNumbers();

// Fills `dir` (which must hold empty tables) as LargeCollection describes.
void fillLarge(const QString& dir, int areas, int rows, int bigAreaRows, int bigAreaIndex);

// The floors the table engine is measured against: a plain SQLite connection
// to the three files in `dir`, set up as the store sets up its own, and plain
// prepared INSERTs of blank number rows, one transaction each.
sqlite3* openLikeStore(const QString& dir);
// Inserts `count` rows numbered first, first + 1, ...; false on a failure.
bool insertPlainRows(sqlite3* db, const char* land, const char* area, int first, int count);

} // namespace kvilbro::bench
