#include "DriveList.h"

#include <QDir>
#include <QFileInfo>

#include <pwd.h>
#include <unistd.h>

namespace kvilbro {

namespace {

QString userName()
{
    // From the password database: the program reads no environment variables.
    const passwd* entry = ::getpwuid(::getuid());
    return entry && entry->pw_name ? QString::fromLocal8Bit(entry->pw_name) : QString();
}

void addFolders(QStringList& drives, const QString& parent)
{
    const QDir dir(parent);
    for (const QString& name : dir.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase))
        drives << dir.filePath(name);
}

bool lies(const QString& folder, const QString& drive)
{
    if (drive == u'/')
        return folder.startsWith(u'/');
    return folder == drive || folder.startsWith(drive + u'/');
}

} // namespace

QStringList driveChoices()
{
    QStringList drives;
    drives << QDir::homePath();
    const QString user = userName();
    if (!user.isEmpty()) {
        addFolders(drives, QStringLiteral("/media/") + user);
        addFolders(drives, QStringLiteral("/run/media/") + user);
    }
    addFolders(drives, QStringLiteral("/mnt"));
    drives << QStringLiteral("/");
    QStringList result;
    for (const QString& drive : std::as_const(drives)) {
        const QString clean = QDir::cleanPath(drive);
        if (!result.contains(clean) && QFileInfo(clean).isDir())
            result << clean;
    }
    if (result.isEmpty() || result.last() != u'/')
        result << QStringLiteral("/");
    return result;
}

int driveOf(const QStringList& drives, const QString& folder)
{
    const QString clean = QDir::cleanPath(folder);
    int best = -1;
    for (int i = 0; i < drives.size(); ++i) {
        if (lies(clean, drives[i]) && (best < 0 || drives[i].size() > drives[best].size()))
            best = i;
    }
    return best >= 0 ? best : int(drives.size()) - 1;
}

} // namespace kvilbro
