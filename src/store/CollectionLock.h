#pragma once

#include <QString>

#include <memory>

namespace kvilbro {

// The one writer of a collection folder: a lock on a lock file in the folder,
// held for as long as the program (or the table tool) writes there. It is an
// flock() lock, tied to its own open file: unlike the table engine's record
// locks it is not dropped when some other part of the program (a file dialog)
// opens and closes a file of the folder.
class CollectionLock {
public:
    // The lock file's name in the folder.
    static QString fileName();

    // Takes the folder's lock, or shares it when this process holds it already.
    // Throws Error naming the folder when another program holds it. Gives null
    // when the lock file cannot be created (a read-only folder): nobody can
    // write there, this process neither.
    static std::shared_ptr<CollectionLock> acquire(const QString& folder);

    ~CollectionLock();
    CollectionLock(const CollectionLock&) = delete;
    CollectionLock& operator=(const CollectionLock&) = delete;

private:
    CollectionLock(QString folder, int fd) : folder_(std::move(folder)), fd_(fd) {}

    QString folder_;
    int fd_;
};

} // namespace kvilbro
