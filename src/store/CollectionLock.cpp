#include "CollectionLock.h"

#include "Error.h"
#include "StoreMessages.h"

#include <QDir>
#include <QFile>
#include <QHash>

#include <fcntl.h>
#include <mutex>
#include <sys/file.h>
#include <unistd.h>

namespace kvilbro {

namespace {

// Locks this process holds, by folder: a second view of the same folder in
// this process shares the lock instead of being refused by it.
std::mutex registryMutex;
QHash<QString, std::weak_ptr<CollectionLock>>& registry()
{
    static QHash<QString, std::weak_ptr<CollectionLock>> locks;
    return locks;
}

} // namespace

QString CollectionLock::fileName()
{
    return QStringLiteral(".kvilbro.lock");
}

std::shared_ptr<CollectionLock> CollectionLock::acquire(const QString& folder)
{
    const QString canonical = QDir(folder.isEmpty() ? QStringLiteral(".") : folder).canonicalPath();
    std::lock_guard guard(registryMutex);
    if (auto held = registry().value(canonical).lock())
        return held;

    const QByteArray path = QFile::encodeName(QDir(canonical).filePath(fileName()));
    const int fd = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0644);
    if (fd < 0)
        return nullptr;
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        throw Error(storemessages::collectionInUse(QDir::toNativeSeparators(canonical)), Error::Kind::Engine);
    }
    std::shared_ptr<CollectionLock> lock(new CollectionLock(canonical, fd));
    registry().insert(canonical, lock);
    return lock;
}

CollectionLock::~CollectionLock()
{
    std::lock_guard guard(registryMutex);
    registry().remove(folder_);
    ::close(fd_); // closing the one descriptor lets go of the lock
}

} // namespace kvilbro
