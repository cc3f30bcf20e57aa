#pragma once

#include <QStringList>
#include <QTextStream>

namespace kvilbro::figures {

// `kvilbro-tables stats|wants|match ...`, given the arguments after the
// command's word. They only read the collection, so they work while the
// program has it open. Reports go to `out`, failures to `err`; the exit code
// is 0 when the report is complete, 1 otherwise.
int runStatsCommand(const QStringList& arguments, QTextStream& out, QTextStream& err);
int runWantsCommand(const QStringList& arguments, QTextStream& out, QTextStream& err);
int runMatchCommand(const QStringList& arguments, QTextStream& out, QTextStream& err);

// The lines for the tool's usage text.
extern const char* const FiguresUsage;

} // namespace kvilbro::figures
