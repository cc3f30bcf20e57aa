#pragma once

#include <QStringList>
#include <QTextStream>

namespace kvilbro {

// `kvilbro-tables pictures ...`, given the arguments after the word
// "pictures":
//   [DIR] [--folder F]      lists the numbers whose picture file is missing,
//                           paths probably cut at the field's width, files
//                           named by several numbers and, with --folder,
//                           the picture files in F no number's path names and
//                           the names in F the mass import reads no number from
//   relink OLD NEW [DIR] [--dry-run] [--force]
//                           moves the picture paths in the folder OLD to the
//                           folder NEW, in one transaction; refuses when no
//                           new path names a file, unless forced
// Reports go to `out`, failures to `err`. Gives the exit code: 0 when the
// collection could be read (and, for relink, every path in OLD was
// rewritten), 1 otherwise.
int runPicturesCommand(const QStringList& arguments, QTextStream& out, QTextStream& err);

// The lines for the tool's usage text.
extern const char* const PicturesUsage;

} // namespace kvilbro
