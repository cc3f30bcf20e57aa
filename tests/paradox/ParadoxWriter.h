#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QVariant>

namespace pxtest {

// Writes Paradox data tables byte by byte, for tests and benchmarks: the
// stamp tables as an old collection has them, in any code page, block size,
// block order, and with faults put in on purpose.
struct PxField {
    QString name;
    quint8 type; // paradox::FieldType
    int size;
};

struct PxTable {
    QList<PxField> fields;
    QList<QList<QVariant>> rows; // invalid QVariant: blank
    int codePage = 865;
    int versionId = 12; // 3 (3.0), 4 (3.5), 5-9 (4), 10-11 (5), 12 (7)
    int blockKiB = 2;
    bool reverseBlocks = false; // chain the blocks in the opposite order to where they lie
    bool encrypted = false;
};

struct PxFiles {
    QByteArray table;
    QByteArray memo; // the .MB file; empty when no memo needs one
};

PxFiles writeParadox(const PxTable& spec);

// The three tables of an old collection, fields as the stamp program kept them.
QList<PxField> areaFields();
QList<PxField> numberFields();
QList<PxField> collectorFields();

} // namespace pxtest
