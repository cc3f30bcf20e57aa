#pragma once

#include <QByteArray>
#include <QColor>
#include <QHash>
#include <QImage>
#include <QSize>
#include <QString>

namespace kvilbro::tablefiles {

// Drawn stamps for the demo collection, the tests and the benchmarks: a
// perforated stamp on album paper, with a frame, a motif and its number.
// Drawn from shapes only (no fonts), so the same on every machine.
struct StampDesign {
    int number = 1; // 0: a placeholder without a number
    QColor colour = QColor(0xb0, 0x30, 0x30);
    int motif = 0;          // 0 crown, 1 post horn, 2 ship, 3 waves
    bool cancelled = false; // a postmark across the corner
};
QImage drawStamp(QSize size, const StampDesign& design);

// Speckles a picture like a photograph's grain, so JPEG has real work to do.
void addGrain(QImage& image, quint32 seed);

// Writes `bytes` as the file `path` when no file of that name exists, whole
// or not at all; an existing file is left as it is. Throws Error.
void writeIfAbsent(const QString& path, const QByteArray& bytes);

// Writes the pictures the program looks for in its folder, each only when it
// is absent: "Frim.bmp" (start picture), "frim.bmp" (default picture) and
// "frim2.jpg" (report placeholder). Throws Error.
void writeStandardPictures(const QString& dir);

// Writes the demo pictures into `dir`: "Frim.bmp" (start picture), "frim.bmp"
// (default picture), "frim2.jpg" (report placeholder) and the stamps in the
// folder "billeder". Gives, by "area id/number", the path to store in
// `Billede`: the absolute path, or the name relative to `dir` where the
// absolute one would not fit in the field; absolute under `finalDir` instead
// when given, for a folder that is made aside and moved into place. Throws Error.
QHash<QString, QString> writeDemoPictures(const QString& dir, int pathWidth, const QString& finalDir = QString());

} // namespace kvilbro::tablefiles
