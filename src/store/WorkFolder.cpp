#include "WorkFolder.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kvilbro {

namespace {

// A folder without its lock file may be one another program has only just
// made; it counts as abandoned only once it is this old.
constexpr qint64 UnlockedGraceSeconds = 60;

bool isRealFolder(const QString& path)
{
    struct stat st {};
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0 && S_ISDIR(st.st_mode);
}

// True when a living program holds the folder's lock, or may be about to take it.
bool inUse(const QString& folder)
{
    const QByteArray lockPath = QFile::encodeName(QDir(folder).filePath(WorkFolder::lockFileName()));
    const int fd = ::open(lockPath.constData(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
    if (fd < 0) {
        struct stat st {};
        if (errno != ENOENT || ::lstat(QFile::encodeName(folder).constData(), &st) != 0)
            return true;
        return QDateTime::currentSecsSinceEpoch() - qint64(st.st_mtime) < UnlockedGraceSeconds;
    }
    const bool held = ::flock(fd, LOCK_EX | LOCK_NB) != 0;
    ::close(fd);
    return held;
}

} // namespace

QString WorkFolder::lockFileName()
{
    return QStringLiteral(".kvilbro-work.lock");
}

WorkFolder::WorkFolder(const QString& parent, const QString& prefix)
{
    QByteArray pattern = QFile::encodeName(QDir(parent).filePath(prefix + QStringLiteral("XXXXXX")));
    if (!::mkdtemp(pattern.data())) {
        error_ = QString::fromLocal8Bit(std::strerror(errno));
        return;
    }
    const QString made = QFile::decodeName(pattern);
    const QByteArray lockPath = QFile::encodeName(QDir(made).filePath(lockFileName()));
    // Locked under another name and then renamed: a cleaner never finds the
    // lock file free while its maker is still taking it.
    const QByteArray takingPath = lockPath + ".new";
    lockFd_ = ::open(takingPath.constData(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (lockFd_ < 0 || ::flock(lockFd_, LOCK_EX | LOCK_NB) != 0 ||
        ::rename(takingPath.constData(), lockPath.constData()) != 0) {
        error_ = QString::fromLocal8Bit(std::strerror(errno));
        if (lockFd_ >= 0)
            ::close(lockFd_);
        lockFd_ = -1;
        QDir(made).removeRecursively();
        return;
    }
    path_ = made;
}

WorkFolder::~WorkFolder()
{
    if (!path_.isEmpty() && !kept_)
        QDir(path_).removeRecursively();
    if (lockFd_ >= 0)
        ::close(lockFd_);
}

bool WorkFolder::moveTo(const QString& target)
{
    if (path_.isEmpty() || kept_)
        return false;
    // The lock moves with the folder and goes only once it is in place: a
    // failed rename leaves the folder still locked by its maker.
    if (::rename(QFile::encodeName(path_).constData(), QFile::encodeName(target).constData()) != 0) {
        error_ = QString::fromLocal8Bit(std::strerror(errno));
        return false;
    }
    kept_ = true;
    path_ = target;
    QFile::remove(QDir(path_).filePath(lockFileName()));
    return true;
}

QStringList WorkFolder::removeAbandoned(const QString& parent, const QString& prefix)
{
    QStringList removed;
    const QDir dir(parent);
    const QStringList names =
        dir.entryList({prefix + u'*'}, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QString& name : names) {
        const QString folder = dir.filePath(name);
        if (!isRealFolder(folder) || inUse(folder))
            continue;
        if (QDir(folder).removeRecursively())
            removed << folder;
    }
    return removed;
}

} // namespace kvilbro
