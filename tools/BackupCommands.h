#pragma once

#include <QStringList>
#include <QTextStream>

namespace kvilbro::tablefiles {

// backup, verify and restore: whether `command` is one of them.
bool isBackupCommand(const QString& command);

// Runs one of them; `arguments` start with the command's name. The exit code.
int runBackupCommand(const QStringList& arguments, QTextStream& out, QTextStream& err);

} // namespace kvilbro::tablefiles
