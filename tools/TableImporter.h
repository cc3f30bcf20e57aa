#pragma once

#include "TableDef.h"

#include <QMap>
#include <QSet>
#include <QStringList>
#include <QTextStream>

namespace kvilbro::tablefiles {

struct ImportSettings {
    int codePage = 0;    // 0: the header's, or 865 where that is plainly meant
    QString pictureRoot; // empty: Windows picture paths are kept as they are
};

// What became of one table's rows.
struct TableCounts {
    qint64 read = 0;
    qint64 written = 0;
    qint64 skipped = 0;
    QMap<QString, qint64> skipReasons;
    qint64 cut = 0;      // values cut to their field's width
    qint64 unlinked = 0; // numbers whose area is not in the areas table
    qint64 windowsPaths = 0;
    qint64 mappedPaths = 0;
    int codePage = 0;
    QStringList warnings; // the reader's, the code page's, the fields'
};

// Copies the rows of one Paradox table into one new, empty table file, in
// one transaction, matching fields by name. What does not fit the collection
// (a value cut, a number without its area, a picture path from Windows, a
// row that cannot be kept) goes, whole, to `report`.
class TableImporter {
public:
    TableImporter(const TableDef& def, const ImportSettings& settings, QTextStream& report);

    // The areas' links (National ID and Beskrivelse as stored); numbers are
    // checked against them when set.
    void setAreaLinks(const QSet<QString>* links) { areaLinks_ = links; }
    const QSet<QString>& storedLinks() const { return links_; }

    // Throws paradox::ParadoxError for an unreadable table, Error for a file
    // that cannot be written.
    TableCounts run(const QString& paradoxPath, const QString& tableFile);

    static QString linkKey(const QString& nationalId, const QString& description);

private:
    const TableDef& def_;
    ImportSettings settings_;
    QTextStream& report_;
    const QSet<QString>* areaLinks_ = nullptr;
    QSet<QString> links_;
};

} // namespace kvilbro::tablefiles
