#pragma once

#include <QString>
#include <QTemporaryDir>

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

// Fills `dir` (which must hold empty tables) as LargeCollection describes.
void fillLarge(const QString& dir, int areas, int rows, int bigAreaRows, int bigAreaIndex);

} // namespace kvilbro::bench
