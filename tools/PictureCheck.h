#pragma once

#include <QStringList>
#include <QTextStream>

namespace kvilbro {

// `kvilbro-tables pictures ...`, given the arguments after the word
// "pictures":
//   [DIR] [--folder F]      lists the numbers whose picture file is missing,
//                           paths probably cut at the field's width, files
//                           named by several numbers and, with --folder,
//                           the picture files in F that match no number
//   relink OLD NEW [DIR] [--dry-run]
//                           rewrites picture paths that start with OLD to
//                           start with NEW, in one transaction
// Reports go to `out`, failures to `err`. Gives the exit code: 0 when the
// collection could be read (and, for relink, every path was rewritten), 1
// otherwise.
int runPicturesCommand(const QStringList& arguments, QTextStream& out, QTextStream& err);

// The lines for the tool's usage text.
extern const char* const PicturesUsage;

} // namespace kvilbro
