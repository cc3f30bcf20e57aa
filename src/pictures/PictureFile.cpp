#include "PictureFile.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kvilbro {

namespace {

QString systemReason(int error)
{
    char buffer[256];
    // The GNU strerror_r gives the text back; it may or may not use `buffer`.
    return QString::fromLocal8Bit(strerror_r(error, buffer, sizeof buffer));
}

} // namespace

bool isPictureFile(const QString& path)
{
    static const QLatin1String marks[] = {QLatin1String(".bmp"), QLatin1String(".BMP"), QLatin1String(".jpg"),
                                          QLatin1String(".JPG")};
    bool named = false;
    for (const QLatin1String& mark : marks)
        named = named || path.contains(mark, Qt::CaseSensitive);
    if (!named)
        return false;
    const int fd = openPictureFile(path, nullptr);
    if (fd < 0)
        return false;
    ::close(fd);
    return true;
}

int openPictureFile(const QString& path, QString* reason)
{
    auto fail = [reason](int error, const QString& text = QString()) {
        if (reason)
            *reason = text.isEmpty() ? systemReason(error) : text;
        return -1;
    };
    // A name with a NUL in it would silently name another file.
    if (path.isEmpty() || path.contains(QChar(u'\0')))
        return fail(ENOENT);
    // Non-blocking, so that opening a pipe does not wait for a writer.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0)
        return fail(errno);
    struct stat info {};
    if (::fstat(fd, &info) != 0) {
        const int error = errno;
        ::close(fd);
        return fail(error);
    }
    if (!S_ISREG(info.st_mode)) {
        ::close(fd);
        if (S_ISDIR(info.st_mode))
            return fail(EISDIR);
        return fail(0, QStringLiteral("Not a regular file"));
    }
    return fd;
}

} // namespace kvilbro
