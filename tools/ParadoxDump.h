#pragma once

#include <QTextStream>

namespace kvilbro::tablefiles {

// Writes a Paradox table's header, fields and rows as text to `out`; `codePage`
// 0 reads the texts in the header's code page. Throws paradox::ParadoxError.
void dumpParadox(const QString& path, int codePage, QTextStream& out);

} // namespace kvilbro::tablefiles
