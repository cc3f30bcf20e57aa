#pragma once

// What the backup tests share: a fixed moment and quick looks at files.
#include "Collection.h"

#include <QDateTime>
#include <QFile>
#include <QStringList>

#include <sqlite3.h>

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <unistd.h>

namespace kvilbro::test {

inline const QDateTime Noon(QDate(2026, 12, 10), QTime(12, 0, 0));

// `folder` read-only to its owner and, for root, `flagged` (the folder or a
// file in it) immutable while this lives. `held` says whether that keeps this
// process from changing it.
struct Unchangeable {
    Unchangeable(const QString& folder, const QString& flagged) : folder_(folder)
    {
        QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner);
        fd_ = ::open(QFile::encodeName(flagged).constData(), O_RDONLY);
        immutable_ = ::getuid() == 0 && fd_ >= 0 && ::ioctl(fd_, FS_IOC_GETFLAGS, &flags_) == 0 &&
                     (flags_ |= FS_IMMUTABLE_FL, ::ioctl(fd_, FS_IOC_SETFLAGS, &flags_) == 0);
        held = ::getuid() != 0 || immutable_;
    }
    ~Unchangeable()
    {
        if (immutable_) {
            flags_ &= ~FS_IMMUTABLE_FL;
            ::ioctl(fd_, FS_IOC_SETFLAGS, &flags_);
        }
        if (fd_ >= 0)
            ::close(fd_);
        QFile::setPermissions(folder_, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    Unchangeable(const Unchangeable&) = delete;
    Unchangeable& operator=(const Unchangeable&) = delete;
    bool held = false;

private:
    QString folder_;
    int fd_ = -1;
    int flags_ = 0;
    bool immutable_ = false;
};

inline void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
}

// Area DK with number 1, whose picture a.jpg lies in the collection's folder;
// the connections closed, ready to be backed up.
inline void withOnePicture(Collection& c)
{
    c.addArea("DK", "Danmark");
    writeFile(c.path() + "/a.jpg", "a");
    c.addNumber("DK", "Danmark", 1, {}, {}, c.path() + "/a.jpg");
    c.closeConnections();
}

inline int numbersIn(const QString& dir)
{
    sqlite3* db = nullptr;
    sqlite3_open_v2(QFile::encodeName(dir + "/stm2manc.DB").constData(), &db, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt* stmt = nullptr;
    sqlite3_prepare_v2(db, "SELECT count(*) FROM stm2manc", -1, &stmt, nullptr);
    const int n = sqlite3_step(stmt) == SQLITE_ROW ? sqlite3_column_int(stmt, 0) : -1;
    sqlite3_finalize(stmt);
    sqlite3_close(db);
    return n;
}

inline QStringList picturesIn(const QString& dir)
{
    sqlite3* db = nullptr;
    sqlite3_open_v2(QFile::encodeName(dir + "/stm2manc.DB").constData(), &db, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt* stmt = nullptr;
    sqlite3_prepare_v2(db, "SELECT Billede FROM stm2manc ORDER BY Nummer, Type", -1, &stmt, nullptr);
    QStringList paths;
    while (sqlite3_step(stmt) == SQLITE_ROW)
        paths << QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0)));
    sqlite3_finalize(stmt);
    sqlite3_close(db);
    return paths;
}

// Memory beyond what the program holds now cannot be had while this lives:
// a read of a whole huge file fails instead of taking the machine's memory.
struct AddressSpaceLimit {
    explicit AddressSpaceLimit(rlim_t more)
    {
        getrlimit(RLIMIT_AS, &saved);
        QFile statm("/proc/self/statm");
        statm.open(QIODevice::ReadOnly);
        const rlim_t now = rlim_t(statm.readAll().split(' ').value(0).toULongLong()) * rlim_t(::sysconf(_SC_PAGESIZE));
        rlimit limited = saved;
        limited.rlim_cur = now + more;
        setrlimit(RLIMIT_AS, &limited);
    }
    ~AddressSpaceLimit() { setrlimit(RLIMIT_AS, &saved); }
    AddressSpaceLimit(const AddressSpaceLimit&) = delete;
    AddressSpaceLimit& operator=(const AddressSpaceLimit&) = delete;
    rlimit saved{};
};

} // namespace kvilbro::test
