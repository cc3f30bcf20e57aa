#pragma once

#include <QString>

#include <array>

namespace kvilbro::paradox {

// How often each byte value occurs in a table's texts.
using ByteCounts = std::array<qint64, 256>;

// The converter's name for a Windows or DOS code page ("IBM865",
// "windows-1252"); empty when Qt has no converter for it.
QString converterName(int codePage);

// The code page the texts are read in: `declared` (the header's; 0 for none,
// read as 437), unless the header says 437 or 850 and every letter outside
// ASCII reads as a Danish one only under 865. `warning` then says so.
int choose(int declared, const ByteCounts& counts, QString* warning);

} // namespace kvilbro::paradox
