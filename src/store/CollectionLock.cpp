#include "CollectionLock.h"

#include "Error.h"
#include "StoreMessages.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QHash>
#include <QSysInfo>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <mutex>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
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

// Who holds the lock, as the lock file says; empty when it says nothing
// readable. The text comes from another program: it is cut and cleaned.
QString holderOf(const QByteArray& lockPath)
{
    const int fd = ::open(lockPath.constData(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
    if (fd < 0)
        return {};
    char buffer[200];
    const ssize_t got = ::read(fd, buffer, sizeof buffer);
    ::close(fd);
    if (got <= 0)
        return {};
    QString text = QString::fromUtf8(buffer, got).section(u'\n', 0, 0);
    for (QChar& ch : text) {
        if (ch.category() == QChar::Other_Control || ch.category() == QChar::Other_Format)
            ch = u'?';
    }
    return text.trimmed();
}

QString holderLine()
{
    const passwd* account = ::getpwuid(::getuid());
    const QString user =
        account && account->pw_name ? QString::fromLocal8Bit(account->pw_name) : QString::number(::getuid());
    return QStringLiteral("%1, proces %2, %3 på %4, siden %5\n")
        .arg(QString::fromLocal8Bit(program_invocation_short_name))
        .arg(qint64(::getpid()))
        .arg(user, QSysInfo::machineHostName(),
             QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")));
}

// Failing to open the lock for a reason other than permission is not a
// read-only folder: nothing may then be written without the lock.
bool permissionOnly(int error)
{
    return error == EACCES || error == EPERM || error == EROFS;
}

[[noreturn]] void inUse(const QString& folder, const QByteArray& lockPath)
{
    throw Error(storemessages::collectionInUse(QDir::toNativeSeparators(folder), holderOf(lockPath)),
                Error::Kind::Engine);
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

    const QByteArray lockPath = QFile::encodeName(QDir(canonical).filePath(fileName()));
    const auto fail = [&](int error) {
        throw Error(storemessages::lockFailed(QDir::toNativeSeparators(QFile::decodeName(lockPath)),
                                              QString::fromLocal8Bit(std::strerror(error))),
                    Error::Kind::Engine);
    };
    // The folder itself is locked too: deleting or replacing the lock file
    // under a writer must not let a second one in.
    const int dirFd = ::open(QFile::encodeName(canonical).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd < 0)
        fail(errno);
    if (::flock(dirFd, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        if (error == EWOULDBLOCK) {
            ::close(dirFd);
            inUse(canonical, lockPath);
        }
        // A file system without locks on folders still has the lock file's.
    }
    const int fd = ::open(lockPath.constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK, 0644);
    if (fd < 0) {
        const int error = errno;
        ::close(dirFd);
        if (permissionOnly(error))
            return nullptr;
        fail(error);
    }
    struct stat opened {};
    if (::fstat(fd, &opened) != 0 || !S_ISREG(opened.st_mode)) {
        ::close(fd);
        ::close(dirFd);
        fail(EINVAL);
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        ::close(fd);
        ::close(dirFd);
        if (error != EWOULDBLOCK)
            fail(error);
        inUse(canonical, lockPath);
    }
    // Who holds it, for the message a second program gives.
    const QByteArray holder = holderLine().toUtf8();
    if (::ftruncate(fd, 0) != 0 || ::pwrite(fd, holder.constData(), size_t(holder.size()), 0) != holder.size()) {
        const int error = errno;
        ::close(fd);
        ::close(dirFd);
        fail(error);
    }
    std::shared_ptr<CollectionLock> lock(new CollectionLock(canonical, fd, dirFd));
    registry().insert(canonical, lock);
    return lock;
}

std::shared_ptr<CollectionLock> CollectionLock::acquireToWrite(const QString& folder)
{
    auto lock = acquire(folder);
    if (!lock)
        throw Error(storemessages::notWrittenReadOnly(
                        QDir::toNativeSeparators(QDir(folder.isEmpty() ? QStringLiteral(".") : folder).absolutePath())),
                    Error::Kind::Engine);
    return lock;
}

CollectionLock::~CollectionLock()
{
    std::lock_guard guard(registryMutex);
    registry().remove(folder_);
    // The holder's line goes; the file stays, as other programs may have it open.
    if (::ftruncate(fd_, 0) != 0) {
    }
    ::close(fd_); // closing the descriptors lets go of the locks
    ::close(dirFd_);
}

} // namespace kvilbro
