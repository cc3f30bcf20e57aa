#pragma once

#include "TableImporter.h"

#include <QTextStream>

namespace kvilbro::tablefiles {

struct ImportRequest {
    QString oldDir;
    QString newDir; // empty: the current folder
    bool replace = false;
    ImportSettings settings;
};

// The report's name in the new collection's folder.
QString importReportName();

// Brings the three Paradox tables of `oldDir` over into a new collection in
// `newDir`. The table files are made in a folder beside `newDir` and moved in
// only when all three are complete; a collection already there is replaced
// only on request. Writes one summary per table to `out`. Throws Error or
// paradox::ParadoxError, leaving `newDir` as it was.
void importParadox(const ImportRequest& request, QTextStream& out);

} // namespace kvilbro::tablefiles
