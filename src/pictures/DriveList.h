#pragma once

#include <QString>
#include <QStringList>

namespace kvilbro {

// What the import window's drive selector offers on a system without drive
// letters: the home folder, the removable media mounted for this user
// (/media/USER/..., /run/media/USER/...), what is mounted under /mnt, and
// the root. Only folders that exist, each once.
QStringList driveChoices();

// The drive of `drives` that holds `folder`: the longest one it lies in, or
// the last (the root) when none does.
int driveOf(const QStringList& drives, const QString& folder);

} // namespace kvilbro
