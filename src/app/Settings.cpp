#include "Settings.h"

#include "Error.h"

#include <QDir>
#include <QStringEncoder>
#include <QTemporaryFile>

#include <cerrno>
#include <cstring>
#include <unistd.h>

namespace kvilbro {

namespace {
Settings& instance()
{
    static Settings settings;
    return settings;
}
} // namespace

const Settings& Settings::current()
{
    return instance();
}

Settings& Settings::forStartUp()
{
    return instance();
}

void Settings::setPathsFromWorkingDirectory()
{
    const QDir here = QDir::current();
    defaultPicture = QDir::toNativeSeparators(here.absoluteFilePath(QStringLiteral("frim.bmp")));
    reportPicture = QDir::toNativeSeparators(here.absoluteFilePath(QStringLiteral("frim2.jpg")));
    readmeFile = QDir::toNativeSeparators(here.absoluteFilePath(QStringLiteral("readme.html")));
}

void Settings::writeFile() const
{
    const QString name = QStringLiteral("MankoSys.stm");
    const QString full = QDir::toNativeSeparators(QDir::current().absoluteFilePath(name));
    auto fail = [&full](const QString& reason) {
        return Error(QStringLiteral("Indstillingsfilen %1 kan ikke skrives: %2").arg(full, reason), Error::Kind::File);
    };
    QStringEncoder encoder("windows-1252");
    const QString text = defaultPicture + QStringLiteral("\r\n") + reportPicture + QStringLiteral("\r\n") + readmeFile +
                         QStringLiteral("\r\n");
    const QByteArray bytes = encoder.encode(text);
    // Written to a new file beside it, flushed to the disk and renamed over
    // the old one: a full disk leaves the old file, and a symbolic link of
    // that name is replaced, never followed to overwrite what it points to.
    QTemporaryFile file(QDir::current().filePath(name + QStringLiteral(".XXXXXX")));
    if (!file.open())
        throw fail(file.errorString());
    file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther);
    if (file.write(bytes) != bytes.size() || !file.flush())
        throw fail(file.errorString());
    if (::fsync(file.handle()) != 0)
        throw fail(QString::fromLocal8Bit(std::strerror(errno)));
    if (::rename(QFile::encodeName(file.fileName()).constData(), QFile::encodeName(name).constData()) != 0)
        throw fail(QString::fromLocal8Bit(std::strerror(errno)));
    file.setAutoRemove(false); // it has its final name now
}

} // namespace kvilbro
