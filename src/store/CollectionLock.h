#pragma once

#include <QString>

#include <memory>

namespace kvilbro {

// The one writer of a collection folder: a lock on the folder and on a lock
// file in it that names the holder, held for as long as the program (or the
// table tool) writes there. They are flock() locks, tied to their own open
// files: unlike the table engine's record locks they are not dropped when some
// other part of the program (a file dialog) opens and closes a file of the folder.
class CollectionLock {
public:
    // The lock file's name in the folder.
    static QString fileName();

    // Takes the folder's lock, or shares it when this process holds it already.
    // Throws Error naming the folder, and the holder the lock file names, when
    // another program holds it. Gives null when the lock file may not be made
    // or opened (a read-only folder or medium): this process cannot write
    // there. Any other failure to open it throws: nothing is written unlocked.
    static std::shared_ptr<CollectionLock> acquire(const QString& folder);
    // The same for a command that must write: a read-only folder throws too.
    static std::shared_ptr<CollectionLock> acquireToWrite(const QString& folder);

    ~CollectionLock();
    CollectionLock(const CollectionLock&) = delete;
    CollectionLock& operator=(const CollectionLock&) = delete;

private:
    CollectionLock(QString folder, int fd, int dirFd) : folder_(std::move(folder)), fd_(fd), dirFd_(dirFd) {}

    QString folder_;
    int fd_;
    int dirFd_; // the folder, locked as well: the lock file may be deleted under us
};

} // namespace kvilbro
