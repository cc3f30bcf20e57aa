#include "PicturePaths.h"

#include <QDir>

namespace kvilbro::tablefiles {

namespace {

bool hasDrive(const QString& path)
{
    return path.size() >= 2 && path[1] == u':' && path[0].isLetter() && path[0].unicode() < 0x80;
}

// Empty when a ".." in `rest` climbs above `root`: the path would name a file
// outside the pictures' folder.
QString joined(const QString& root, QString rest)
{
    rest.replace(u'\\', u'/');
    qsizetype depth = 0;
    for (const QStringView part : QStringView(rest).split(u'/', Qt::SkipEmptyParts)) {
        if (part == u"..") {
            if (--depth < 0)
                return {};
        } else if (part != u".") {
            ++depth;
        }
    }
    while (rest.startsWith(u'/'))
        rest.remove(0, 1);
    return QDir::cleanPath(root + u'/' + rest);
}

} // namespace

bool isWindowsPath(const QString& path)
{
    return hasDrive(path) || path.contains(u'\\');
}

QString mapPicturePath(const QString& path, const QString& root)
{
    if (!isWindowsPath(path) || root.isEmpty())
        return {};
    const qsizetype equals = root.indexOf(u'=');
    if (equals > 0) {
        QString prefix = root.left(equals);
        if (!prefix.endsWith(u'\\'))
            prefix += u'\\';
        if (!path.startsWith(prefix, Qt::CaseInsensitive))
            return {};
        return joined(root.mid(equals + 1), path.mid(prefix.size()));
    }
    return joined(root, hasDrive(path) ? path.mid(2) : path);
}

} // namespace kvilbro::tablefiles
