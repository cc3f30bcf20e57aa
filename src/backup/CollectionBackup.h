#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>

namespace kvilbro::backup {

// A backup is a folder "kvilbro-backup-YYYY-MM-DD-HHMMSS" holding copies of
// the three table files, each made with SQLite's online backup (a consistent
// copy even while the program writes) and checked before it counts, a
// MANIFEST of SHA-256 sums, and with pictures the folder "pictures" and the
// list "pictures.txt" of which path each copy came from.

inline constexpr int DefaultKeep = 10;

// Who made a backup: rotation removes only backups made the same way.
enum class Maker { Command, Daily };

struct Made {
    QString folder;
    int pictures = 0;            // files copied
    QStringList missingPictures; // paths named by a number that named no file
    QStringList removed;         // older backups removed beyond the number kept
    QStringList notRemoved;      // older backups that were to go but could not be removed
};

// Backs the collection in `dir` up into `destination` (made when missing),
// then, only after the new one is verified, removes the oldest backups there
// beyond `keep` that `by` made of the same collection: a backup of another
// collection, made another way or without the record of its origin is never
// removed. Throws Error; a failed backup leaves no folder behind.
Made make(const QString& dir, const QString& destination, int keep, bool withPictures, const QDateTime& now,
          Maker by = Maker::Command);

// The faults found in a backup folder; empty when every sum and every table is sound.
QStringList verify(const QString& folder);

struct Restored {
    bool withPictures = false; // picture copies restored and paths rewritten
    int rewritten = 0;         // picture paths pointed at the restored copies
    QStringList kept;          // paths kept as they were: the new path would not fit
};

// Restores a verified backup into `dir`, which must be empty or not exist
// yet; never over a collection. With `tablesOnly` the pictures are left out,
// and damage to them alone does not stop the restore. Throws Error.
Restored restore(const QString& folder, const QString& dir, bool tablesOnly = false);

// The backups in `destination`, oldest first.
QStringList list(const QString& destination);

// Whether a backup was made in `destination` on the day of `now`.
bool madeOn(const QString& destination, const QDate& day);

// The folder a collection's backups go to by default.
QString defaultDestination(const QString& dir);

} // namespace kvilbro::backup
